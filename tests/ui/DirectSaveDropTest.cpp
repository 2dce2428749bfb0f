#include "capture/CapturePipeline.h"
#include "capture/DirectSave.h"
#include "capture/DropIntake.h"
#include "capture/FolderWriteWatch.h"
#include "destinations/CurrentDestination.h"
#include "logs/CaptureLog.h"
#include "logs/HistoryTree.h"
#include "support/CaptureFakes.h"
#include "support/Files.h"
#include "support/Logs.h"
#include "x11/XdndDirectSave.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace kelvo {
namespace {

const QByteArray kOriginal("\xFF\xD8\xFF\xE0\0\x10JFIF\0original\r\n\x80\xFF\xD9", 25);
const QByteArray kPixels("\x89PNG\r\n\x1A\n\0\0\0\rIHDR re-encoded", 27);
constexpr auto kImageAddress = "https://img.example.com/cat.jpg";

// What a file that cannot be read shows as, unlike the bytes of any drop.
const QByteArray kUnreadable("(unreadable)");

using testing::ReadBytes;
using testing::WriteBytes;

// A drag source that writes the dropped file itself, as Firefox does: it
// makes the file empty at once and fills it a little later, possibly under a
// name of its own; or it refuses; or it never fills the file.
class FakeDirectSave : public DirectSave {
public:
    enum class Answer { WritesLater, Refuses, NeverWrites };

    bool Offered(const QMimeData&) const override { return offered; }
    QString SuggestedName(const QMimeData&) override { return suggested; }
    bool Request(const QMimeData&, const QString& path) override {
        requested << path;
        if (answer == Answer::Refuses)
            return false;
        const QString written = writeAs.isEmpty() ? path : QFileInfo(path).dir().filePath(writeAs);
        WriteBytes(written, {});
        if (answer == Answer::WritesLater)
            QTimer::singleShot(100, [written, bytes = bytes] { WriteBytes(written, bytes); });
        return true;
    }

    bool offered = true;
    QString suggested = QStringLiteral("cat.jpg");
    Answer answer = Answer::WritesLater;
    QByteArray bytes = kOriginal;
    QString writeAs;
    QStringList requested;
};

void FirefoxDrop(QMimeData& mime) {
    mime.setUrls({QUrl(kImageAddress)});
    mime.setData("application/x-moz-file-promise-dest-filename", "cat.jpg");
    mime.setData("image/png", kPixels);
    mime.setData("XdndDirectSave0", {});
}

} // namespace

// Drops whose source writes the original file itself (X Direct Save), from
// the drop's data to the captured file, and what happens when it does not.
class DirectSaveDropTest : public QObject {
    Q_OBJECT

private:
    static constexpr std::chrono::milliseconds kLimit{1000};
    QTemporaryDir temp;
    QString home, target;
    FakeDirectSave source;
    testing::ScriptedPrompter prompter;
    testing::FakeBrowser browser;
    testing::FixedClock clock{QDateTime(QDate(2025, 1, 31), QTime(8, 0, 1))};
    testing::RecordingDisplay display;
    std::unique_ptr<HistoryTree> history;
    std::unique_ptr<CurrentDestination> destination;
    std::unique_ptr<DropIntake> intake;
    std::unique_ptr<CapturePipeline> pipeline;

    QStringList LoggedNames() {
        return testing::NamesAndAddresses(testing::LogRows(DailyLogPath(home, clock.now)));
    }

    DropPayload TakeFirefoxDrop() {
        QMimeData mime;
        FirefoxDrop(mime);
        return intake->Take(mime);
    }

private slots:
    void init() {
        QVERIFY(temp.isValid());
        home = temp.path() + "/home/";
        target = temp.path() + "/pictures/";
        QDir(temp.path()).removeRecursively();
        QDir().mkpath(home);
        QDir().mkpath(target);
        source = FakeDirectSave();
        prompter = testing::ScriptedPrompter();
        display = testing::RecordingDisplay();
        history = std::make_unique<HistoryTree>();
        destination = std::make_unique<CurrentDestination>(home);
        destination->Set("猫", target);
        intake = std::make_unique<DropIntake>(home + ".staging", &source, kLimit);
        pipeline = std::make_unique<CapturePipeline>(
            CaptureContext{home, prompter, browser, clock, display, *history, *destination});
    }

    void capturesTheOriginalTheSourceWritesWhileLaterDropsWait() {
        const DropPayload payload = TakeFirefoxDrop();
        QCOMPARE(payload.files.size(), 1);
        QVERIFY(payload.files[0].awaitWritten);
        QCOMPARE(source.requested.size(), 1);
        // Its own folder in the drop's folder, under the name the source suggested.
        const QFileInfo requested(source.requested[0]);
        QCOMPARE(requested.fileName(), QStringLiteral("cat.jpg"));
        QCOMPARE(requested.dir().dirName(), QStringLiteral("direct"));
        QVERIFY(requested.absolutePath().startsWith(home + ".staging/drop-"));

        const QString later = temp.path() + "/later.gif";
        QVERIFY(WriteBytes(later, "GIF89a later"));
        QTimer::singleShot(20, [&] {
            DropPayload second;
            second.files.append({later, {}});
            pipeline->HandleDroppedFiles(second);
            QVERIFY(!QFileInfo::exists(target + "later.gif")); // not yet: it waits its turn
        });
        pipeline->HandleDroppedFiles(payload);
        QCOMPARE(ReadBytes(target + "cat.jpg", kUnreadable), kOriginal);
        QVERIFY(!QFileInfo::exists(target + "cat.png"));
        QCOMPARE(LoggedNames(), (QStringList{QStringLiteral("cat.jpg ") + kImageAddress,
                                             QStringLiteral("later.gif ")}));
        QVERIFY(prompter.notices.isEmpty());
    }

    void aNameTheSourceSettlesOnItselfIsFound() {
        source.suggested = QStringLiteral("../../outside/%2e%2e.jpg");
        source.writeAs = QStringLiteral("cat-1.jpg"); // a name it made unique itself
        const DropPayload payload = TakeFirefoxDrop();
        QCOMPARE(source.requested.size(), 1);
        QVERIFY(source.requested[0].startsWith(home + ".staging/drop-"));
        QVERIFY(!source.requested[0].contains(".."));
        pipeline->HandleDroppedFiles(payload);
        QCOMPARE(ReadBytes(target + "cat-1.jpg", kUnreadable), kOriginal);
    }

    void withoutTheOriginalThePixelsAreCaptured() {
        source.answer = FakeDirectSave::Answer::Refuses;
        DropPayload refused = TakeFirefoxDrop();
        QVERIFY(!refused.files[0].awaitWritten);
        pipeline->HandleDroppedFiles(refused);
        QCOMPARE(ReadBytes(target + "cat.png", kUnreadable), kPixels);

        source.answer = FakeDirectSave::Answer::NeverWrites;
        source.suggested = QStringLiteral("dog.jpg");
        const DropPayload neverWritten = TakeFirefoxDrop();
        QElapsedTimer waited;
        waited.start();
        prompter.clashChoices = {ClashChoice::AutoRename};
        pipeline->HandleDroppedFiles(neverWritten);
        QVERIFY2(waited.elapsed() >= 900, QByteArray::number(waited.elapsed()).constData());
        QCOMPARE(ReadBytes(target + "cat[1].png", kUnreadable), kPixels);
        QVERIFY(!QFileInfo::exists(target + "dog.jpg"));
    }

    void nothingIsAskedOfASourceWhoseDropHoldsTheOriginal() {
        QMimeData chromium;
        chromium.setUrls({QUrl(kImageAddress)});
        chromium.setData("application/octet-stream", kOriginal);
        chromium.setData("XdndDirectSave0", {});
        const DropPayload payload = intake->Take(chromium);
        QVERIFY(source.requested.isEmpty());
        QVERIFY(!payload.files.value(0).awaitWritten);

        source.offered = false; // not offered at all
        QVERIFY(!TakeFirefoxDrop().files.value(0).awaitWritten);
        QVERIFY(source.requested.isEmpty());
        // Off X11 (here: offscreen; elsewhere Wayland) there is no such protocol.
        QCOMPARE(NewPlatformDirectSave(), nullptr);
    }

    // A source that agreed but never wrote, with no pixels to fall back on.
    void aFileThatNeverArrivesAndHasNoFallbackIsReported() {
        source.answer = FakeDirectSave::Answer::NeverWrites;
        QMimeData mime;
        mime.setUrls({QUrl(kImageAddress)});
        mime.setData("XdndDirectSave0", {});
        const DropPayload payload = intake->Take(mime);
        QCOMPARE(payload.files.size(), 1);
        QVERIFY(payload.files[0].path.isEmpty());
        CaptureOutcome outcome;
        pipeline->SetOutcomeListener(
            [&](const DroppedFile&, const CaptureOutcome& reported) { outcome = reported; });
        pipeline->HandleDroppedFiles(payload);
        QCOMPARE(outcome.kind, CaptureOutcome::Kind::Failed);
        QCOMPARE(prompter.notices.size(), 1);
        QVERIFY(QDir(target).isEmpty());
    }

    void aWatchSeesOnlyFilesClosedWithContent() {
        const QString folder = temp.path() + "/watched";
        QVERIFY(QDir().mkpath(folder));
        FolderWriteWatch watch(folder);
        QVERIFY(watch.IsWatching());
        QVERIFY(QDir().mkdir(folder + "/sub"));
        QVERIFY(WriteBytes(folder + "/empty.jpg", {}));
        QVERIFY(WriteBytes(temp.path() + "/moved.png", "moved in whole"));
        QTimer::singleShot(
            50, [&] { QVERIFY(QFile::rename(temp.path() + "/moved.png", folder + "/moved.png")); });
        QCOMPARE(watch.AwaitWrittenFile(kLimit), folder + "/moved.png");

        FolderWriteWatch quiet(folder);
        QVERIFY(quiet.AwaitWrittenFile(std::chrono::milliseconds(100)).isEmpty());
        FolderWriteWatch missing(temp.path() + "/no such folder");
        QVERIFY(!missing.IsWatching());
        QVERIFY(missing.AwaitWrittenFile(kLimit).isEmpty());
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::DirectSaveDropTest)
#include "DirectSaveDropTest.moc"
