// Renders Kelvo's windows on the current display and writes them as PNG
// files, for the README and for checking the layout by eye.
// Usage: kelvo_screenshots HOME OUTDIR
#include "app/AppSession.h"
#include "app/TAboutBox.h"
#include "app/TForm1.h"
#include "app/TForm2.h"

#include <QApplication>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

namespace {

bool Shoot(QWidget& window, const QString& path) {
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QTest::qWait(300); // let it paint
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kelvo_screenshots HOME OUTDIR\n");
        return 2;
    }
    const QString home = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]) + QLatin1Char('/');
    kelvo::AppSession session(home);
    bool ok = Shoot(session.MainWindow(), out + QStringLiteral("main-window.png"));
    kelvo::TForm2& settings = session.SettingsDialog();
    for (int page = 0; page < settings.PageControl1->count(); ++page) {
        settings.PageControl1->setCurrentIndex(page);
        ok &= Shoot(settings, out + QStringLiteral("settings-%1.png").arg(page + 1));
    }
    settings.hide();
    if (auto* versionBox = session.MainWindow().findChild<kelvo::TAboutBox*>())
        ok &= Shoot(*versionBox, out + QStringLiteral("version-box.png"));
    else
        ok = false;
    return ok ? 0 : 1;
}
