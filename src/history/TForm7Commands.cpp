// The history window's commands on the selected line.

#include "history/TForm7.h"

#include "capture/BrowserLink.h"
#include "capture/CaptureLog.h"
#include "history/CaptureRename.h"
#include "history/DayListing.h"
#include "history/HistoryListModel.h"
#include "platform/Prompter.h"
#include "viewer/PictureLoader.h"
#include "viewer/PreviewPair.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QTableView>

namespace kelvo {

void TForm7::ListView1SelectItem(int row, bool selected) {
    if (!selected || row < 0 || row >= listModel_->LineCount()) {
        ShowNoLine();
        listText_->setText(ListingCountText(listModel_->LineCount()));
        return;
    }
    const HistoryLine line = listModel_->Line(row);
    const bool newLine = !FItemSelected || selectedPath_ != line.Path();
    selectedPath_ = line.Path();
    setWindowTitle(selectedPath_);
    const bool exists = SelectedFileExists();
    if (!exists) {
        preview_->ClearTarget();
        listText_->setText(MissingFileText());
    } else if (newLine) {
        QString error;
        if (!preview_->Load(selectedPath_, &error) && !error.isEmpty())
            listText_->setText(error);
    }
    FSelectedFolder = line.folder;
    FSelectedAddress = line.address;
    ShowLineEntries(true);
    FItemSelected = true;
    FHasAddress = !line.address.isEmpty();
    EnableLineCommands(LineCommandsFor(row, listModel_->LineCount(), exists, FHasAddress));
}

void TForm7::ShowNoLine() {
    ShowLineEntries(false);
    FItemSelected = false;
    preview_->ClearTarget();
    selectedPath_.clear();
    setWindowTitle(HistoryCaption());
    EnableLineCommands({});
}

void TForm7::EnableLineCommands(const LineCommands& commands) {
    Action21->setEnabled(commands.open);
    Action8->setEnabled(commands.first);
    Action9->setEnabled(commands.previous);
    Action10->setEnabled(commands.next);
    Action11->setEnabled(commands.last);
    Action17->setEnabled(commands.folder);
    for (QAction* action : {Action18, Action19, Action20})
        action->setEnabled(commands.address);
    Action2->setEnabled(commands.file);
    Action4->setEnabled(commands.file);
}

// The selected line has moved, or lines were added after it.
void TForm7::RefreshLineCommands() {
    if (FItemSelected)
        EnableLineCommands(LineCommandsFor(SelectedRow(), listModel_->LineCount(),
                                           SelectedFileExists(), FHasAddress));
}

void TForm7::ShowLineEntries(bool shown) {
    for (QAction* entry : lineEntries_)
        entry->setVisible(shown);
}

int TForm7::SelectedRow() const {
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

// A folder written on Windows (C:\...) is no path here: its files are missing.
bool TForm7::SelectedFileExists() const {
    return QDir::isAbsolutePath(selectedPath_) && QFileInfo(selectedPath_).isFile();
}

void TForm7::MoveTo(int row) {
    if (row < 0 || row >= listModel_->LineCount())
        return;
    const QModelIndex index = listModel_->index(row, 0);
    ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    ListView1->scrollTo(index);
}

void TForm7::Action8Execute() {
    MoveTo(0);
}

void TForm7::Action9Execute() {
    MoveTo(SelectedRow() - 1);
}

void TForm7::Action10Execute() {
    const int row = SelectedRow();
    if (row >= 0)
        MoveTo(row + 1);
}

void TForm7::Action11Execute() {
    MoveTo(listModel_->LineCount() - 1);
}

void TForm7::Action21Execute() {
    if (!FItemSelected || !SelectedFileExists() || !context_.openViewer)
        return;
    context_.openViewer(selectedPath_, FSelectedAddress);
}

void TForm7::Image1DblClick() {
    if (FListedLevel == 1)
        Action21Execute();
}

void TForm7::Action17Execute() {
    if (FItemSelected)
        context_.openFolder(QUrl::fromLocalFile(FolderToOpen(FSelectedFolder)));
}

void TForm7::Action18Execute() {
    if (FItemSelected)
        QGuiApplication::clipboard()->setText(FSelectedAddress);
}

void TForm7::Action19Execute() {
    if (FItemSelected && FHasAddress)
        context_.browser.OpenInBrowser(FSelectedAddress);
}

void TForm7::Action20Execute() {
    if (FItemSelected && FHasAddress)
        context_.browser.OpenAddress(FSelectedAddress);
}

// The file on disk and its rows in the day's log get the new name together;
// the list is then read again with the renamed line selected.
void TForm7::Action2Execute() {
    if (FListedLevel != 1 || !FItemSelected || !SelectedFileExists())
        return;
    const HistoryLine line = listModel_->Line(SelectedRow());
    const std::optional<QString> name = context_.prompter.AskText(
        QStringLiteral("ファイル名の変更"), QStringLiteral("新しいファイル名"), line.fileName);
    if (!name)
        return;
    const CaptureRenaming renaming{DayLogPath(context_.homeFolder, listedDay_), line.folder,
                                   line.fileName, *name};
    const RenameOutcome outcome = RenameCapture(renaming);
    if (const QString text = RenameOutcomeText(outcome, renaming); !text.isEmpty())
        context_.prompter.Notice(text);
    if (outcome != RenameOutcome::Renamed)
        return;
    Action16Execute();
    listing_->Finish();
    for (int row = 0; row < listModel_->LineCount(); ++row) {
        const HistoryLine listed = listModel_->Line(row);
        if (listed.fileName == renaming.newName && listed.folder == renaming.folder) {
            MoveTo(row);
            break;
        }
    }
}

// The picture at its full size, decoded again from the file.
void TForm7::Action4Execute() {
    if (!FItemSelected || !SelectedFileExists())
        return;
    const LoadedPicture loaded = LoadPicture(selectedPath_);
    if (!loaded.image.isNull())
        QGuiApplication::clipboard()->setImage(loaded.image);
}

} // namespace kelvo
