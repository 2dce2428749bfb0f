#pragma once

#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>

namespace kelvo {

class Clock;

// kelvo capture [--on-clash auto|skip] [--] FILE...: captures the files into the
// current destination without a window, through the same pipeline as a drop,
// and prints one line per file. 0 when every file was saved or skipped by
// choice, 1 otherwise, 2 for wrong usage.
// picturesDestination is the pictures folder's Kelvo/ (empty for none): a new
// home's destination, made at its first capture.
// When a window holds the home, the files go to it through handOver, which
// prints the window's outcomes and gives the exit code, or nothing when no
// window answers. A picture captured before is asked about, with
// --on-duplicate ask, on err with the answer read from in (none: not saved).
using HandOver = std::function<std::optional<int>(const QStringList& files, QTextStream& out)>;

int RunCaptureCommand(const QStringList& argsAfterCapture, const QString& homeFolder,
                      const QString& picturesDestination, const Clock& clock, QTextStream& out,
                      QTextStream& err, const HandOver& handOver = {}, QTextStream* in = nullptr);

QString CaptureCommandUsage();

// One line of capture's output: the path, a tab and the outcome, each on one
// line whatever it holds (\\, \t, \n and \r escaped, as history prints).
void PrintCaptureLine(QTextStream& out, const QString& path, const QString& text);

} // namespace kelvo
