#pragma once

#include "capture/CapturePipeline.h"

#include <QLocalServer>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>

namespace kelvo {

// What a second start hands to the running window: files to capture as a drop,
// each with the page and image it came from when a browser told them, and the
// destination (識別名) to make current first, or none for the current one.
struct HandedFile {
    QString path;
    QString pageAddress = {};
    QString imageAddress = {};
    bool operator==(const HandedFile&) const = default;
};
struct HandedCapture {
    QString destination;
    QList<HandedFile> files;
};

// One outcome line of a capture handed over to the running window.
struct HandedOutcome {
    enum class Kind { Saved, Skipped, Failed };
    Kind kind = Kind::Failed;
    QString path; // the saved path, or the file that was not saved
    QString text; // the outcome, or why nothing was saved
};

// A handed file as the window captures it: the page is the browser's own word.
DroppedFile DroppedFileOf(const HandedFile& file);

// What a second start is told of a file's capture: saved without its row is
// a failure, told at the saved path.
HandedOutcome HandedOutcomeOf(const DroppedFile& file, const CaptureOutcome& outcome);

// The socket of the window working on a home folder, one per home (by its
// canonical path) in a folder only the user can enter: $XDG_RUNTIME_DIR when
// it is the user's own and closed to others, else ".run/" in the home folder.
QString InstanceSocketPath(const QString& homeFolder);

// The running window's end: takes files to capture from a second start and
// reports each file's outcome back, then closes the connection.
class InstanceServer : public QObject {
    Q_OBJECT

public:
    // report(outcome) sends one line; done() ends the answer.
    using Reply = std::function<void(const HandedOutcome&)>;
    using CaptureRequest =
        std::function<void(const HandedCapture& capture, Reply report, std::function<void()> done)>;

    InstanceServer(const QString& homeFolder, CaptureRequest onCapture, QObject* parent = nullptr);
    // The caller holds the home's lock, so a socket left behind is stale.
    // False, with the reason in ListenError(), when the socket cannot be made.
    bool Listen();
    QString ListenError() const { return listenError_; }

private:
    void Serve(QLocalSocket* socket);
    void Answer(QLocalSocket* socket, const HandedCapture& capture);

    QLocalServer server_;
    QString path_;
    QString listenError_;
    CaptureRequest onCapture_;
};

// While the window works on a hand-over it tells the second start so at
// least this often; the second start gives up after kHandOverSilence without
// a word.
inline constexpr int kHandOverHeartbeat = 2000; // ms
inline constexpr int kHandOverSilence = 30000;  // ms

// The second start's end: hands the files to the window working on the home,
// gives each file's outcome to print as the window reports it, and returns
// the exit code; nothing when no window answers. A socket kept by another
// user is never talked to; a window that falls silent ends the wait with exit
// code 1 and a word on err.
using OutcomePrinter = std::function<void(const HandedOutcome&)>;
std::optional<int> HandOverCapture(const QString& homeFolder, const HandedCapture& capture,
                                   const OutcomePrinter& print, QTextStream& err,
                                   int silenceLimit = kHandOverSilence);

} // namespace kelvo
