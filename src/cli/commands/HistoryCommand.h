#pragma once

#include "history/IndexSync.h"

#include <QStringList>
#include <QTextStream>

namespace kelvo {

class CommandOutput;

// kelvo history [DAY]: without DAY, the months and days of the history tree,
// one a line, each day under its month after a tab; with DAY (20060315), that
// day's captures in log order, one a line, the five columns tab-separated.
// kelvo history --find WORD... | --file PATH...: the captures that hold every
// word, or that saved one of the files, newest day first, each line the day,
// a tab and the five columns; printed day by day as the logs are searched.
// A file that saved nothing by its folder and name is looked for in the
// collection's index: moved, renamed or reached through links.
// kelvo history --same FILE... | --similar FILE...: the captures of the same
// picture (by its bytes), or of the same and similar pictures (by hasher),
// most alike first, each line as with --find.
// 0 done (found or not), 1 a day that is not in the tree, a file that cannot
// be read or a PATH or FILE without a capture, 2 wrong usage.
int RunHistoryCommand(const QStringList& argsAfterHistory, const QString& homeFolder,
                      CommandOutput& out, QTextStream& err, const PictureHasher& hasher = {});

QString HistoryCommandUsage();

} // namespace kelvo
