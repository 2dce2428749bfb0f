#pragma once

#include <QStringList>
#include <QTextStream>

namespace kelvo {

class Clock;

// kelvo capture [--on-clash auto|skip] FILE...: captures the files into the
// current destination without a window, through the same pipeline as a drop,
// and prints one line per file. 0 when every file was saved or skipped by
// choice, 1 otherwise, 2 for wrong usage.
int RunCaptureCommand(const QStringList& argsAfterCapture, const QString& homeFolder,
                      const Clock& clock, QTextStream& out, QTextStream& err);

QString CaptureCommandUsage();

} // namespace kelvo
