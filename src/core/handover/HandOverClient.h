#pragma once

#include "handover/HandOver.h"

#include <QTextStream>

#include <functional>
#include <optional>

namespace kelvo {

// The second start's end: hands the files to the window working on the home,
// gives each file's outcome to print as the window reports it, and returns
// the exit code; nothing when no window answers. A socket kept by another
// user is never talked to; a window that falls silent ends the wait with exit
// code 1 and a word on err. Plain POSIX sockets: a command needs no more of
// Qt than its core.
using OutcomePrinter = std::function<void(const HandedOutcome&)>;
std::optional<int> HandOverCapture(const QString& homeFolder, const HandedCapture& capture,
                                   const OutcomePrinter& print, QTextStream& err,
                                   int silenceLimit = kHandOverSilence);

} // namespace kelvo
