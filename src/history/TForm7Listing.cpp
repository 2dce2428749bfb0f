// The history window's listing of a day, its sorting and its mouse handling.

#include "history/TForm7.h"

#include "history/DayListing.h"
#include "history/DayTexts.h"
#include "history/HistoryListModel.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QTableView>
#include <QTreeView>

#include "viewer/PreviewPair.h"

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
    // Ends a selection with the effects of a deselection, before the lines go.
    ListView1->selectionModel()->clearSelection();
    preview_->ClearTarget();
    setWindowTitle(HistoryCaption());
    const int level = LevelOf(node);
    FListedLevel = level;
    if (level == 1) {
        listedDay_ = node.data().toString();
        dayText_->setText(DayCaption(listedDay_));
        listText_->clear();
        listing_->ListDay(listedDay_); // a small day is listed when this returns
    } else {
        listedDay_.clear();
        listing_->Clear();
        dayText_->clear();
        listText_->clear();
        Action16->setEnabled(false);
    }
    if (listModel_->LineCount() == 0)
        EnableLineCommands({});
}

void TForm7::Action16Execute() {
    TreeView1Change(TreeView1->currentIndex());
}

void TForm7::ShowListingProgress(int lines) {
    listText_->setText(ListingProgressText(lines));
    RefreshLineCommands();
}

void TForm7::ShowListingFinished(int lines) {
    listText_->setText(ListingCountText(lines));
    Action16->setEnabled(true);
    RefreshLineCommands();
}

// One direction for every column, turned after each sort. A listing still
// running is completed first, so the sort takes in every line.
void TForm7::ListView1ColumnClick(int column) {
    listing_->Finish();
    FSortColumn = column;
    listModel_->Sort(FSortColumn, FSortDescending);
    FSortDescending = !FSortDescending;
    RefreshLineCommands();
    if (FItemSelected)
        ListView1->scrollTo(listModel_->index(SelectedRow(), 0));
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
    } else if (type == QEvent::MouseButtonDblClick && watched == Image1) {
        Image1DblClick();
        return true;
    } else if (type == QEvent::KeyPress && watched == ListView1) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Action21Execute();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kelvo
