#pragma once

#include <QStringList>
#include <QTextStream>

namespace kelvo {

class CommandOutput;

// `kelvo table dump [--types] FILE` and `kelvo table convert IN OUT`.
// Returns the exit code: 0 done, 1 a file could not be read or written,
// 2 wrong usage.
int RunTableCommand(const QStringList& argsAfterTable, CommandOutput& out, QTextStream& err);

QString TableCommandUsage();

} // namespace kelvo
