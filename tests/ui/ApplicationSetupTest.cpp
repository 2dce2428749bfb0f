#include "app/ApplicationSetup.h"
#include "app/AppSession.h"
#include "app/TForm1.h"
#include "support/Modal.h"
#include "support/Parts.h"
#include "support/TestHome.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLocale>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <fcntl.h>
#include <sys/stat.h>

namespace kelvo {
namespace {

// A cell as its view's delegate writes it, which is not always the model's text.
QString ShownText(const QAbstractItemView& view, const QModelIndex& index) {
    struct Styled : QStyledItemDelegate {
        using QStyledItemDelegate::initStyleOption;
    };
    auto* delegate = qobject_cast<QStyledItemDelegate*>(view.itemDelegateForIndex(index));
    if (!delegate)
        return {};
    QStyleOptionViewItem option;
    (delegate->*&Styled::initStyleOption)(&option, index);
    return option.text;
}

// The file dialog's detail view, with its size, type and date columns.
QTreeView& DetailView(QFileDialog& dialog) {
    dialog.findChild<QToolButton*>(QStringLiteral("detailModeButton"))->click();
    return *dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
}

} // namespace

// The identity the desktop shows and the language of Qt's own dialogs, set up
// as the program starts.
class ApplicationSetupTest : public QObject {
    Q_OBJECT

    testing::TestHomes homes_;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        SetUpApplication(*qApp);
    }

    void theIconIsKelvosOwnInEverySize() {
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        for (const int side : {16, 32, 48, 256})
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
        // Drawn, not blank: the blue tile fills the middle.
        const QImage drawn = icon.pixmap(64, 64).toImage();
        const QColor middle = drawn.pixelColor(32, 58);
        QVERIFY2(middle.alpha() == 255 && middle.blue() > 150 && middle.red() < 100,
                 qPrintable(middle.name()));
        QVERIFY(drawn.pixelColor(0, 0).alpha() == 0); // the tile's rounded corner
    }

    void theDesktopFileAndTheLocaleAreSet() {
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("io.github.kelvo.Kelvo"));
        // No name added to every caption: the windows carry their own.
        QVERIFY(QGuiApplication::applicationDisplayName() == QCoreApplication::applicationName());
        QCOMPARE(QLocale().language(), QLocale::Japanese);
    }

    void theWindowsAndTheVersionBoxShowIt() {
        AppSession session(homes_.New("[Form]\r\nCBX2=0\r\n"));
        TForm1& form = session.MainWindow();
        QCOMPARE(form.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
        QImage shown;
        testing::WhenNextModalShows([&](QWidget* box) {
            shown = testing::Part<QLabel>(*box, "ProgramIcon")->pixmap().toImage();
        });
        testing::Part<QAction>(form, "N4")->trigger(); // ヘルプ → バージョン
        QVERIFY(!shown.isNull());
        const QColor middle = shown.pixelColor(shown.width() / 2, shown.height() * 9 / 10);
        QVERIFY2(middle.blue() > 150 && middle.red() < 100, qPrintable(middle.name()));
    }

    // Qt's own folder chooser, as QtPrompter opens it, under an English system
    // locale: the type and the date of a folder are Japanese too.
    void theFolderChooserSpeaksJapanese() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/sub");
        QVERIFY(QDir().mkdir(folder));
        const time_t stamp = QDateTime(QDate(2026, 12, 8), QTime(10, 15)).toSecsSinceEpoch();
        const timespec times[2] = {{stamp, 0}, {stamp, 0}};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0) == 0);

        QFileDialog dialog(nullptr, QStringLiteral("フォルダの選択"), dir.path());
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.show();
        QTreeView& view = DetailView(dialog);
        const auto* model = qobject_cast<QFileSystemModel*>(view.model());
        const QModelIndex row = model->index(folder);
        QTRY_COMPARE(ShownText(view, row.siblingAtColumn(2)), QStringLiteral("フォルダ"));
        QCOMPARE(ShownText(view, row.siblingAtColumn(3)), QStringLiteral("2026/12/08 10:15"));
    }

    // The save dialog lists files: their sizes are Japanese as well.
    void theSaveDialogsSizesAreJapanese() {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/a.png");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("twelve bytes") == 12);
        file.close();

        QFileDialog dialog(nullptr, QString(), path);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.show();
        QTreeView& view = DetailView(dialog);
        const QModelIndex row = qobject_cast<QFileSystemModel*>(view.model())->index(path);
        QTRY_COMPARE(ShownText(view, row.siblingAtColumn(1)), QStringLiteral("12 バイト"));
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::ApplicationSetupTest)
#include "ApplicationSetupTest.moc"
