#pragma once

#include <QStringList>
#include <QTextStream>

namespace kelvo {

class CommandOutput;

// kelvo history [DAY]: without DAY, the months and days of the history tree,
// one a line, each day under its month after a tab; with DAY (20060315), that
// day's captures in log order, one a line, the five columns tab-separated.
// 0 done, 1 a day that is not in the tree or a file that cannot be read,
// 2 wrong usage.
int RunHistoryCommand(const QStringList& argsAfterHistory, const QString& homeFolder,
                      CommandOutput& out, QTextStream& err);

QString HistoryCommandUsage();

} // namespace kelvo
