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
    return commands;
}

QString FolderToOpen(const QString& storedFolder) {
    const QString folder = FolderPart(storedFolder);
    return folder.isEmpty() ? storedFolder : folder;
}

} // namespace kelvo
