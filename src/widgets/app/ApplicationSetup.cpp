#include "app/ApplicationSetup.h"

#include "viewer/FileFacts.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QTranslator>

namespace kelvo {

bool SpeakJapanese(QCoreApplication& app) {
    QLocale::setDefault(DisplayLocale());
    auto* translator = new QTranslator(&app);
    if (!translator->load(DisplayLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

// Drawn by the SVG renderer itself, so no image-format plugin is needed.
QIcon KelvoIcon() {
    QSvgRenderer renderer(QStringLiteral(":/kelvo.svg"));
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void SetUpApplication(QApplication& app) {
    SpeakJapanese(app);
    QApplication::setWindowIcon(KelvoIcon());
    // Lets the desktop match the windows to kelvo.desktop (name, icon, pinning).
    QGuiApplication::setDesktopFileName(QStringLiteral("kelvo"));
}

} // namespace kelvo
