#include "history/LineCommands.h"

#include "session/ProgramName.h"
#include "text/PathText.h"

namespace kelvo {

QString HistoryCaption() {
    return TitledWithKelvo(QStringLiteral("履歴と画像閲覧"));
}

QString ListingProgressText(int lines) {
    return QStringLiteral("列挙中...") + QString::number(lines);
}

QString ListingCountText(int lines) {
    return QString::number(lines) + QStringLiteral(" 個の履歴情報");
}

QString SearchProgressText(int lines, int days) {
    return QStringLiteral("検索中...%1 個 (%2 日分)").arg(lines).arg(days);
}

QString SearchCountText(int lines, int days) {
    return QStringLiteral("%1 個の履歴情報 (%2 日分)").arg(lines).arg(days);
}

QString SearchDayStatus() {
    return QStringLiteral("全期間を検索");
}

QString NoCaptureOfFilesText() {
    return QStringLiteral("ドロップしたファイルの取得履歴はありません。");
}

QString NoSamePicturesText() {
    return QStringLiteral(
        "同じ画像・似た画像は見つかりませんでした（索引の作成中なら、しばらくしてから）。");
}

QString UnreadableLogsText(int logs) {
    return QStringLiteral("読めない履歴ファイルが %1 個あります。").arg(logs);
}

QString MissingFileText() {
    return QStringLiteral("保存先フォルダに選択ファイルが存在しません。");
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
