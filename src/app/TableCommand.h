#pragma once

#include <QStringList>
#include <QTextStream>

namespace kelvo {

// `kelvo table dump [--types] FILE` and `kelvo table convert IN OUT`.
// Returns the exit code: 0 done, 1 a file could not be read or written,
// 2 wrong usage.
int RunTableCommand(const QStringList& argsAfterTable, QTextStream& out, QTextStream& err);

QString TableCommandUsage();

// A value on one tab-separated line, reversibly: \\, \t, \n and \r escaped.
QString EscapeTableField(QString text);

} // namespace kelvo
