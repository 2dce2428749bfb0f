#pragma once

#include "capture/CapturePipeline.h"

#include <QByteArray>
#include <QList>
#include <QString>

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

// Whether the process at the other end of a connected local socket runs as
// this user; false when that cannot be learnt.
bool IsOwnUser(int socketDescriptor);

// While the window works on a hand-over it tells the second start so at
// least this often; the second start gives up after kHandOverSilence without
// a word.
inline constexpr int kHandOverHeartbeat = 2000; // ms
inline constexpr int kHandOverSilence = 30000;  // ms

// The words on the socket: lines of tab-separated fields, each field
// percent-encoded so that paths with tabs or line breaks travel safely. A
// request is "CAPTURE" (with the destination as a second field when one is
// chosen), a line per file (its path, page and image), then an empty line.
// The window answers a line per file, "WAIT" lines while it works, and "END".
namespace handover {
inline constexpr char kEndLine[] = "END\n";
inline constexpr char kWaitLine[] = "WAIT\n";
QByteArray RequestBytes(const HandedCapture& capture);
// A complete request, or nothing while it is still arriving; one that is no
// capture gives no files.
std::optional<HandedCapture> CompleteRequest(const QByteArray& received);
QByteArray OutcomeLine(const HandedOutcome& outcome);
// Nothing for a line that is no outcome (a "WAIT", or garbage).
std::optional<HandedOutcome> ParseOutcomeLine(const QByteArray& line);
} // namespace handover

} // namespace kelvo
