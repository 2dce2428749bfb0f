#include "commands/TableCommand.h"

#include "commands/CommandLine.h"
#include "commands/CommandOutput.h"
#include "commands/FieldPrinting.h"
#include "table/TMlb2.h"
#include "text/PathText.h"

#include <QFile>
#include <QFileInfo>

namespace kelvo {

namespace {

enum ExitCode { kDone = 0, kFileFailed = 1 };

bool LoadTable(const QString& path, TMlb2& table, QTextStream& err) {
    table.Clear();
    if (table.Load(LocalPath(path)))
        return true;
    const QString reason = QFileInfo::exists(path) ? QStringLiteral("not a readable table file")
                                                   : QStringLiteral("no such file");
    err << "kelvo table: cannot read " << path << ": " << reason << Qt::endl;
    return false;
}

void PrintLine(const TMLBStringList& texts, int fieldCount, std::string& scratch,
               CommandOutput& out) {
    for (int i = 1; i <= fieldCount; ++i) {
        if (i > 1)
            out << '\t';
        PrintTableField(texts.At(i).value_or(std::string_view()), scratch, out);
    }
    out << '\n';
}

void PrintTable(const TMlb2& table, bool withTypes, CommandOutput& out) {
    const int columns = table.ColumnCount();
    std::string scratch;
    PrintLine(table.ColumnNames(), columns, scratch, out);
    if (withTypes)
        PrintLine(table.ColumnTypes(), columns, scratch, out);
    for (int row = 1; row <= table.RowCount(); ++row) {
        if (const TMLBStringList* values = table.Rows().At(row))
            PrintLine(*values, columns, scratch, out);
    }
}

int Dump(QStringList args, CommandOutput& out, QTextStream& err) {
    const bool withTypes = args.removeAll(QStringLiteral("--types")) > 0;
    if (args.size() != 1)
        return WrongUsage(err, "table", QStringLiteral("dump takes one file"), TableCommandUsage());
    if (args.front().startsWith(QLatin1String("--")))
        return WrongUsage(err, "table", QStringLiteral("unknown option ") + args.front(),
                          TableCommandUsage());
    TMlb2 table;
    if (!LoadTable(args.front(), table, err))
        return kFileFailed;
    PrintTable(table, withTypes, out);
    return kDone;
}

int Convert(const QStringList& args, QTextStream& err) {
    if (args.size() != 2)
        return WrongUsage(err, "table", QStringLiteral("convert takes two files, IN and OUT"),
                          TableCommandUsage());
    TMlb2 table;
    if (!LoadTable(args[0], table, err))
        return kFileFailed;
    if (!table.Save(LocalPath(args[1]))) {
        err << "kelvo table: cannot write " << args[1] << Qt::endl;
        return kFileFailed;
    }
    return kDone;
}

} // namespace

QString TableCommandUsage() {
    return QStringLiteral(
        "Usage: kelvo table dump [--types] FILE\n"
        "       kelvo table convert IN OUT\n"
        "\n"
        "dump     Prints the table FILE: a line of column names, with --types a line of\n"
        "         column types, then one line per row. Fields are separated by tabs; an\n"
        "         absent value is an empty field. Within a field a backslash is shown as\n"
        "         \\\\, a tab as \\t, a line feed as \\n and a carriage return as \\r, so\n"
        "         every row stays on one line. A table whose texts are not all UTF-8 is\n"
        "         read as Shift-JIS.\n"
        "convert  Reads IN and writes OUT. The texts' bytes are carried unchanged.\n"
        "\n"
        "The last three letters of a file name choose its form: TXT quoted, MLB binary,\n"
        "anything else escaped.\n");
}

int RunTableCommand(const QStringList& argsAfterTable, CommandOutput& out, QTextStream& err) {
    const QString command = argsAfterTable.value(0);
    const QStringList rest = argsAfterTable.mid(1);
    if (command == QLatin1String("dump"))
        return Dump(rest, out, err);
    if (command == QLatin1String("convert"))
        return Convert(rest, err);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        out << TableCommandUsage();
        return kDone;
    }
    return WrongUsage(err, "table",
                      command.isEmpty() ? QStringLiteral("dump or convert is missing")
                                        : QStringLiteral("unknown command ") + command,
                      TableCommandUsage());
}

} // namespace kelvo
