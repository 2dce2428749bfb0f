#include "history/CaptureRename.h"

#include "files/FileCopy.h"
#include "logs/CaptureLog.h"
#include "table/TMlb2.h"
#include "text/PathText.h"
#include "text/TextCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace kelvo {
namespace {

// From the last "." of the name, in upper case; empty without one.
QString UpperExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot).toUpper();
}

// Control characters would break the log's lines and the listing's columns.
bool IsUsableName(const QString& name) {
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !HasControlCharacter(name);
}

// A rewrite would drop what the reading had to leave out.
bool IsDamaged(const QString& logPath) {
    TMlb2 table;
    bool whole = true;
    return QFileInfo::exists(logPath) && LoadCaptureLog(logPath, table, &whole) && !whole;
}

// Every row naming the file: a file deleted and captured again under the same
// name is listed twice, and both rows now name the renamed file.
bool RewriteLogRows(const CaptureRenaming& renaming) {
    TMlb2 table;
    if (!LoadCaptureLog(renaming.logPath, table))
        return false;
    ConvertTableToUtf8(table);
    const std::string oldName = EncodeFileText(renaming.oldName);
    const std::string folder = EncodeFileText(renaming.folder);
    const std::string newName = EncodeFileText(renaming.newName);
    table.MoveTo(1);
    table.BeginScan(1);
    while (!table.AtEnd()) {
        if (table.Matches("ファイル名", "=", oldName) &&
            table.Matches("保存先フォルダ", "=", folder))
            table.SetValue("ファイル名", newName);
        table.MoveNext();
    }
    table.EndScan();
    return table.Save(LocalPath(renaming.logPath));
}

} // namespace

RenameOutcome RenameCapture(const CaptureRenaming& renaming) {
    if (renaming.newName == renaming.oldName)
        return RenameOutcome::Unchanged;
    if (UpperExtension(renaming.newName) != UpperExtension(renaming.oldName))
        return RenameOutcome::ExtensionChanged;
    if (!IsUsableName(renaming.newName))
        return RenameOutcome::InvalidName;
    const QString from = renaming.folder + renaming.oldName;
    const QString to = renaming.folder + renaming.newName;
    if (!QFileInfo(from).isFile())
        return RenameOutcome::FileMissing;
    if (IsDamaged(renaming.logPath))
        return RenameOutcome::LogDamaged;
    switch (RenameFileNoReplace(LocalPath(from), LocalPath(to))) {
    case RenameResult::Renamed:
        break;
    case RenameResult::TargetExists:
        return RenameOutcome::NameTaken;
    case RenameResult::Failed:
        return RenameOutcome::RenameFailed;
    }
    if (QFileInfo::exists(renaming.logPath) && !RewriteLogRows(renaming)) {
        RenameFileNoReplace(LocalPath(to), LocalPath(from));
        return RenameOutcome::LogNotWritten;
    }
    return RenameOutcome::Renamed;
}

QString RenameOutcomeText(RenameOutcome outcome, const CaptureRenaming& renaming) {
    switch (outcome) {
    case RenameOutcome::Renamed:
    case RenameOutcome::Unchanged:
        return {};
    case RenameOutcome::ExtensionChanged:
        return QCoreApplication::translate("CaptureRename", "拡張子の変更は出来ません。");
    case RenameOutcome::InvalidName:
        return QCoreApplication::translate("CaptureRename", "%1 はファイル名に使えません。")
            .arg(renaming.newName);
    case RenameOutcome::NameTaken:
        return QCoreApplication::translate("CaptureRename", "%1 は既に存在します。")
            .arg(renaming.newName);
    case RenameOutcome::FileMissing:
        return QCoreApplication::translate("CaptureRename",
                                           "保存先フォルダに選択ファイルが存在しません。");
    case RenameOutcome::RenameFailed:
        return QCoreApplication::translate("CaptureRename", "%1 の名前を変更できません。")
            .arg(renaming.oldName);
    case RenameOutcome::LogNotWritten:
        return QCoreApplication::translate("CaptureRename", "%1 に書き込めません")
            .arg(renaming.logPath);
    case RenameOutcome::LogDamaged:
        return QCoreApplication::translate(
                   "CaptureRename", "%1 に読めない行があるため、ファイル名を変更できません。")
            .arg(renaming.logPath);
    }
    return {};
}

} // namespace kelvo
