#include "commands/HistoryCommand.h"

#include "commands/CommandLine.h"
#include "commands/CommandOutput.h"
#include "commands/FieldPrinting.h"
#include "logs/CaptureLog.h"
#include "logs/DayLog.h"
#include "logs/DayTexts.h"
#include "logs/HistoryTree.h"

namespace kelvo {
namespace {

enum ExitCode { kDone = 0, kFailed = 1 };

void PrintTree(const HistoryTree& tree, CommandOutput& out) {
    for (const QString& month : tree.MonthTexts()) {
        out << month << '\n';
        for (const QString& day : tree.DayTexts(month))
            out << '\t' << day << '\n';
    }
}

// The log's values are UTF-8 already (DayLog converts an old one as it reads).
void PrintDay(const DayLog& log, CommandOutput& out) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::string scratch;
    for (int row = 0; row < log.RowCount(); ++row) {
        for (int column = 0; column < kHistoryColumnCount; ++column) {
            if (column > 0)
                out << '\t';
            std::string_view cell = log.Cell(row, column);
            // A mark in front of a value has never been printed.
            if (cell.starts_with(kByteOrderMark))
                cell.remove_prefix(kByteOrderMark.size());
            PrintTableField(cell, scratch, out);
        }
        out << '\n';
    }
}

} // namespace

QString HistoryCommandUsage() {
    return QStringLiteral(
        "Usage: kelvo [--home DIR] history [DAY]\n"
        "\n"
        "Without DAY, prints the months and days of the history, each day under\n"
        "its month after a tab. With DAY (yyyymmdd, e.g. 20060315), prints that\n"
        "day's captures in the order they were made, one a line, tab-separated:\n"
        "ファイル名, 取得日時, 識別名, 取得元アドレス, 保存先フォルダ. A backslash,\n"
        "tab, line feed or carriage return in a value is written \\\\, \\t, \\n, \\r.\n");
}

int RunHistoryCommand(const QStringList& argsAfterHistory, const QString& homeFolder,
                      CommandOutput& out, QTextStream& err) {
    if (argsAfterHistory == QStringList{QStringLiteral("--help")} ||
        argsAfterHistory == QStringList{QStringLiteral("-h")}) {
        out << HistoryCommandUsage();
        return kDone;
    }
    if (argsAfterHistory.size() > 1)
        return WrongUsage(err, "history", QStringLiteral("one day at most"), HistoryCommandUsage());
    if (argsAfterHistory.size() == 1 && argsAfterHistory[0].startsWith(u'-'))
        return WrongUsage(err, "history", QStringLiteral("unknown option ") + argsAfterHistory[0],
                          HistoryCommandUsage());
    HistoryTree tree;
    QString treeError;
    if (!tree.Load(HistoryTreeFilePath(homeFolder), &treeError))
        err << "kelvo history: " << treeError << Qt::endl;
    if (argsAfterHistory.isEmpty()) {
        PrintTree(tree, out);
        return treeError.isEmpty() ? kDone : kFailed;
    }
    const QString day = argsAfterHistory[0];
    if (!tree.DayTexts(MonthTextOfDay(day)).contains(day)) {
        err << "kelvo history: " << day << " is not a day of the history" << Qt::endl;
        return kFailed;
    }
    const QString path = DayLogPath(homeFolder, day);
    const DayLog log = DayLog::Read(path);
    if (log.Unreadable()) {
        err << "kelvo history: cannot read " << path << Qt::endl;
        return kFailed;
    }
    // A missing log lists no captures, as in the window.
    PrintDay(log, out);
    return kDone;
}

} // namespace kelvo
