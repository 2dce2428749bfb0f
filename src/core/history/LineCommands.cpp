#include "history/LineCommands.h"

#include "session/ProgramName.h"
#include "text/PathText.h"

#include <QCoreApplication>

namespace kelvo {
namespace {

// " (3 日分)": how many days a search's lines come from.
QString DaysText(int days) {
    return QCoreApplication::translate("LineCommands", " (%n 日分)", nullptr, days);
}

} // namespace

QString HistoryCaption() {
    return TitledWithKelvo(QCoreApplication::translate("LineCommands", "履歴と画像閲覧"));
}

QString ListingProgressText(int lines) {
    return QCoreApplication::translate("LineCommands", "列挙中...%1").arg(lines);
}

QString ListingCountText(int lines) {
    return QCoreApplication::translate("LineCommands", "%n 個の履歴情報", nullptr, lines);
}

QString SearchProgressText(int lines, int days) {
    return QCoreApplication::translate("LineCommands", "検索中...%n 個", nullptr, lines) +
           DaysText(days);
}

QString SearchCountText(int lines, int days) {
    return ListingCountText(lines) + DaysText(days);
}

QString SearchDayStatus() {
    return QCoreApplication::translate("LineCommands", "全期間を検索");
}

QString NoCaptureOfFilesText() {
    return QCoreApplication::translate("LineCommands",
                                       "ドロップしたファイルの取得履歴はありません。");
}

QString NoSamePicturesText() {
    return QCoreApplication::translate(
        "LineCommands",
        "同じ画像・似た画像は見つかりませんでした（索引の作成中なら、しばらくしてから）。");
}

QString UnreadableLogsText(int logs) {
    return QCoreApplication::translate("LineCommands", "読めない履歴ファイルが %n 個あります。",
                                       nullptr, logs);
}

QString MissingFileText() {
    return QCoreApplication::translate("LineCommands",
                                       "保存先フォルダに選択ファイルが存在しません。");
}

LineCommands LineCommandsFor(int position, int count, bool fileExists, bool hasAddress) {
    LineCommands commands;
    if (position < 0 || position >= count)
        return commands;
    commands.open = fileExists;
    commands.first = commands.previous = position > 0;
    commands.next = commands.last = position < count - 1;
    commands.folder = true;
    commands.address = hasAddress;
    commands.file = fileExists;
    commands.pictures = true; // the index remembers a file that is gone
    return commands;
}

QString FolderToOpen(const QString& storedFolder) {
    const QString folder = FolderPart(storedFolder);
    return folder.isEmpty() ? storedFolder : folder;
}

} // namespace kelvo
