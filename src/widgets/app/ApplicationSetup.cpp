#include "app/ApplicationSetup.h"

#include "viewer/FileFacts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIcon>
#include <QLibraryInfo>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QSvgRenderer>
#include <QTranslator>

namespace kelvo {
namespace {

// Qt 6 asks for the file dialogs' type names ("Folder", "Drive") under
// QAbstractFileIconProvider; qtbase_ja.qm 6.4 has them only under QFileDialog,
// where Qt 5 asked.
class QtBaseTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        QString text = QTranslator::translate(context, sourceText, disambiguation, n);
        if (text.isEmpty() && qstrcmp(context, "QAbstractFileIconProvider") == 0)
            text = QTranslator::translate("QFileDialog", sourceText, nullptr, n);
        return text;
    }
};

// QFileSystemModel writes sizes and dates in QLocale::system(), read from the
// environment before Kelvo could choose ("12 bytes", "8 Dec 2026 10:15:00"):
// the file dialogs' views write them in their own locale, the default.
class FileFactsInViewLocale : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto* files = qobject_cast<const QFileSystemModel*>(index.model());
        if (!files)
            return;
        enum { Size = 1, Modified = 3 }; // QFileSystemModel's columns
        if (index.column() == Size && !files->isDir(index))
            option->text = option->locale.formattedDataSize(files->size(index));
        else if (index.column() == Modified)
            option->text =
                option->locale.toString(files->lastModified(index), QLocale::ShortFormat);
    }
};

// Qt makes the folder chooser itself: every widget-based file dialog gets the
// delegate as it shows (a native one has no views, and no delegate).
class FileDialogWatch : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* dialog = qobject_cast<QFileDialog*>(watched);
            if (dialog && dialog->itemDelegate() &&
                !dynamic_cast<FileFactsInViewLocale*>(dialog->itemDelegate()))
                dialog->setItemDelegate(new FileFactsInViewLocale(dialog));
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

bool SpeakJapanese(QCoreApplication& app) {
    QLocale::setDefault(DisplayLocale());
    app.installEventFilter(new FileDialogWatch(&app));
    auto* translator = new QtBaseTranslator(&app);
    if (!translator->load(DisplayLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

bool SpeakEnglish(QCoreApplication& app) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    app.installEventFilter(new FileDialogWatch(&app));
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/translations/kelvo_en.qm"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

bool SpeakLanguage(QCoreApplication& app, DisplayLanguage language) {
    return language == DisplayLanguage::English ? SpeakEnglish(app) : SpeakJapanese(app);
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

void SetUpApplication(QApplication& app, DisplayLanguage language) {
    SpeakLanguage(app, language);
    QApplication::setWindowIcon(KelvoIcon());
    // Lets the desktop match the windows to the installed desktop entry (name,
    // icon, pinning); on Wayland it is the windows' app id.
    QGuiApplication::setDesktopFileName(QStringLiteral(KELVO_APP_ID));
}

} // namespace kelvo
