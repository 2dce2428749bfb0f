#include "commands/HistoryCommand.h"

#include "collection/PictureLookup.h"
#include "commands/CommandLine.h"
#include "commands/CommandOutput.h"
#include "commands/FieldPrinting.h"
#include "files/SourceAttributes.h"
#include "history/HistorySearch.h"
#include "logs/CaptureLog.h"
#include "logs/DayLog.h"
#include "logs/DayTexts.h"
#include "logs/HistoryTree.h"
#include "session/InstanceLock.h"
#include "text/PathText.h"

#include <QFileInfo>

#include <set>

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

// The row's five columns, tab-separated, and its line end. The log's values
// are UTF-8 already (DayLog converts an old one as it reads).
void PrintRow(const DayLog& log, int row, std::string& scratch, CommandOutput& out) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
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

void PrintDay(const DayLog& log, CommandOutput& out) {
    std::string scratch;
    for (int row = 0; row < log.RowCount(); ++row)
        PrintRow(log, row, scratch, out);
}

// Each found row after its day and a tab. The day goes out at once, so that a
// long search shows what it has found so far; false when the output is lost.
bool PrintFoundRows(const DayMatches& day, std::string& scratch, CommandOutput& out) {
    const QByteArray dayText = day.day.toUtf8();
    for (const int row : day.rows) {
        out << std::string_view(dayText.constData(), size_t(dayText.size())) << '\t';
        PrintRow(*day.log, row, scratch, out);
    }
    return out.Finish();
}

// A capture the index found, as a found log row is printed.
void PrintCapture(const IndexedCapture& capture, std::string& scratch, CommandOutput& out) {
    const QString fields[] = {capture.day,           FileNamePart(capture.path),
                              capture.captureTime,   capture.identifier,
                              capture.sourceAddress, FolderPart(capture.path)};
    for (const QString& field : fields) {
        if (&field != &fields[0])
            out << '\t';
        const QByteArray utf8 = field.toUtf8();
        PrintTableField(std::string_view(utf8.constData(), size_t(utf8.size())), scratch, out);
    }
    out << '\n';
}

// The home's index, brought in line with the logs first when no window keeps
// it (the window is its one writer); only read while one does. Nothing when
// there is none to read.
std::unique_ptr<CollectionIndex> IndexInLine(const QString& homeFolder, const PictureHasher& hasher,
                                             QTextStream& err) {
    if (!QFileInfo(homeFolder).isDir())
        return nullptr;
    InstanceLock lock(homeFolder);
    if (!lock.TryLock())
        return CollectionIndex::Open(homeFolder, CollectionIndex::Access::ReadOnly);
    QString error;
    auto index = CollectionIndex::Open(homeFolder, CollectionIndex::Access::ReadWrite, &error,
                                       CollectionIndex::Check::Skip);
    if (!index) {
        err << "kelvo history: cannot open the collection's index: " << error << Qt::endl;
        return nullptr;
    }
    const SyncReport report = IndexSync(*index, homeFolder, hasher).SyncAll();
    if (!report.Ok())
        err << "kelvo history: cannot bring the collection's index up to date: " << report.error
            << Qt::endl;
    return index;
}

// What a file that no capture saved says of its source, when it says anything.
QString SourceOf(const QString& path) {
    const SourceAttributes source = ReadSourceAttributes(LocalPath(path));
    QStringList told;
    if (!source.originAddress.empty())
        told << QStringLiteral("from ") + QString::fromStdString(source.originAddress);
    if (!source.referrerAddress.empty())
        told << QStringLiteral("on the page ") + QString::fromStdString(source.referrerAddress);
    return told.join(u' ');
}

int ReportUnreadable(const SearchReport& report, QTextStream& err) {
    for (const QString& path : report.unreadable)
        err << "kelvo history: cannot read " << path << Qt::endl;
    return report.unreadable.isEmpty() ? kDone : kFailed;
}

int FindWords(const QStringList& words, const QString& homeFolder, CommandOutput& out,
              QTextStream& err) {
    const WordFilter filter(words.join(u' '));
    if (filter.Empty())
        return WrongUsage(err, "history", QStringLiteral("--find needs a word"),
                          HistoryCommandUsage());
    std::string scratch;
    const SearchReport report =
        SearchLogs(homeFolder, LoggedDays(homeFolder), filter,
                   [&](DayMatches&& day) { return PrintFoundRows(day, scratch, out); });
    return ReportUnreadable(report, err);
}

// One search for all the paths: a long list must not read every log once a
// path. A row is printed once, however many of the paths name its file.
int FindSavedFiles(const QStringList& paths, const QString& homeFolder, CommandOutput& out,
                   QTextStream& err) {
    if (paths.isEmpty())
        return WrongUsage(err, "history", QStringLiteral("--file needs a path"),
                          HistoryCommandUsage());
    std::vector<std::vector<std::string>> savedPaths;
    for (const QString& path : paths)
        savedPaths.push_back(SavedFileFilter::SavedFilePaths(path));
    std::vector<bool> found(savedPaths.size(), false);
    const auto markFound = [&](const DayLog& log, int row) {
        for (size_t i = 0; i < savedPaths.size(); ++i) {
            for (const std::string& saved : savedPaths[i])
                found[i] = found[i] || SavedFileFilter::Saved(log, row, saved);
        }
    };
    std::string scratch;
    const SearchReport report = SearchLogs(homeFolder, LoggedDays(homeFolder),
                                           SavedFileFilter(paths), [&](DayMatches&& day) {
                                               for (const int row : day.rows)
                                                   markFound(*day.log, row);
                                               return PrintFoundRows(day, scratch, out);
                                           });
    int code = ReportUnreadable(report, err);
    std::unique_ptr<CollectionIndex> index;
    for (size_t i = 0; i < found.size(); ++i) {
        if (found[i])
            continue;
        const QString& path = paths[qsizetype(i)];
        if (!index)
            index = IndexInLine(homeFolder, {}, err);
        const std::vector<FoundCapture> moved =
            index ? CapturesOfMovedFile(*index, path) : std::vector<FoundCapture>{};
        for (const FoundCapture& capture : moved)
            PrintCapture(capture.capture, scratch, out);
        if (!moved.empty())
            continue;
        const QString source = SourceOf(path);
        err << "kelvo history: no capture saved " << path
            << (source.isEmpty() ? QString() : QStringLiteral("; the file says it came ") + source)
            << Qt::endl;
        code = kFailed;
    }
    return code;
}

// The captures of the same picture as each file, or of the same and similar
// ones, most alike first; a capture is printed once however many files find it.
int FindSamePictures(const QStringList& files, bool similar, const QString& homeFolder,
                     CommandOutput& out, QTextStream& err, const PictureHasher& hasher) {
    const QString option = similar ? QStringLiteral("--similar") : QStringLiteral("--same");
    if (files.isEmpty())
        return WrongUsage(err, "history", QStringLiteral("%1 needs a file").arg(option),
                          HistoryCommandUsage());
    const std::unique_ptr<CollectionIndex> index =
        IndexInLine(homeFolder, similar ? hasher : PictureHasher(), err);
    std::set<std::pair<QString, int>> printed;
    std::string scratch;
    int code = kDone;
    for (const QString& file : files) {
        const std::optional<QByteArray> digest = FileSha256(file);
        if (!digest) {
            err << "kelvo history: cannot read " << file << Qt::endl;
            code = kFailed;
            continue;
        }
        const std::optional<PictureHash> pictureHash =
            similar && hasher ? hasher(file) : std::nullopt;
        const std::vector<PictureMatch> matches =
            index ? SameAndSimilar(*index, *digest, pictureHash) : std::vector<PictureMatch>{};
        for (const PictureMatch& match : matches) {
            const IndexedCapture& capture = match.found.capture;
            if (printed.insert({capture.day, capture.row}).second)
                PrintCapture(capture, scratch, out);
        }
        if (matches.empty()) {
            err << "kelvo history: no capture of " << (similar ? "a picture like " : "") << file
                << Qt::endl;
            code = kFailed;
        }
    }
    return code;
}

} // namespace

QString HistoryCommandUsage() {
    return QStringLiteral(
        "Usage: kelvo [--home DIR] history [DAY]\n"
        "       kelvo [--home DIR] history --find WORD...\n"
        "       kelvo [--home DIR] history --file PATH...\n"
        "       kelvo [--home DIR] history --same FILE...\n"
        "       kelvo [--home DIR] history --similar FILE...\n"
        "\n"
        "Without DAY, prints the months and days of the history, each day under\n"
        "its month after a tab. With DAY (yyyymmdd, e.g. 20060315), prints that\n"
        "day's captures in the order they were made, one a line, tab-separated:\n"
        "ファイル名, 取得日時, 識別名, 取得元アドレス, 保存先フォルダ. A backslash,\n"
        "tab, line feed or carriage return in a value is written \\\\, \\t, \\n, \\r.\n"
        "\n"
        "--find prints the captures whose ファイル名, 識別名, 取得元アドレス or\n"
        "保存先フォルダ hold every WORD; full-width and half-width forms and upper\n"
        "and lower case are not told apart. --file prints the captures that saved\n"
        "the files at the PATHs (a relative PATH starts at the current folder).\n"
        "Both print the newest day first, each capture as with DAY after its day\n"
        "and a tab. A PATH no longer where its capture saved it (moved, renamed,\n"
        "or reached through a symbolic link) is found by its bytes or its real\n"
        "path; one that no capture saved tells the source its file attributes name.\n"
        "\n"
        "--same prints every capture of the same picture as each FILE (the same\n"
        "bytes); --similar those of the same and of similar pictures (resized,\n"
        "re-encoded, slightly cropped), most alike first. Both first bring the\n"
        "collection's index up to date when no window works on the home.\n"
        "\n"
        "Exit 1 when a log cannot be read or, with --file, --same or --similar, a\n"
        "PATH or FILE has no capture; the other captures are still printed.\n");
}

int RunHistoryCommand(const QStringList& argsAfterHistory, const QString& homeFolder,
                      CommandOutput& out, QTextStream& err, const PictureHasher& hasher) {
    if (argsAfterHistory == QStringList{QStringLiteral("--help")} ||
        argsAfterHistory == QStringList{QStringLiteral("-h")}) {
        out << HistoryCommandUsage();
        return kDone;
    }
    if (!argsAfterHistory.isEmpty() && argsAfterHistory[0] == u"--find")
        return FindWords(argsAfterHistory.mid(1), homeFolder, out, err);
    if (!argsAfterHistory.isEmpty() && argsAfterHistory[0] == u"--file")
        return FindSavedFiles(argsAfterHistory.mid(1), homeFolder, out, err);
    if (!argsAfterHistory.isEmpty() &&
        (argsAfterHistory[0] == u"--same" || argsAfterHistory[0] == u"--similar"))
        return FindSamePictures(argsAfterHistory.mid(1), argsAfterHistory[0] == u"--similar",
                                homeFolder, out, err, hasher);
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
    const QString& day = argsAfterHistory[0];
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
