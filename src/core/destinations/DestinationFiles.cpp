#include "destinations/DestinationFiles.h"

#include "destinations/DestinationList.h"
#include "files/FileBytes.h"
#include "session/SettingsFile.h"
#include "table/TMlb2.h"
#include "text/PathText.h"
#include "text/TextCodec.h"
#include "text/TreeOutline.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <string>

namespace kelvo {
namespace {

constexpr const char* kIdentifierColumn = "識別名";
constexpr const char* kFolderColumn = "保存先フォルダ";

// Column position by decoded name, so that a Shift-JIS header is found too; 0
// when the file has no such column.
int ColumnByName(const TMlb2& table, const QString& name) {
    for (int n = 1; n <= table.ColumnCount(); ++n) {
        if (DecodeFileText(table.GetColumnName(n).value_or(std::string_view())) == name)
            return n;
    }
    return 0;
}

enum class ListFile { Missing, Read, Kept };

// A missing file gives an empty list. One that exists but cannot be read, or
// lacks the header of the two columns, is kept as it was (Kept).
QList<SaveDestination> ReadListFile(const QString& path, ListFile& state) {
    state = ListFile::Missing;
    if (!QFileInfo::exists(path))
        return {};
    state = ListFile::Kept;
    TMlb2 table;
    table.Clear();
    if (!table.Load(LocalPath(path)))
        return {};
    if (table.ColumnCount() == 0 && QFileInfo(path).size() == 0) {
        state = ListFile::Read; // emptied: nothing to keep
        return {};
    }
    const int identifierColumn = ColumnByName(table, QString::fromUtf8(kIdentifierColumn));
    const int folderColumn = ColumnByName(table, QString::fromUtf8(kFolderColumn));
    if (identifierColumn == 0 || folderColumn == 0)
        return {};
    state = ListFile::Read;
    const auto valueAt = [&](int column) {
        return DecodeFileText(table.GetValueAt(column).value_or(std::string_view()));
    };
    QList<SaveDestination> destinations;
    for (table.MoveTo(1); !table.AtEnd(); table.MoveNext())
        destinations.append({valueAt(identifierColumn), valueAt(folderColumn)});
    return destinations;
}

} // namespace

DestinationsLoaded LoadDestinations(DestinationList& list, const QString& homeFolder,
                                    bool listFileWritten, const QString& defaultFolder) {
    DestinationsLoaded loaded;
    QList<SaveDestination> destinations;
    if (listFileWritten) {
        const QString listPath = DestinationListPath(homeFolder);
        ListFile state = ListFile::Missing;
        destinations = ReadListFile(listPath, state);
        loaded.listFileKept = state == ListFile::Kept;
        if (loaded.listFileKept)
            loaded.problems << QCoreApplication::translate(
                                   "DestinationFiles",
                                   "%1 を保存先の一覧として読み込めません。"
                                   "ファイルはそのまま残し、保存先を変更するまで"
                                   "書き込みません。")
                                   .arg(listPath);
    }
    // The list is never empty: a lost or emptied list file starts over too.
    if (destinations.isEmpty())
        destinations.append({QStringLiteral("初期フォルダ"), WithTrailingSeparator(defaultFolder)});
    list.Reset(destinations);

    // The tree shows the list, so the tree file can only be reported on.
    const QString treePath = DestinationTreePath(homeFolder);
    const std::optional<std::string> bytes = ReadFileBytes(LocalPath(treePath));
    const TreeOutline outline = ReadTreeOutline(bytes.value_or(std::string()));
    if (outline.invalidLine > 0)
        loaded.problems << QCoreApplication::translate("DestinationFiles",
                                                       "%1 の %2 行目の階層が正しくありません。")
                               .arg(treePath)
                               .arg(outline.invalidLine);
    return loaded;
}

DestinationsLoaded LoadStoredDestinations(DestinationList& list, const SettingsFile& settings,
                                          const QString& homeFolder) {
    const bool listFileWritten = settings.Boolean(BooleanSetting::ListFileWritten) ||
                                 QFileInfo::exists(DestinationListPath(homeFolder));
    return LoadDestinations(list, homeFolder, listFileWritten,
                            settings.String(StringSetting::DestinationFolder));
}

QString SaveDestinations(const DestinationList& list, const QString& homeFolder) {
    TMlb2 table;
    table.Clear();
    table.AddColumn(kIdentifierColumn);
    table.AddColumn(kFolderColumn);
    table.SetColumnType(1, "STRING");
    table.SetColumnType(2, "STRING");
    for (const SaveDestination& destination : list.All()) {
        table.AppendRow();
        table.MoveLast();
        table.SetValue(kIdentifierColumn, EncodeFileText(destination.identifier));
        table.SetValue(kFolderColumn, EncodeFileText(destination.folder));
    }
    // An unwritable list file keeps the previous one and is not reported.
    table.Save(LocalPath(DestinationListPath(homeFolder)));

    QList<OutlineEntry> entries;
    for (const SaveDestination& destination : list.All())
        entries.append({0, destination.identifier});
    const QString treePath = DestinationTreePath(homeFolder);
    if (!WriteFileAtomically(LocalPath(treePath), WriteTreeOutline(entries)))
        return QCoreApplication::translate("DestinationFiles", "ファイル %1 を作成できません")
            .arg(treePath);
    return {};
}

} // namespace kelvo
