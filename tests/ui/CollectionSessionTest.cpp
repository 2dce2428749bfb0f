#include "app/AppSession.h"
#include "app/TForm1.h"
#include "capture/CapturePipeline.h"
#include "history/HistoryListModel.h"
#include "history/TForm7.h"
#include "indexing/CollectionKeeper.h"
#include "support/Files.h"
#include "support/Modal.h"
#include "support/Parts.h"
#include "support/SyntheticPictures.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace kelvo {

// The window's collection: the same picture asked about before it is saved
// again, in the run that captured it and after a restart, and a similar one
// told without a question.
class CollectionSessionTest : public QObject {
    Q_OBJECT

private:
    testing::TestHomes homes;

    static QImage Picture() { return testing::SyntheticPicture({480, 360}, 7); }

    QString Source(const QString& name, const QImage& image) {
        const QString path = homes.Path() + "/" + name;
        if (!image.save(path))
            return {};
        return path;
    }

    static void StartShown(AppSession& session) {
        session.MainWindow().show();
        QVERIFY(QTest::qWaitForWindowExposed(&session.MainWindow()));
    }

    // Presses a button of the same-picture dialog when it opens; notes
    // whether it did.
    static void AnswerSamePicture(const char* button, bool* asked) {
        testing::WhenNextModalShows([=](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("SameContentDialog"));
            *asked = true;
            dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
        });
    }

private slots:
    void theSamePictureIsAskedAboutInTheRunAndAfterARestart() {
        const QString home = homes.New("[Form]\r\nCBX2=0\r\n");
        const QString source = Source("photo.png", Picture());
        QString first;
        {
            AppSession session(home);
            StartShown(session);
            first = session.Pipeline().CaptureFile({source, {}}).savedPath;
            QVERIFY(!first.isEmpty());
            bool asked = false;
            AnswerSamePicture("DontSaveButton", &asked);
            const CaptureOutcome again = session.Pipeline().CaptureFile({source, {}});
            QVERIFY(asked);
            QCOMPARE(again.kind, CaptureOutcome::Kind::NotSavedByChoice);
            QCOMPARE(again.sameAs, first);
        }
        AppSession session(home);
        QSignalSpy progress(&session.Collection(), &CollectionKeeper::Progress);
        StartShown(session);
        QTRY_VERIFY(!progress.isEmpty() && progress.last().at(0).toInt() == 100);
        bool asked = false;
        AnswerSamePicture("SaveButton", &asked);
        const CaptureOutcome saved = session.Pipeline().CaptureFile({source, {}});
        QVERIFY(asked);
        QCOMPARE(saved.kind, CaptureOutcome::Kind::Saved);
        QVERIFY(saved.savedPath != first); // numbered, with no second question
        QCOMPARE(saved.sameAs, first);
    }

    void theStoredRuleSkipsWithoutAsking() {
        AppSession session(homes.New("[Form]\r\nCBX2=0\r\n[Collection]\r\nSameImage=2\r\n"));
        StartShown(session);
        const QString source = Source("photo.png", Picture());
        QCOMPARE(session.Pipeline().CaptureFile({source, {}}).kind, CaptureOutcome::Kind::Saved);
        QCOMPARE(session.Pipeline().CaptureFile({source, {}}).kind,
                 CaptureOutcome::Kind::NotSavedByChoice);
    }

    // Told in the status bar; a click there lists both in the history.
    void aSimilarPictureIsToldAndAClickShowsBoth() {
        AppSession session(homes.New("[Form]\r\nCBX2=0\r\n"));
        StartShown(session);
        TForm1& form = session.MainWindow();
        const QString original = Source("photo.png", Picture());
        const QString smaller = Source("smaller.jpg", Picture().scaled(240, 180));
        QVERIFY(!session.Pipeline().CaptureFile({original, {}}).savedPath.isEmpty());
        QVERIFY(!session.Pipeline().CaptureFile({smaller, {}}).savedPath.isEmpty());
        // Whole in the bar, or wrapped above it and kept as its tool tip.
        auto* bar = testing::Part<QStatusBar>(form, "StatusBar1");
        const auto told = [&] { return bar->currentMessage() + bar->toolTip(); };
        QTRY_VERIFY(told().contains("似た画像を保存済み: "));
        QVERIFY(told().contains("/photo.png ("));

        int listed = -1;
        testing::WhenNextModalShows([&](QWidget* modal) {
            auto* history = qobject_cast<TForm7*>(modal);
            QVERIFY(history);
            QTRY_COMPARE(history->ListView1->model()->rowCount(), 2);
            listed = history->ListView1->model()->rowCount();
        });
        QTest::mouseClick(bar, Qt::LeftButton);
        QCOMPARE(listed, 2);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::CollectionSessionTest)
#include "CollectionSessionTest.moc"
