#pragma once

#include "capture/DropPayload.h"
#include "collection/CaptureCollection.h"
#include "files/FileCopy.h"
#include "services/Prompter.h"
#include "services/WorkAside.h"
#include "text/Wording.h"

#include <QDateTime>
#include <QString>

#include <deque>
#include <functional>

namespace kelvo {

class BrowserLink;
class CaptureDisplay;
class Clock;
class CurrentDestination;
class HistoryTree;

// Everything a capture reaches outside itself.
struct CaptureContext {
    QString homeFolder;
    Prompter& prompter;
    BrowserLink& browser;
    const Clock& clock;
    CaptureDisplay& display;
    HistoryTree& history;
    const CurrentDestination& destination;
    // Where the copy is made: reading and syncing a large file takes a while.
    WorkRunner copyRunner = RunHere;
    // The pictures folder's Kelvo/: made at the first capture into it, while
    // any other missing folder is the user's to mend.
    QString picturesDestination = {};
    // The pictures captured before, checked before each copy is named and
    // told of each capture; none: nothing is checked.
    CaptureCollection* collection = nullptr;
    // The settings the capture follows; the defaults when none.
    const CaptureChoices* choices = nullptr;
};

struct CaptureOutcome {
    enum class Kind { Saved, NotSavedByChoice, Failed };
    Kind kind = Kind::Failed;
    QString savedPath;
    QString text;        // the outcome, or why nothing was saved, in the program's own words
    bool logged = true;  // false: saved, but the day's log could not be written
    QString sameAs = {}; // an earlier capture of the same bytes, when there is one

    // Whether everything the capture was to do was done (or not done by choice).
    bool Complete() const { return kind != Kind::Failed && logged; }
    // The text, and that the row is missing when it is.
    QString Summary() const;
};

// The road of a dropped file: a no-replace copy into the current destination,
// the clash dialog when the name is taken, the preview, the count and the
// capture log.
class CapturePipeline {
public:
    using OutcomeListener = std::function<void(const DroppedFile&, const CaptureOutcome&)>;

    explicit CapturePipeline(CaptureContext context);

    // Drops are captured one after another in the order they came: a drop that
    // arrives while another is processed (a dialog is open) waits its turn.
    void HandleDroppedFiles(DropPayload payload);
    CaptureOutcome CaptureFile(const DroppedFile& file);

    void SetOutcomeListener(OutcomeListener listener) { listener_ = std::move(listener); }
    // A drop is being captured (its dialogs may be open).
    bool Busy() const { return processing_; }
    int CaptureCount() const { return captureCount_; }
    void ResetCaptureCount() { captureCount_ = 0; }
    const QString& LastSavedPath() const { return lastSavedPath_; }
    const QString& LastSourceAddress() const { return lastSourceAddress_; }
    // Whether the last drop from a browser carried the extension's note;
    // NotFromBrowser until the first.
    NoteState LastBrowserNote() const { return lastBrowserNote_; }

private:
    struct Capture; // one file on its way

    void ProcessDrop(const DropPayload& payload);
    DroppedFile Settled(const DroppedFile& file);
    CaptureOutcome NothingToSave();
    CaptureOutcome NotAFile(const QString& path);
    // Told to the user, and the capture's outcome.
    CaptureOutcome Refused(const Wording& text);
    std::optional<CaptureOutcome> CheckSameContent(Capture& capture);
    bool SaveSameContent(Capture& capture, const EarlierCapture& earlier);
    CaptureOutcome NotSavedAsSame(const EarlierCapture& earlier);
    CaptureOutcome ResolveClash(Capture& capture);
    CaptureOutcome ManualRename(Capture& capture);
    CaptureOutcome AutoRename(Capture& capture);
    CopyResult PublishUnlessTaken(Capture& capture, const QString& target);
    CopyResult PublishNoReplace(Capture& capture, const QString& target);
    CopyResult CopyFor(Capture& capture, const QString& target);
    CaptureOutcome CopyFailed(const QString& target, CopyResult result);
    CaptureOutcome Saved(const Capture& capture, const QString& savedPath, const Wording& text);
    bool RecordCapture(const QString& savedPath, const Capture& capture);
    QString PageAddressOf(const DroppedFile& file);
    void StampCaptureTime(const QString& savedPath);
    void WriteSourceAttributes(const QString& savedPath, const DroppedFile& file);
    bool WriteCaptureLog(const QString& savedPath, const QString& sourceAddress);
    void ShowCountInStatus();

    CaptureChoices Choices() const;

    CaptureContext context_;
    OutcomeListener listener_;
    std::deque<DropPayload> queue_;
    bool processing_ = false;
    int captureCount_ = 0;
    QString lastSavedPath_;
    QString lastSourceAddress_;
    QDateTime captureTime_;
    QString lastPageAddress_;
    NoteState lastBrowserNote_ = NoteState::NotFromBrowser;
    bool extensionHintShown_ = false;
};

} // namespace kelvo
