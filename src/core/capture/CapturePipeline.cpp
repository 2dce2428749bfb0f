#include "capture/CapturePipeline.h"

#include "capture/BrowserLink.h"
#include "capture/CaptureDisplay.h"
#include "capture/CaptureNames.h"
#include "destinations/CurrentDestination.h"
#include "logs/CaptureLog.h"
#include "logs/DayTexts.h"
#include "logs/HistoryTree.h"
#include "services/Clock.h"
#include "text/PathText.h"

#include <QDir>
#include <QFile>

namespace kelvo {
namespace {

const QString kSavedText = QStringLiteral("を保存しました。");
const QString kOverwrittenText = QStringLiteral("を上書き保存しました。");
const QString kRenamedText = QStringLiteral("に改名し保存しました。");
const QString kNotSavedText = QStringLiteral("保存しませんでした。");
// Said once a run, when a browser drop told nothing of its page.
const QString kExtensionHintText = QStringLiteral(
    "ページのアドレスを記録するには、ブラウザに拡張機能を入れてください（設定 → その他）。");
const QString kNothingToSaveText =
    QStringLiteral("ドロップされたものに画像ファイルも画像データも含まれていません。");

// The folder as the message names it: without its trailing separator, but the
// root keeps its own.
QString FolderForMessage(const QString& folder) {
    return folder.size() > 1 && folder.endsWith(u'/') ? folder.chopped(1) : folder;
}

QString MissingFolderText(const QString& folder) {
    return QStringLiteral("保存先フォルダ ") + FolderForMessage(folder) +
           QStringLiteral(" が存在しません。\n存在するフォルダを設定してください。");
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

CaptureOutcome Failure(const QString& text) {
    return {CaptureOutcome::Kind::Failed, {}, text};
}

} // namespace

QString CaptureOutcome::Summary() const {
    return logged ? text : text + QStringLiteral(" ただし、ログに記録できませんでした。");
}

struct CapturePipeline::Capture {
    explicit Capture(const DroppedFile& dropped) : file(dropped), copy(LocalPath(dropped.path)) {}

    DroppedFile file;
    QString droppedName; // with its bracket group
    QString cleanName;   // without it: the name saved by default
    QString folder;      // where it goes, ending in the separator
    QString targetPath;
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
    context_.prompter.Notice(kNothingToSaveText);
    return Failure(kNothingToSaveText);
}

// Refused before anything is opened, so a pipe never holds the capture up.
CaptureOutcome CapturePipeline::NotAFile(const QString& path) {
    const QString text = QStringLiteral("%1 は通常のファイルではないため保存しません。").arg(path);
    context_.prompter.Notice(text);
    return Failure(text);
}

CaptureOutcome CapturePipeline::CaptureFile(const DroppedFile& file) {
    if (NamesNonRegularFile(LocalPath(file.path)))
        return NotAFile(file.path);
    Capture capture(file);
    capture.droppedName = FileNamePart(file.path);
    capture.cleanName = RemoveBracketGroup(capture.droppedName);
    capture.folder = context_.destination.CaptureFolder();
    capture.targetPath = capture.folder + capture.cleanName;
    if (capture.folder == context_.picturesDestination)
        QDir().mkpath(capture.folder);

    CaptureOutcome outcome;
    const CopyResult copied = PublishUnlessTaken(capture, capture.targetPath);
    if (copied == CopyResult::Copied)
        outcome = Saved(capture, capture.targetPath, kSavedText);
    else if (copied == CopyResult::TargetExists)
        outcome = ResolveClash(capture);
    else
        return CopyFailed(capture.targetPath, copied);
    ShowCountInStatus();
    return outcome;
}

CaptureOutcome CapturePipeline::ResolveClash(Capture& capture) {
    context_.display.BringToFront();
    const ClashChoice choice =
        context_.prompter.ChooseClash({capture.targetPath, capture.file.path, capture.cleanName});
    CaptureOutcome outcome{CaptureOutcome::Kind::NotSavedByChoice, {}, kNotSavedText};
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
        return {CaptureOutcome::Kind::NotSavedByChoice, {}, kNotSavedText};
    // The save dialog has asked before replacing an existing file.
    CopyResult copied = CopyFor(capture, *chosen);
    if (copied == CopyResult::Copied)
        copied = capture.copy.PublishReplacing(LocalPath(*chosen));
    if (copied != CopyResult::Copied)
        return CopyFailed(*chosen, copied);
    const bool sameName = FileNamePart(*chosen) == capture.cleanName;
    return Saved(capture, *chosen, sameName ? kOverwrittenText : kRenamedText);
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
            return Saved(capture, capture.folder + name, kRenamedText);
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
    QString text;
    if (result == CopyResult::FolderMissing) {
        context_.display.BringToFront();
        context_.display.Beep();
        text = MissingFolderText(FolderPart(target));
    } else {
        text = QStringLiteral("ファイル %1 を保存できません。").arg(target);
    }
    context_.prompter.Notice(text);
    return Failure(text);
}

CaptureOutcome CapturePipeline::Saved(const Capture& capture, const QString& savedPath,
                                      const QString& text) {
    context_.display.ShowSavedName(FileNamePart(savedPath));
    context_.display.ShowCapturedPreview(savedPath);
    lastSavedPath_ = savedPath;
    ++captureCount_;
    const bool logged = RecordCapture(savedPath, capture.file);
    context_.display.ShowOutcome(text);
    return {CaptureOutcome::Kind::Saved, savedPath, text, logged};
}

void CapturePipeline::ShowCountInStatus() {
    if (captureCount_ != 0)
        context_.display.ShowStatus(QString::number(captureCount_) + QStringLiteral(" 画像取得"));
}

bool CapturePipeline::RecordCapture(const QString& savedPath, const DroppedFile& file) {
    captureTime_ = context_.clock.Now();
    const HistoryTree::DayAddition added = context_.history.AddCaptureDayToTree(captureTime_);
    if (added.newMonth)
        QDir().mkdir(MonthFolderPath(context_.homeFolder, captureTime_));
    // A new day is kept at once, not only at the next close: after a crash the
    // day's log must still be reachable from the tree. Once a day costs little;
    // a failure here is met again, and reported, by the save at close.
    if (added.newDay)
        context_.history.Save(HistoryTreeFilePath(context_.homeFolder));
    // Asked once: the viewer and the log name the same page.
    lastSourceAddress_ = WithoutControlCharacters(SourceAddressOf(file));
    StampCaptureTime(savedPath);
    return WriteCaptureLog(savedPath, lastSourceAddress_);
}

// The best source the drop can give: the page its note names, else the page a
// browser tells, else the frame the note names, else the image's own address.
QString CapturePipeline::SourceAddressOf(const DroppedFile& file) {
    if (!file.pageAddress.isEmpty())
        return file.pageAddress;
    const QString asked = context_.browser.AskPageAddress();
    if (!asked.isEmpty())
        return asked;
    if (!file.frameAddress.isEmpty())
        return file.frameAddress;
    if (file.note == NoteState::Missing && !extensionHintShown_) {
        extensionHintShown_ = true;
        context_.display.ShowHint(kExtensionHintText);
    }
    return file.imageAddress;
}

void CapturePipeline::StampCaptureTime(const QString& savedPath) {
    if (!SetModificationTime(LocalPath(savedPath), captureTime_.toSecsSinceEpoch()))
        context_.prompter.Notice(QStringLiteral("ファイル オープンエラー"));
}

bool CapturePipeline::WriteCaptureLog(const QString& savedPath, const QString& sourceAddress) {
    const CaptureRecord record{FileNamePart(savedPath), captureTime_,
                               context_.destination.CurrentIdentifier(), sourceAddress,
                               FolderPart(savedPath)};
    if (kelvo::WriteCaptureLog(context_.homeFolder, record))
        return true;
    context_.prompter.Notice(DailyLogPath(context_.homeFolder, captureTime_) +
                             QStringLiteral(" に書き込めません"));
    return false;
}

} // namespace kelvo
