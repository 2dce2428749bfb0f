#include "app/TForm1.h"
#include "capture/CapturePipeline.h"
#include "capture/DropIntake.h"
#include "destinations/CurrentDestination.h"
#include "logs/CaptureLog.h"
#include "logs/HistoryTree.h"
#include "services/WorkAside.h"
#include "support/BrowserNotes.h"
#include "support/CaptureFakes.h"
#include "support/Files.h"
#include "support/Logs.h"
#include "support/Parts.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace kelvo {

using testing::ChromiumCustomDataBlob;
using testing::FakeBrowser;
using testing::FixedClock;
using testing::LogRow;
using testing::NoteJson;
using testing::Part;
using testing::ReadBytes;
using testing::ScriptedPrompter;
using testing::WriteBytes;

// Drops go through real drop events into the window, and on through the
// pipeline to files, rows and what the window shows.
class TForm1CaptureTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp;
    QString home, target, sources;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<FakeBrowser> browser;
    std::unique_ptr<FixedClock> clock;
    std::unique_ptr<HistoryTree> history;
    std::unique_ptr<CurrentDestination> destination;
    std::unique_ptr<DropIntake> intake;
    std::unique_ptr<CapturePipeline> pipeline;
    // As the application makes its copies; a test may slow them down.
    WorkRunner copyRunner = RunAsideAndWait;

    QString WritePicture(const QString& name, const char* format = "PNG") {
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = sources + name;
        image.save(path, format);
        return path;
    }

    void Drop(QMimeData* mime) {
        const QPointF at(form->width() / 2.0, form->height() / 2.0);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &drop);
        QVERIFY(drop.isAccepted());
        delete mime;
        // The capture runs once the drop has returned.
        QCoreApplication::processEvents();
    }

    QMimeData* FileDrop(const QStringList& paths) {
        auto* mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        mime->setUrls(urls);
        return mime;
    }

    QStringList Logged(QString LogRow::*column) {
        return testing::LogColumn(DailyLogPath(home, clock->now), column);
    }
    QStringList LoggedNames() { return Logged(&LogRow::name); }
    QStringList LoggedAddresses() { return Logged(&LogRow::address); }

    QString SavedName() const { return Part<QLabel>(*form, "Label3")->text(); }
    QString Outcome() const { return Part<QLabel>(*form, "Label4")->text(); }
    bool PreviewShown() const { return !Part<QLabel>(*form, "Image1")->pixmap().isNull(); }
    QString BriefMessage() const { return Part<QStatusBar>(*form, "StatusBar1")->currentMessage(); }

private slots:
    void init() {
        QVERIFY(temp.isValid());
        home = temp.path() + "/home/";
        target = temp.path() + "/pictures/";
        sources = temp.path() + "/sources/";
        for (const QString& folder : {home, target, sources})
            QDir().mkpath(folder);
        for (const QString& name : QDir(target).entryList(QDir::Files))
            QFile::remove(target + name);
        QDir(home + "Logs").removeRecursively();
        form = std::make_unique<TForm1>();
        form->resize(287, 292);
        prompter = std::make_unique<ScriptedPrompter>();
        browser = std::make_unique<FakeBrowser>();
        clock = std::make_unique<FixedClock>(QDateTime(QDate(2006, 5, 30), QTime(14, 3, 7)));
        history = std::make_unique<HistoryTree>();
        destination = std::make_unique<CurrentDestination>(home);
        destination->Set("壁紙", target);
        intake = std::make_unique<DropIntake>(home + ".staging");
        pipeline = std::make_unique<CapturePipeline>(
            CaptureContext{home, *prompter, *browser, *clock, *form, *history, *destination,
                           [this](const std::function<void()>& work) { copyRunner(work); }});
        form->SetCapture(intake.get(), pipeline.get());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    void cleanup() {
        copyRunner = RunAsideAndWait;
        pipeline.reset();
        form.reset();
    }

    // A drag that carries neither a file, nor an address, nor a picture is
    // refused before anything is dropped.
    void refusesADragWithNothingToCapture() {
        QMimeData text;
        text.setText(QStringLiteral("just words"));
        const QPoint at(form->width() / 2, form->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QVERIFY(!enter.isAccepted());
    }

    void capturesThreeFilesInDropOrder() {
        Drop(FileDrop(
            {WritePicture("b.png"), WritePicture("a.png"), WritePicture("c.jpg", "JPEG")}));
        QCOMPARE(LoggedNames(), (QStringList{"b.png", "a.png", "c.jpg"}));
        QCOMPARE(form->StatusText(), QStringLiteral("3 画像取得"));
        QCOMPARE(SavedName(), QStringLiteral("c.jpg"));
        QCOMPARE(Outcome(), QStringLiteral("を保存しました。"));
        QTRY_VERIFY(PreviewShown()); // decoded on a worker
        QVERIFY(Part<QTimer>(*form, "Timer1")->isActive());
        QCOMPARE(history->DayTexts("2006年05月"), QStringList{"20060530"});
    }

    // The copy is made on a thread of its own: the window's timers keep
    // firing meanwhile, and a drop that comes then waits its turn.
    void keepsTurningWhileTheCopyIsMade() {
        const QString first = WritePicture("first.png");
        const QString second = WritePicture("second.png");
        QList<QThread*> copyThreads;
        copyRunner = [&](const std::function<void()>& work) {
            RunAsideAndWait([&] {
                copyThreads << QThread::currentThread();
                QThread::msleep(150); // a slow disk
                work();
            });
        };
        int beats = 0;
        QTimer heartbeat;
        heartbeat.setInterval(5);
        connect(&heartbeat, &QTimer::timeout, [&] { ++beats; });
        heartbeat.start();
        int beatsBeforeSecondDrop = -1;
        QTimer::singleShot(20, form.get(), [&] {
            beatsBeforeSecondDrop = beats;
            Drop(FileDrop({second}));
            QVERIFY(!QFile::exists(target + "second.png"));
        });
        Drop(FileDrop({first}));
        heartbeat.stop();

        QVERIFY(beatsBeforeSecondDrop > 0);
        QVERIFY(beats > 10);
        QCOMPARE(copyThreads.size(), 2);
        for (QThread* thread : copyThreads)
            QVERIFY(thread != QThread::currentThread());
        QCOMPARE(LoggedNames(), (QStringList{"first.png", "second.png"}));
        QCOMPARE(ReadBytes(target + "second.png"), ReadBytes(second));
        QCOMPARE(form->StatusText(), QStringLiteral("2 画像取得"));
    }

    void removesTheBracketGroup() {
        Drop(FileDrop({WritePicture("photo[1].png")}));
        QVERIFY(QFile::exists(target + "photo.png"));
        QCOMPARE(SavedName(), QStringLiteral("photo.png"));
    }

    void namesAMissingFolder() {
        destination->Set("消えた", temp.path() + "/gone/");
        Drop(FileDrop({WritePicture("photo.png")}));
        QCOMPARE(prompter->notices.size(), 1);
        QVERIFY(prompter->notices[0].startsWith("保存先フォルダ " + temp.path() +
                                                "/gone が存在しません。"));
        QVERIFY(!PreviewShown());
        QCOMPARE(pipeline->CaptureCount(), 0);
    }

    void settlesEveryClashOutcome() {
        const QString photo = WritePicture("photo.png");
        Drop(FileDrop({photo}));
        prompter->clashChoices = {ClashChoice::AutoRename, ClashChoice::DontSave,
                                  ClashChoice::ManualRename};
        prompter->saveAsAnswer = target + "chosen.png";
        Drop(FileDrop({photo}));
        QVERIFY(QFile::exists(target + "photo[1].png"));
        QCOMPARE(Outcome(), QStringLiteral("に改名し保存しました。"));
        Drop(FileDrop({photo})); // the dialog closed without a button says DontSave
        QCOMPARE(pipeline->CaptureCount(), 2);
        QVERIFY(!PreviewShown());
        Drop(FileDrop({photo}));
        QVERIFY(QFile::exists(target + "chosen.png"));
        QCOMPARE(LoggedNames(), (QStringList{"photo.png", "photo[1].png", "chosen.png"}));
        QCOMPARE(form->StatusText(), QStringLiteral("3 画像取得"));
    }

    void takesAChromiumDrop() {
        const QByteArray original = ReadBytes(WritePicture("source.jpg", "JPEG"));
        auto* mime = new QMimeData;
        mime->setUrls({QUrl("https://img.example.com/photos/%E5%86%99%E7%9C%9F.jpg?size=big")});
        mime->setData("application/octet-stream", original);
        mime->setData("chromium/x-renderer-taint", "https://example.com");
        mime->setHtml("<img src=\"https://img.example.com/photos/x.jpg\">");
        Drop(mime);
        QCOMPARE(ReadBytes(target + "写真.jpg"), original);
        QCOMPARE(LoggedAddresses(),
                 QStringList{"https://img.example.com/photos/%E5%86%99%E7%9C%9F.jpg?size=big"});
        QVERIFY(
            QDir(home + ".staging").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }

    // The extension's note names the page; a drop without one, where no
    // browser tells the page either, says once how to get page addresses.
    void logsTheNotedPageAndHintsOnceWithoutNote() {
        const QString image = "https://img.example.com/a.jpg";
        const auto chromiumDrop = [&](const QString& name, const QString& page) {
            auto* mime = new QMimeData;
            mime->setUrls({QUrl(image)});
            mime->setData("application/x-moz-file-promise-dest-filename", name.toUtf8());
            mime->setData("application/octet-stream", ReadBytes(WritePicture(name, "JPEG")));
            mime->setData("chromium/x-renderer-taint", "https://example.com");
            if (!page.isEmpty())
                mime->setData("chromium/x-web-custom-data",
                              ChromiumCustomDataBlob(
                                  {{"application/x-kelvo-source", NoteJson(page, page, image)}}));
            Drop(mime);
        };
        // Told on the status bar, or wrapped above it where the bar would cut it.
        const auto hints = [&] {
            QStringList shown{BriefMessage()};
            for (const QLabel* notice : form->findChildren<QLabel*>(QStringLiteral("HintNotice")))
                shown << notice->text();
            return shown.join(QString()).count(QStringLiteral("拡張機能"));
        };
        chromiumDrop("noted.jpg", "https://example.com/gallery");
        QCOMPARE(hints(), 0);
        chromiumDrop("plain.jpg", {});
        QCOMPARE(hints(), 1);
        QCOMPARE(form->StatusText(), QStringLiteral("2 画像取得"));
        chromiumDrop("again.jpg", {});
        QCOMPARE(hints(), 1);
        QCOMPARE(LoggedAddresses(), (QStringList{"https://example.com/gallery", image, image}));
        QCOMPARE(pipeline->LastBrowserNote(), NoteState::Missing);
    }

    void takesAFirefoxDrop() {
        const QByteArray png = ReadBytes(WritePicture("pixels.png"));
        auto* mime = new QMimeData;
        mime->setUrls({QUrl("https://img.example.com/cat.jpg")});
        mime->setData("application/x-moz-file-promise-url", "https://img.example.com/cat.jpg");
        mime->setData("application/x-moz-file-promise-dest-filename", "cat.jpg");
        mime->setData("image/png", png);
        Drop(mime);
        QCOMPARE(ReadBytes(target + "cat.png"), png);
        QCOMPARE(LoggedAddresses(), QStringList{"https://img.example.com/cat.jpg"});
    }

    void refusesADropWithNothingToSave() {
        auto* mime = new QMimeData;
        mime->setUrls({QUrl("https://example.com/page.html")});
        Drop(mime);
        QCOMPARE(prompter->notices.size(), 1);
        QVERIFY(QDir(target).entryList(QDir::Files).isEmpty());
    }

    void completesACaptureWhosePictureCannotBeDecoded() {
        const QString broken = sources + "broken.jpg";
        QVERIFY(WriteBytes(broken, "this is not a jpeg"));
        Drop(FileDrop({broken}));
        QVERIFY(QFile::exists(target + "broken.jpg"));
        QCOMPARE(LoggedNames(), QStringList{"broken.jpg"});
        QTRY_VERIFY(!BriefMessage().isEmpty());
        QVERIFY(!PreviewShown());
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm1CaptureTest)
#include "TForm1CaptureTest.moc"
