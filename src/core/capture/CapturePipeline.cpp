#include "capture/CapturePipeline.h"

#include "capture/BrowserLink.h"
#include "capture/CaptureDisplay.h"
#include "capture/CaptureNames.h"
#include "destinations/CurrentDestination.h"
#include "files/SourceAttributes.h"
#include "logs/CaptureLog.h"
#include "logs/DayTexts.h"
#include "logs/HistoryTree.h"
#include "services/Clock.h"
#include "text/PathText.h"
#include "text/Wording.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace kelvo {
namespace {

// The window shows what a capture says in the user's language; its outcome
// keeps the program's own words (Wording).
constexpr char kContext[] = "CapturePipeline";
constexpr const char* kSavedText = QT_TRANSLATE_NOOP("CapturePipeline", "を保存しました。");
constexpr const char* kOverwrittenText =
    QT_TRANSLATE_NOOP("CapturePipeline", "を上書き保存しました。");
constexpr const char* kRenamedText = QT_TRANSLATE_NOOP("CapturePipeline", "に改名し保存しました。");
// Said once a run, when a browser drop told nothing of its page.
constexpr const char* kExtensionHintText = QT_TRANSLATE_NOOP(
    "CapturePipeline",
    "ページのアドレスを記録するには、ブラウザに拡張機能を入れてください（設定 → その他）。");
constexpr const char* kNothingToSaveText = QT_TRANSLATE_NOOP(
    "CapturePipeline", "ドロップされたものに画像ファイルも画像データも含まれていません。");

Wording Say(const char* source) {
    return Worded(kContext, source);
}

// A capture cannot go on until the user sets another folder: said so.
Wording MissingCaptureFolderText(const QString& folder) {
    return MissingFolderText(folder) +
           Say(QT_TRANSLATE_NOOP("CapturePipeline", "\n存在するフォルダを設定してください。"));
}

// Addresses come from pages and browsers: a control character in one is kept
// percent-encoded, never raw in a log's line or a printed column.
QString WithoutControlCharacters(const QString& address) {
    QString clean;
    for (const QChar c : address) {
        if (IsControlCharacter(c))
            clean += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            clean += c;
    }
    return clean;
}

constexpr const char* kNotSavedAsSameText =
    QT_TRANSLATE_NOOP("CapturePipeline", "同じ画像を保存済みのため保存しませんでした。");
constexpr const char* kAttributesFailedText =
    QT_TRANSLATE_NOOP("CapturePipeline", "取得元のアドレスをファイルに記録できませんでした。");

CaptureOutcome Failure(const Wording& text) {
    return {CaptureOutcome::Kind::Failed, {}, text.own};
}

// An outcome the window does not show.
CaptureOutcome NotSavedByChoice() {
    return {CaptureOutcome::Kind::NotSavedByChoice, {}, QStringLiteral("保存しませんでした。")};
}

} // namespace

QString CaptureOutcome::Summary() const {
    QString summary = text;
    if (!sameAs.isEmpty())
        summary += QStringLiteral(" 同じ画像: %1").arg(sameAs);
    return logged ? summary : summary + QStringLiteral(" ただし、ログに記録できませんでした。");
}

struct CapturePipeline::Capture {
    explicit Capture(const DroppedFile& dropped)
        : file(dropped),
          copy(dropped.bytes ? SourceCopy(dropped.bytes) : SourceCopy(LocalPath(dropped.path))) {}

    DroppedFile file;
    QString droppedName; // with its bracket group
    QString cleanName;   // without it: the name saved by default
    QString folder;      // where it goes, ending in the separator
    QString targetPath;
    QString sameAs;                // the earlier capture of the same bytes
    bool sameContentAsked = false; // then a taken name asks nothing more
    // Copied once, at the first name tried; every name after reuses it.
    SourceCopy copy;
};

CapturePipeline::CapturePipeline(CaptureContext context) : context_(std::move(context)) {}

void CapturePipeline::HandleDroppedFiles(DropPayload payload) {
    queue_.push_back(std::move(payload));
    if (processing_)
        return;
    processing_ = true;
    {
        // The destination must not change under a drop, dialogs included.
        const PauseHoverSelection pause(context_.display);
        while (!queue_.empty()) {
            const DropPayload next = std::move(queue_.front());
            queue_.pop_front();
            ProcessDrop(next);
        }
    }
    processing_ = false;
}

void CapturePipeline::ProcessDrop(const DropPayload& payload) {
    if (payload.prepare)
        payload.prepare();
    if (payload.files.isEmpty()) {
        NothingToSave();
        if (payload.done)
            payload.done();
        return;
    }
    for (const DroppedFile& dropped : payload.files) {
        context_.display.ClearPreview();
        const DroppedFile file = Settled(dropped);
        if (file.note != NoteState::NotFromBrowser)
            lastBrowserNote_ = file.note;
        const CaptureOutcome outcome = file.path.isEmpty() ? NothingToSave() : CaptureFile(file);
        if (listener_)
            listener_(file, outcome);
        if (payload.reportOutcome)
            payload.reportOutcome(file, outcome);
    }
    if (payload.done)
        payload.done();
}

// A file the browser writes itself is waited for here, in its turn, so the
// window keeps painting and later drops keep their order.
DroppedFile CapturePipeline::Settled(const DroppedFile& file) {
    if (!file.awaitWritten)
        return file;
    const QString written = file.awaitWritten();
    DroppedFile settled = file;
    settled.path = written.isEmpty() ? file.path : written;
    settled.awaitWritten = {};
    return settled;
}

CaptureOutcome CapturePipeline::NothingToSave() {
    return Refused(Say(kNothingToSaveText));
}

// Refused before anything is opened, so a pipe never holds the capture up.
CaptureOutcome CapturePipeline::NotAFile(const QString& path) {
    return Refused(
        Say(QT_TRANSLATE_NOOP("CapturePipeline", "%1 は通常のファイルではないため保存しません。"))
            .arg(path));
}

CaptureOutcome CapturePipeline::Refused(const Wording& text) {
    context_.prompter.Notice(text.shown);
    return Failure(text);
}

CaptureOutcome CapturePipeline::CaptureFile(const DroppedFile& file) {
    if (!file.bytes && NamesNonRegularFile(LocalPath(file.path)))
        return NotAFile(file.path);
    Capture capture(file);
    capture.droppedName = FileNamePart(file.path);
    capture.cleanName = RemoveBracketGroup(capture.droppedName);
    capture.folder = context_.destination.CaptureFolder();
    capture.targetPath = capture.folder + capture.cleanName;
    if (capture.folder == context_.picturesDestination)
        QDir().mkpath(capture.folder);
    if (const std::optional<CaptureOutcome> notSaved = CheckSameContent(capture))
        return *notSaved;

    CaptureOutcome outcome;
    const CopyResult copied = PublishUnlessTaken(capture, capture.targetPath);
    if (copied == CopyResult::Copied)
        outcome = Saved(capture, capture.targetPath, Say(kSavedText));
    else if (copied == CopyResult::TargetExists)
        outcome = capture.sameContentAsked ? AutoRename(capture) : ResolveClash(capture);
    else
        return CopyFailed(capture.targetPath, copied);
    outcome.sameAs = capture.sameAs;
    ShowCountInStatus();
    return outcome;
}

// Before the copy gets a name: the copy is made first, as its content hash is
// taken while it is read. Nothing when the capture goes on.
std::optional<CaptureOutcome> CapturePipeline::CheckSameContent(Capture& capture) {
    if (!context_.collection)
        return std::nullopt;
    const CopyResult made = CopyFor(capture, capture.targetPath);
    if (made != CopyResult::Copied)
        return CopyFailed(capture.targetPath, made);
    const std::optional<EarlierCapture> earlier =
        context_.collection->SameContent(capture.copy.ContentHash());
    if (!earlier)
        return std::nullopt;
    capture.sameAs = earlier->savedPath;
    if (SaveSameContent(capture, *earlier))
        return std::nullopt;
    return NotSavedAsSame(*earlier);
}

bool CapturePipeline::SaveSameContent(Capture& capture, const EarlierCapture& earlier) {
    switch (Choices().sameContent) {
    case SameContentRule::Save:
        return true;
    case SameContentRule::Skip:
        return false;
    case SameContentRule::Ask:
        break;
    }
    context_.display.BringToFront();
    capture.sameContentAsked = true;
    const bool save = context_.prompter.ConfirmSameContent({earlier, capture.file.path});
    context_.display.ReassertTopmost();
    return save;
}

CaptureOutcome CapturePipeline::NotSavedAsSame(const EarlierCapture& earlier) {
    const Wording text = Say(kNotSavedAsSameText);
    context_.display.ShowOutcome(text.shown);
    CaptureOutcome outcome{CaptureOutcome::Kind::NotSavedByChoice, {}, text.own};
    outcome.sameAs = earlier.savedPath;
    return outcome;
}

CaptureChoices CapturePipeline::Choices() const {
    return context_.choices ? *context_.choices : CaptureChoices{};
}

CaptureOutcome CapturePipeline::ResolveClash(Capture& capture) {
    context_.display.BringToFront();
    const ClashChoice choice =
        context_.prompter.ChooseClash({capture.targetPath, capture.file.path, capture.cleanName});
    CaptureOutcome outcome = NotSavedByChoice();
    if (choice == ClashChoice::ManualRename)
        outcome = ManualRename(capture);
    else if (choice == ClashChoice::AutoRename)
        outcome = AutoRename(capture);
    context_.display.ReassertTopmost();
    return outcome;
}

CaptureOutcome CapturePipeline::ManualRename(Capture& capture) {
    const std::optional<QString> chosen =
        context_.prompter.AskSaveAs(capture.folder, capture.cleanName);
    if (!chosen)
        return NotSavedByChoice();
    // The save dialog has asked before replacing an existing file.
    CopyResult copied = CopyFor(capture, *chosen);
    if (copied == CopyResult::Copied)
        copied = capture.copy.PublishReplacing(LocalPath(*chosen));
    if (copied != CopyResult::Copied)
        return CopyFailed(*chosen, copied);
    const bool sameName = FileNamePart(*chosen) == capture.cleanName;
    return Saved(capture, *chosen, Say(sameName ? kOverwrittenText : kRenamedText));
}

// The dropped name as it came (a cache name such as photo[1].jpg) first, then
// numbered names until one is free. A name taken by someone else between the
// look and the copy is never overwritten: numbering goes on.
CaptureOutcome CapturePipeline::AutoRename(Capture& capture) {
    NamesInFolder taken(LocalPath(capture.folder));
    AutoRenameNames numbered(capture.droppedName);
    QString name = capture.droppedName;
    for (;;) {
        const CopyResult copied = taken.Taken(LocalPath(name))
                                      ? CopyResult::TargetExists
                                      : PublishNoReplace(capture, capture.folder + name);
        if (copied == CopyResult::Copied)
            return Saved(capture, capture.folder + name, Say(kRenamedText));
        if (copied != CopyResult::TargetExists)
            return CopyFailed(capture.folder + name, copied);
        name = numbered.Next();
    }
}

// A name plainly taken is passed over without a copy or a link: a look costs
// less than either, and a clash may end with nothing saved. A name taken after
// the look is still refused by the link.
CopyResult CapturePipeline::PublishUnlessTaken(Capture& capture, const QString& target) {
    return NameTaken(LocalPath(target)) ? CopyResult::TargetExists
                                        : PublishNoReplace(capture, target);
}

CopyResult CapturePipeline::PublishNoReplace(Capture& capture, const QString& target) {
    const CopyResult copied = CopyFor(capture, target);
    return copied == CopyResult::Copied ? capture.copy.PublishNoReplace(LocalPath(target)) : copied;
}

// The copy, made once (at the first name tried) by the copy runner, so that
// the window keeps painting while a large file is read and synced; a later
// name only needs its folder looked for, with no thread of its own.
CopyResult CapturePipeline::CopyFor(Capture& capture, const QString& target) {
    if (capture.copy.Made())
        return capture.copy.ReadyFor(LocalPath(target));
    CopyResult ready = CopyResult::Failed;
    context_.copyRunner([&] { ready = capture.copy.ReadyFor(LocalPath(target)); });
    return ready;
}

CaptureOutcome CapturePipeline::CopyFailed(const QString& target, CopyResult result) {
    if (result != CopyResult::FolderMissing)
        return Refused(Say(QT_TRANSLATE_NOOP("CapturePipeline", "ファイル %1 を保存できません。"))
                           .arg(target));
    context_.display.BringToFront();
    context_.display.Beep();
    return Refused(MissingCaptureFolderText(FolderPart(target)));
}

CaptureOutcome CapturePipeline::Saved(const Capture& capture, const QString& savedPath,
                                      const Wording& text) {
    context_.display.ShowSavedName(FileNamePart(savedPath));
    context_.display.ShowCapturedPreview(savedPath);
    lastSavedPath_ = savedPath;
    ++captureCount_;
    const bool logged = RecordCapture(savedPath, capture);
    context_.display.ShowOutcome(text.shown);
    return {CaptureOutcome::Kind::Saved, savedPath, text.own, logged};
}

void CapturePipeline::ShowCountInStatus() {
    if (captureCount_ != 0)
        context_.display.ShowStatus(
            QCoreApplication::translate("CapturePipeline", "%1 画像取得").arg(captureCount_));
}

bool CapturePipeline::RecordCapture(const QString& savedPath, const Capture& capture) {
    const DroppedFile& file = capture.file;
    captureTime_ = context_.clock.Now();
    const HistoryTree::DayAddition added = context_.history.AddCaptureDayToTree(captureTime_);
    if (added.newMonth)
        QDir().mkdir(MonthFolderPath(context_.homeFolder, captureTime_));
    // A new day is kept at once, not only at the next close: after a crash the
    // day's log must still be reachable from the tree. Once a day costs little;
    // a failure here is met again, and reported, by the save at close.
    if (added.newDay)
        context_.history.Save(HistoryTreeFilePath(context_.homeFolder));
    // Asked once: the viewer, the log and the file's attributes name the same
    // page. The best source is the page, else the image's own address.
    lastPageAddress_ = WithoutControlCharacters(PageAddressOf(file));
    lastSourceAddress_ =
        lastPageAddress_.isEmpty() ? WithoutControlCharacters(file.imageAddress) : lastPageAddress_;
    StampCaptureTime(savedPath);
    WriteSourceAttributes(savedPath, file);
    const bool logged = WriteCaptureLog(savedPath, lastSourceAddress_);
    if (logged && context_.collection)
        context_.collection->Add({savedPath, captureTime_, capture.copy.ContentHash(),
                                  context_.destination.CurrentIdentifier(), lastSourceAddress_});
    return logged;
}

// The page its note names, else the page a browser tells, else the frame the
// note names; empty when the drop tells no page.
QString CapturePipeline::PageAddressOf(const DroppedFile& file) {
    if (!file.pageAddress.isEmpty())
        return file.pageAddress;
    const QString asked = context_.browser.AskPageAddress();
    if (!asked.isEmpty())
        return asked;
    if (!file.frameAddress.isEmpty())
        return file.frameAddress;
    if (file.note == NoteState::Missing && !extensionHintShown_) {
        extensionHintShown_ = true;
        context_.display.ShowHint(Say(kExtensionHintText).shown);
    }
    return {};
}

// As a browser marks a download. A file system without attributes is no
// fault: the log has the source either way.
void CapturePipeline::WriteSourceAttributes(const QString& savedPath, const DroppedFile& file) {
    if (!Choices().sourceAttributes)
        return;
    const SourceAttributes source{WithoutControlCharacters(file.imageAddress).toStdString(),
                                  lastPageAddress_.toStdString()};
    if (kelvo::WriteSourceAttributes(LocalPath(savedPath), source) == AttributesResult::Failed)
        context_.display.ShowHint(Say(kAttributesFailedText).shown);
}

void CapturePipeline::StampCaptureTime(const QString& savedPath) {
    if (!SetModificationTime(LocalPath(savedPath), captureTime_.toSecsSinceEpoch()))
        context_.prompter.Notice(
            QCoreApplication::translate("CapturePipeline", "ファイル オープンエラー"));
}

bool CapturePipeline::WriteCaptureLog(const QString& savedPath, const QString& sourceAddress) {
    const CaptureRecord record{FileNamePart(savedPath), captureTime_,
                               context_.destination.CurrentIdentifier(), sourceAddress,
                               FolderPart(savedPath)};
    if (kelvo::WriteCaptureLog(context_.homeFolder, record))
        return true;
    context_.prompter.Notice(QCoreApplication::translate("CapturePipeline", "%1 に書き込めません")
                                 .arg(DailyLogPath(context_.homeFolder, captureTime_)));
    return false;
}

} // namespace kelvo
