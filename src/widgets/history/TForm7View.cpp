// The history window as its actions see it, and its mouse and key handling.

#include "history/HistoryListModel.h"
#include "history/TForm7.h"
#include "viewer/PictureLoader.h"
#include "viewer/PreviewPair.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTreeView>

namespace kelvo {
namespace {

int LevelOf(const QModelIndex& node) {
    int level = -1;
    for (QModelIndex at = node; at.isValid(); at = at.parent())
        ++level;
    return level;
}

} // namespace

void TForm7::TreeView1Change(const QModelIndex& node) {
    actions_->ListNode(LevelOf(node), node.data().toString());
}

void TForm7::Action16Execute() {
    if (!actions_->RepeatSearch())
        TreeView1Change(TreeView1->currentIndex());
}

void TForm7::SearchTyped(const QString& text) {
    actions_->SearchTyped(text);
}

void TForm7::ListView1ColumnClick(int column) {
    actions_->SortByColumn(column);
    if (actions_->HasSelectedLine())
        ListView1->scrollTo(listModel_->index(SelectedLine(), 0));
}

DayListing& TForm7::Listing() {
    return actions_->Listing();
}

void TForm7::ShowCaption(const QString& text) {
    setWindowTitle(text);
}

void TForm7::ShowDayStatus(const QString& text) {
    dayText_->setText(text);
}

void TForm7::ShowListStatus(const QString& text) {
    listText_->setText(text);
}

void TForm7::ShowPreview(const QString& path) {
    preview_->Load(
        path, [this, path](bool, const QString& error) { actions_->PreviewFailed(path, error); });
}

void TForm7::ClearPreview() {
    preview_->ClearTarget();
}

void TForm7::ShowSortOrder(int column, bool descending) {
    QHeaderView* headings = ListView1->horizontalHeader();
    headings->setSortIndicatorShown(column >= 0);
    headings->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TForm7::EnableRefresh(bool enabled) {
    Action16->setEnabled(enabled);
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
    SamePictures->setEnabled(commands.pictures);
}

void TForm7::ShowLineEntries(bool shown) {
    for (QAction* entry : lineEntries_)
        entry->setVisible(shown);
}

int TForm7::SelectedLine() const {
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void TForm7::SelectLine(int row) {
    const QModelIndex index = listModel_->index(row, 0);
    ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    ListView1->scrollTo(index);
}

void TForm7::ClearSelection() {
    ListView1->selectionModel()->clearSelection();
}

void TForm7::CopyText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

// The picture at its full size, decoded again from the file.
void TForm7::CopyPicture(const QString& path) {
    const LoadedPicture loaded = LoadPicture(path);
    if (!loaded.image.isNull())
        QGuiApplication::clipboard()->setImage(loaded.image);
}

void TForm7::OpenFolder(const QString& folder) {
    context_.openFolder(QUrl::fromLocalFile(folder));
}

void TForm7::OpenViewer(const QString& path, const QString& address) {
    if (context_.openViewer)
        context_.openViewer(path, address);
}

void TForm7::ClearSearchText() {
    const QSignalBlocker quiet(Edit1);
    Edit1->clear();
}

int TForm7::ScrollPosition() const {
    return ListView1->verticalScrollBar()->value();
}

void TForm7::ScrollTo(int position) {
    ListView1->verticalScrollBar()->setValue(position);
}

namespace {

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (data) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile())
                files << url.toLocalFile();
        }
    }
    return files;
}

} // namespace

void TForm7::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm7::dropEvent(QDropEvent* event) {
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    actions_->FindSavedFiles(files);
}

// Escape ends a search before it would close the window.
void TForm7::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && actions_->ShowsSearch()) {
        ClearSearchText();
        actions_->EndSearch();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Only a node's label or icon selects, not the empty rest of its row.
void TForm7::TreeView1MouseDown(QPoint point) {
    const QModelIndex node = TreeView1->indexAt(point);
    if (!node.isValid())
        return;
    const QRect row = TreeView1->visualRect(node);
    const int margin = TreeView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
    const int labelWidth =
        TreeView1->fontMetrics().horizontalAdvance(node.data().toString()) + 2 * margin;
    if (point.x() > row.left() + labelWidth)
        return;
    TreeView1->setCurrentIndex(node);
    TreeView1->setFocus();
}

// A click on the list's empty area ends the selection.
void TForm7::ListView1MouseDown(QPoint point) {
    if (!ListView1->indexAt(point).isValid())
        ListView1->clearSelection();
}

bool TForm7::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        const QPoint point = press->position().toPoint();
        if (watched == TreeView1->viewport() && press->button() == Qt::RightButton) {
            TreeView1MouseDown(point);
            return true; // the pop-up menu follows by itself
        }
        if (watched == ListView1->viewport())
            ListView1MouseDown(point);
    } else if (type == QEvent::KeyPress && watched == Edit1 &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
               !Edit1->text().isEmpty()) {
        Edit1->clear(); // which ends the search; in an empty field Escape goes on
        return true;
    } else if (type == QEvent::KeyPress && watched == ListView1) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            actions_->OpenViewer();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kelvo
