#include "history/TForm7.h"
#include "history/DayListing.h"
#include "history/HistoryListModel.h"
#include "history/SearchRunner.h"
#include "logs/CaptureLog.h"
#include "support/CapturedHome.h"
#include "support/EncodedPictures.h"
#include "support/Files.h"
#include "support/Logs.h"
#include "support/Times.h"
#include "viewer/PreviewFit.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace kelvo {

using testing::At;

// The history browser over a home whose logs the capture pipeline wrote.
class TForm7Test : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> temp;
    std::unique_ptr<testing::CapturedHome> captured;
    std::unique_ptr<TForm7> form;
    QStringList viewerOpened;
    QList<QUrl> foldersOpened;
    const QDateTime day = At(2006, 3, 15, 12, 0, 0);

    // A picture in the form its name says.
    static QByteArray Picture(const QString& name) {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, name.endsWith(".jpg") ? "JPEG" : "PNG");
        return bytes;
    }

    QString Capture(const QString& name, const QDateTime& at, const QString& address = {}) {
        return captured->Capture(name, at, address, Picture(name));
    }

    QModelIndex Node(const QString& month, const QString& dayText = {}) {
        QAbstractItemModel* tree = form->TreeView1->model();
        for (int m = 0; m < tree->rowCount(); ++m) {
            const QModelIndex monthNode = tree->index(m, 0);
            if (monthNode.data().toString() != month)
                continue;
            if (dayText.isEmpty())
                return monthNode;
            for (int d = 0; d < tree->rowCount(monthNode); ++d) {
                if (tree->index(d, 0, monthNode).data().toString() == dayText)
                    return tree->index(d, 0, monthNode);
            }
        }
        return {};
    }

    void ChooseDay(const QString& dayText) {
        const QModelIndex node = Node(dayText.left(4) + "年" + dayText.mid(4, 2) + "月", dayText);
        QVERIFY(node.isValid());
        form->TreeView1->setCurrentIndex(node);
    }

    void ClickLine(int row) {
        const QModelIndex index = form->ListView1->model()->index(row, 0);
        form->ListView1->scrollTo(index);
        QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {},
                          form->ListView1->visualRect(index).center());
    }

    QStringList Names() {
        QStringList names;
        for (int row = 0; row < form->ListModel().LineCount(); ++row)
            names << form->ListModel().Line(row).fileName;
        return names;
    }

    bool Enabled(std::initializer_list<QAction*> actions) {
        for (QAction* action : actions)
            if (!action->isEnabled())
                return false;
        return true;
    }

    bool Disabled(std::initializer_list<QAction*> actions) {
        for (QAction* action : actions)
            if (action->isEnabled())
                return false;
        return true;
    }

    // A search runs on its own thread; its lines come through the event loop.
    bool SearchEnded() {
        return QTest::qWaitFor([&] { return !form->Actions().Search().Running(); });
    }

private slots:
    void init() {
        temp = std::make_unique<QTemporaryDir>();
        captured = std::make_unique<testing::CapturedHome>(temp->path());
        viewerOpened.clear();
        foldersOpened.clear();
        Capture("b.jpg", day, "https://example.com/b");
        Capture("A.png", day.addSecs(60));
        Capture("a.png", day.addSecs(120), "https://example.com/a?q=日本 語&x=1");
        Capture("next.jpg", day.addDays(1));
        form = std::make_unique<TForm7>(
            HistoryContext{captured->home, captured->history, captured->browser, captured->prompter,
                           [this](const QString& path, const QString& address) {
                               viewerOpened << path + "|" + address;
                           },
                           [this](const QUrl& folder) { foldersOpened << folder; }});
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    void cleanup() {
        form.reset();
        captured.reset();
        temp.reset();
    }

    void aDayListsInLogOrderAndAMonthEmptiesTheList() {
        QCOMPARE(form->windowTitle(), QStringLiteral("履歴と画像閲覧 - ケルボ"));
        QVERIFY(!form->Action16->isEnabled());
        ChooseDay("20060315");
        QCOMPARE(form->DayStatusText(), QStringLiteral("2006年03月15日"));
        QCOMPARE(form->ListStatusText(), QStringLiteral("3 個の履歴情報"));
        QCOMPARE(Names(), QStringList({"b.jpg", "A.png", "a.png"}));
        QCOMPARE(form->ListView1->model()->index(0, 1).data().toString(),
                 QStringLiteral("2006/03/15 12:00:00"));
        QVERIFY(form->Action16->isEnabled());

        form->TreeView1->setCurrentIndex(Node("2006年03月"));
        QCOMPARE(form->ListModel().LineCount(), 0);
        QCOMPARE(form->DayStatusText(), QString());
        QCOMPARE(form->ListStatusText(), QString());
        QVERIFY(!form->Action16->isEnabled());
    }

    void aMissingLogListsNothingAndAMissingColumnLeavesEmptyCells() {
        QFile::remove(captured->LogOf(day));
        ChooseDay("20060315");
        QCOMPARE(form->ListStatusText(), QStringLiteral("0 個の履歴情報"));
        QVERIFY(form->Action16->isEnabled());
        QVERIFY(Disabled({form->Action8, form->Action9, form->Action10, form->Action11}));

        QVERIFY(testing::WriteBytes(
            captured->LogOf(day),
            "\"ファイル名\";\"取得日時\";\"保存先フォルダ\"\r\n\"x.jpg\";\"2006/03/15 "
            "10:00:00\";\"/nowhere/\"\r\n"));
        form->Action16->trigger();
        QCOMPARE(form->ListStatusText(), QStringLiteral("1 個の履歴情報"));
        QCOMPARE(form->ListModel().Line(0).fileName, QStringLiteral("x.jpg"));
        QCOMPARE(form->ListModel().Line(0).identifier, QString());
        QCOMPARE(form->ListModel().Line(0).folder, QStringLiteral("/nowhere/"));
    }

    void headerClicksSortInOneAlternatingDirection() {
        ChooseDay("20060315");
        QHeaderView* header = form->ListView1->horizontalHeader();
        emit header->sectionClicked(1);
        QCOMPARE(Names(), QStringList({"b.jpg", "A.png", "a.png"})); // oldest first
        emit header->sectionClicked(1);
        QCOMPARE(Names(), QStringList({"a.png", "A.png", "b.jpg"})); // newest first
        QVERIFY(form->Actions().SortedDescending());

        // Listed again, the direction turns on from the last click: 取得日時
        // ascending, then ファイル名 descending.
        form->Action16->trigger();
        QCOMPARE(form->Actions().SortColumn(), -1);
        emit header->sectionClicked(1);
        emit header->sectionClicked(0);
        QCOMPARE(form->Actions().SortColumn(), 0);
        QCOMPARE(Names().first(), QStringLiteral("b.jpg"));
        // The next click sorts ascending: A.png and a.png compare equal and
        // both precede b.jpg.
        emit header->sectionClicked(0);
        QCOMPARE(Names().last(), QStringLiteral("b.jpg"));
    }

    void navigationIsEnabledByThePositionOfTheLine() {
        ChooseDay("20060315");
        ClickLine(0);
        QVERIFY(Disabled({form->Action8, form->Action9}));
        QVERIFY(Enabled({form->Action10, form->Action11}));
        form->Action10->trigger(); // the second of three
        QVERIFY(Enabled({form->Action8, form->Action9, form->Action10, form->Action11}));
        form->Action10->trigger();
        QCOMPARE(form->ListView1->currentIndex().row(), 2);
        QVERIFY(Enabled({form->Action8, form->Action9}));
        QVERIFY(Disabled({form->Action10, form->Action11}));
        form->Action8->trigger();
        QCOMPARE(form->ListView1->currentIndex().row(), 0);

        ChooseDay("20060316"); // a single line
        ClickLine(0);
        QVERIFY(Disabled({form->Action8, form->Action9, form->Action10, form->Action11}));
    }

    void selectingALineShowsItsPathPreviewAndCommands() {
        ChooseDay("20060315");
        QVERIFY(form->PopupEntryOf(form->Action21)->isVisible()); // shown, disabled
        QVERIFY(!form->PopupEntryOf(form->Action21)->isEnabled());
        ClickLine(0);
        QCOMPARE(form->windowTitle(), captured->pictures + "b.jpg");
        QTRY_VERIFY(!form->Image1->pixmap().isNull()); // decoded on a worker
        QVERIFY(Enabled({form->Action21, form->Action17, form->Action18, form->Action19,
                         form->Action20, form->Action2, form->Action4}));
        QVERIFY(form->PopupEntryOf(form->Action21)->isEnabled());
        form->Action17->trigger();
        QCOMPARE(foldersOpened, QList<QUrl>({QUrl::fromLocalFile(captured->pictures)}));
        form->Action19->trigger();
        form->Action20->trigger();
        QCOMPARE(captured->browser.opened,
                 QStringList({"https://example.com/b", "https://example.com/b"}));

        ClickLine(1); // no address
        QVERIFY(Disabled({form->Action18, form->Action19, form->Action20}));
        QVERIFY(form->Action17->isEnabled());
    }

    void aMissingFileIsReportedAndCannotBeOpened() {
        QFile::remove(captured->pictures + "A.png");
        ChooseDay("20060315");
        ClickLine(1);
        QCOMPARE(form->ListStatusText(),
                 QStringLiteral("保存先フォルダに選択ファイルが存在しません。"));
        QCOMPARE(form->windowTitle(), captured->pictures + "A.png");
        QVERIFY(!form->Action21->isEnabled());
        QVERIFY(form->Action17->isEnabled());
        QVERIFY(form->Image1->pixmap().isNull());
        form->Actions().OpenViewer();
        form->Actions().OpenViewerFromPreview();
        QVERIFY(viewerOpened.isEmpty());
    }

    void webpAndAvifCapturesArePreviewed() {
        if (testing::Encoder("avifenc").isEmpty())
            QSKIP("avifenc (Debian's libavif-bin) is not installed");
        const QImage halves = testing::Halves(80, 40, Qt::red, Qt::blue);
        QByteArray webp;
        QBuffer buffer(&webp);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(halves.save(&buffer, "webp", 100));
        const QString avifPath = temp->filePath("made.avif");
        const QString made = testing::WriteAvif(avifPath, {halves});
        QVERIFY2(made.isEmpty(), qPrintable(made));
        const std::optional<QByteArray> avif = testing::ReadFile(avifPath);
        QVERIFY(avif.has_value());
        const QDateTime later = day.addDays(2);
        captured->Capture("cat.webp", later, {}, webp);
        captured->Capture("cat.avif", later.addSecs(60), {}, *avif);
        ChooseDay("20060317");
        QCOMPARE(Names(), QStringList({"cat.webp", "cat.avif"}));
        for (int row = 0; row < 2; ++row) {
            ClickLine(row);
            QTRY_VERIFY(!form->Image1->pixmap().isNull());
            const QImage shown = form->Image1->pixmap().toImage();
            QVERIFY2(!shown.isNull(), qPrintable(Names()[row]));
            // Red on the left of where it is fitted, blue on the right.
            const FittedRect fitted = FitPreview(80, 40, shown.width(), shown.height());
            const int middle = fitted.y + fitted.height / 2;
            QVERIFY(shown.pixelColor(fitted.x + 2, middle).red() > 200);
            QVERIFY(shown.pixelColor(fitted.x + fitted.width - 3, middle).blue() > 200);
        }
    }

    void aDeselectionRestoresTheCaptionAndDisablesTheLineCommands() {
        ChooseDay("20060315");
        ClickLine(2);
        QVERIFY(form->Actions().HasSelectedLine());
        const QPoint below =
            form->ListView1->visualRect(form->ListModel().index(2, 0)).center() + QPoint(0, 200);
        QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, below);
        QVERIFY(!form->Actions().HasSelectedLine());
        QCOMPARE(form->windowTitle(), QStringLiteral("履歴と画像閲覧 - ケルボ"));
        QCOMPARE(form->ListStatusText(), QStringLiteral("3 個の履歴情報"));
        QVERIFY(
            Disabled({form->Action21, form->Action8, form->Action9, form->Action10, form->Action11,
                      form->Action17, form->Action18, form->Action19, form->Action20}));
        QVERIFY(!form->PopupEntryOf(form->Action17)->isVisible());
        QVERIFY(form->Image1->pixmap().isNull());
    }

    void theAddressGoesToTheClipboardUnchanged() {
        ChooseDay("20060315");
        ClickLine(2);
        form->Action18->trigger();
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("https://example.com/a?q=日本 語&x=1"));
    }

    void enterDoubleClickAndThePreviewOpenTheViewer() {
        ChooseDay("20060315");
        ClickLine(0);
        const QString expected = captured->pictures + "b.jpg|https://example.com/b";
        QTest::keyClick(form->ListView1, Qt::Key_Return);
        QCOMPARE(viewerOpened, QStringList({expected}));
        const QModelIndex first = form->ListModel().index(0, 0);
        QTest::mouseDClick(form->ListView1->viewport(), Qt::LeftButton, {},
                           form->ListView1->visualRect(first).center());
        QTest::mouseDClick(form->Image1, Qt::LeftButton);
        QCOMPARE(viewerOpened, QStringList({expected, expected, expected}));
    }

    void renamingRewritesTheRowAndRefusesAnotherExtension() {
        ChooseDay("20060315");
        ClickLine(0);
        captured->prompter.textAnswer = "b.png";
        form->Action2->trigger();
        QCOMPARE(captured->prompter.textsAsked,
                 QStringList({"ファイル名の変更|新しいファイル名|b.jpg"}));
        QCOMPARE(captured->prompter.notices, QStringList({"拡張子の変更は出来ません。"}));
        QVERIFY(QFile::exists(captured->pictures + "b.jpg"));

        captured->prompter.textAnswer = "a.png";
        ClickLine(1);
        form->Action2->trigger(); // a.png exists
        QCOMPARE(captured->prompter.notices.size(), 2);
        QVERIFY(QFile::exists(captured->pictures + "A.png"));

        ClickLine(0);
        captured->prompter.textAnswer = "夕焼け.jpg";
        form->Action2->trigger();
        QVERIFY(QFile::exists(captured->pictures + "夕焼け.jpg"));
        QVERIFY(!QFile::exists(captured->pictures + "b.jpg"));
        QCOMPARE(Names(), QStringList({"夕焼け.jpg", "A.png", "a.png"}));
        QCOMPARE(form->windowTitle(), captured->pictures + "夕焼け.jpg");
        QVERIFY(form->Action21->isEnabled());
    }

    void anotherDayCancelsARunningListing() {
        for (int i = 0; i < 9; ++i)
            Capture(QString("many%1.png").arg(i), At(2006, 4, 2, 10, 0, i));
        form->Listing().SetBatchSize(2);
        form->Listing().SetTurnTime(0);
        ChooseDay("20060402");
        QCOMPARE(form->ListStatusText(), QStringLiteral("列挙中...2"));
        QCoreApplication::processEvents();
        QCOMPARE(form->ListStatusText(), QStringLiteral("列挙中...4"));
        ChooseDay("20060316");
        QTRY_VERIFY(!form->Listing().Running());
        QTest::qWait(20);
        QCOMPARE(Names(), QStringList({"next.jpg"}));
        QCOMPARE(form->ListStatusText(), QStringLiteral("1 個の履歴情報"));
        QCOMPARE(form->DayStatusText(), QStringLiteral("2006年03月16日"));
    }

    void aRightClickOnADaysLabelSelectsAndListsIt() {
        form->TreeView1->expandAll();
        const QModelIndex node = Node("2006年03月", "20060316");
        const QRect rect = form->TreeView1->visualRect(node);
        QWidget* viewport = form->TreeView1->viewport();
        // Beyond the label: nothing happens.
        QTest::mousePress(viewport, Qt::RightButton, {},
                          QPoint(viewport->width() - 2, rect.center().y()));
        QVERIFY(form->TreeView1->currentIndex() != node);
        QTest::mousePress(viewport, Qt::RightButton, {},
                          QPoint(rect.left() + 4, rect.center().y()));
        QCOMPARE(form->TreeView1->currentIndex(), node);
        QCOMPARE(Names(), QStringList({"next.jpg"}));
    }

    void capturesAppearInTheTreeAtOnceAndOldLogsList() {
        ChooseDay("20060315");
        const QPersistentModelIndex selected = form->TreeView1->currentIndex();
        Capture("new.png", At(2006, 2, 1, 9, 0, 0)); // an earlier month, sorted before
        QVERIFY(Node("2006年02月", "20060201").isValid());
        QCOMPARE(form->TreeView1->currentIndex(), QModelIndex(selected));
        QCOMPARE(form->ListModel().LineCount(), 3);

        // A log of the old program: Shift-JIS and a Windows folder.
        QVERIFY(testing::WriteShiftJisLog(
            DayLogPath(captured->home, "20060201"),
            "\"old.jpg\";\"2006/02/01 10:00:00\";\"\x95\xC7\x8E\x86\";\"\";"
            "\"C:\\\x89\xE6\x91\x9C\\\"\r\n"));
        ChooseDay("20060201");
        QCOMPARE(form->ListModel().Line(0).identifier, QStringLiteral("壁紙"));
        QCOMPARE(form->ListModel().Line(0).folder, QStringLiteral("C:\\画像\\"));
        ClickLine(0);
        QCOMPARE(form->ListStatusText(),
                 QStringLiteral("保存先フォルダに選択ファイルが存在しません。"));
    }

    // Typed as a user types, a key at a time: each key starts the search over.
    void typingSearchesEveryDayAndEscapeListsTheChosenDayAgain() {
        ChooseDay("20060315");
        QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(form->Edit1->hasFocus());
        for (const QChar c : QStringLiteral("ＰＮｇ"))
            QTest::sendKeyEvent(QTest::Click, form->Edit1, Qt::Key_unknown, QString(c), {});
        QCOMPARE(form->Edit1->text(), QStringLiteral("ＰＮｇ"));
        QVERIFY(SearchEnded());
        QCOMPARE(Names(), QStringList({"A.png", "a.png"}));
        QCOMPARE(form->ListStatusText(), QStringLiteral("2 個の履歴情報 (1 日分)"));
        // The day is the first column shown.
        QHeaderView* headings = form->ListView1->horizontalHeader();
        QCOMPARE(headings->logicalIndex(0), 5);
        QCOMPARE(form->ListView1->model()->index(0, 5).data().toString(),
                 QStringLiteral("2006年03月15日"));
        QCOMPARE(form->ListView1->model()->headerData(5, Qt::Horizontal).toString(),
                 QStringLiteral("日付"));

        QTest::keyClick(form->Edit1, Qt::Key_Escape);
        QVERIFY(form->isVisible()); // Escape ends the search, not the window
        QVERIFY(form->Edit1->text().isEmpty());
        QCOMPARE(Names(), QStringList({"b.jpg", "A.png", "a.png"}));
        QCOMPARE(form->DayStatusText(), QStringLiteral("2006年03月15日"));
        QCOMPARE(form->ListView1->model()->columnCount(), 5);
        // With nothing searched, Escape closes the window as in any dialog.
        QTest::keyClick(form->Edit1, Qt::Key_Escape);
        QVERIFY(!form->isVisible());
    }

    // The list has room: a found line's day, time and name are never cut.
    void aSearchsDayTimeAndNameReadWhole() {
        Capture("a-name-longer-than-its-column-is-wide-by-default.jpg", day.addSecs(180));
        form->resize(1200, 600); // as maximised
        form->Edit1->setText(QStringLiteral("jpg"));
        QVERIFY(SearchEnded());
        const QAbstractItemModel* lines = form->ListView1->model();
        for (const int column : {0, 1, 5}) {
            for (int row = 0; row < lines->rowCount(); ++row) {
                const QString text = lines->index(row, column).data().toString();
                QVERIFY2(form->ListView1->fontMetrics().horizontalAdvance(text) <
                             form->ListView1->columnWidth(column),
                         qPrintable(text));
            }
        }
    }

    void aFoundLineOpensAndAChosenDayEndsTheSearch() {
        form->Edit1->setText(QStringLiteral("next"));
        QVERIFY(SearchEnded());
        QCOMPARE(Names(), QStringList({"next.jpg"}));
        ClickLine(0);
        QCOMPARE(form->DayStatusText(), QStringLiteral("2006年03月16日"));
        QVERIFY(Enabled({form->Action21, form->Action17, form->Action2, form->Action4}));
        QTest::keyClick(form->ListView1, Qt::Key_Return);
        QCOMPARE(viewerOpened, QStringList({captured->pictures + "next.jpg|"}));
        ChooseDay("20060315");
        QVERIFY(form->Edit1->text().isEmpty());
        QCOMPARE(Names(), QStringList({"b.jpg", "A.png", "a.png"}));
    }

    void aFileDroppedOnTheWindowSelectsTheLineThatSavedIt() {
        ChooseDay("20060315");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(captured->pictures + "A.png")});
        const QPoint at = form->ListView1->mapTo(form.get(), QPoint(10, 10));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form.get(), &drop);
        QVERIFY(SearchEnded());
        QCOMPARE(Names(), QStringList({"A.png"}));
        QVERIFY(form->Actions().HasSelectedLine());
        QCOMPARE(form->windowTitle(), captured->pictures + "A.png");
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm7Test)
#include "TForm7Test.moc"
