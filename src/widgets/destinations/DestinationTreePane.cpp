#include "destinations/DestinationTreePane.h"

#include "destinations/DestinationActions.h"
#include "destinations/DestinationList.h"

#include <QAction>
#include <QCursor>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

namespace kelvo {

DestinationTreePane::DestinationTreePane(QWidget* parent)
    : QWidget(parent), pointer_([] { return QCursor::pos(); }) {
    setObjectName(QStringLiteral("Panel1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    TreeView1 = new QTreeView(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setContextMenuPolicy(Qt::NoContextMenu);
    TreeView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TreeView1->viewport()->installEventFilter(this);
    TreeView1->setAccessibleName(tr("保存先一覧"));
    TreeView1->setAccessibleDescription(
        tr("ドロップした画像は選ばれている保存先フォルダに保存されます"));
    StatusBar2 = new QStatusBar(this);
    StatusBar2->setObjectName(QStringLiteral("StatusBar2"));
    StatusBar2->setSizeGripEnabled(false);
    statusText_ = new QLabel(StatusBar2);
    StatusBar2->addWidget(statusText_, 1);
    layout->addWidget(TreeView1, 1);
    layout->addWidget(StatusBar2);

    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    N7 = PopupMenu3->addMenu(tr("保存先情報"));
    N7->setObjectName(QStringLiteral("N7"));
}

void DestinationTreePane::SetModel(DestinationList* list) {
    TreeView1->setModel(list);
    TreeView1->setColumnHidden(DestinationList::FolderColumn, true);
    // Identifiers take the pane's width, so no sideways scrolling is needed.
    TreeView1->header()->setSectionResizeMode(DestinationList::IdentifierColumn,
                                              QHeaderView::Stretch);
    connect(TreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    emit TreeView1Change(current.row());
            });
}

void DestinationTreePane::SetCommands(DestinationActions& commands) {
    N7->addActions({commands.Action1, commands.Action2, commands.Action3});
    commands_ = &commands;
}

void DestinationTreePane::AddViewCommands(QAction* openFolder, QAction* showMenu,
                                          QAction* showTree) {
    PopupMenu3->addAction(openFolder);
    PopupMenu3->addSeparator();
    PopupMenu3->addActions({showMenu, showTree});
}

// Only an entry's text counts, not the empty rest of its row.
QModelIndex DestinationTreePane::EntryAt(QPoint viewportPoint) const {
    const QModelIndex index = TreeView1->indexAt(viewportPoint);
    if (!index.isValid())
        return {};
    const QRect row = TreeView1->visualRect(index);
    const int margin = TreeView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
    const int textWidth =
        TreeView1->fontMetrics().horizontalAdvance(index.data().toString()) + 2 * margin;
    return viewportPoint.x() <= row.left() + textWidth ? index : QModelIndex();
}

void DestinationTreePane::Timer1Timer() {
    if (!isVisible())
        return;
    const QPoint point = TreeView1->viewport()->mapFromGlobal(pointer_());
    if (!TreeView1->viewport()->rect().contains(point))
        return;
    const QModelIndex entry = EntryAt(point);
    if (!entry.isValid())
        return;
    TreeView1->setCurrentIndex(entry);
    TreeView1->setFocus();
}

void DestinationTreePane::Select(int position) {
    if (!TreeView1->model() || position < 0 || position >= TreeView1->model()->rowCount())
        return;
    const QModelIndex index = TreeView1->model()->index(position, 0);
    TreeView1->setCurrentIndex(index);
    TreeView1->scrollTo(index);
}

int DestinationTreePane::SelectedPosition() const {
    const QModelIndex current = TreeView1->currentIndex();
    return current.isValid() ? current.row() : -1;
}

QString DestinationTreePane::SelectedText() const {
    return TreeView1->currentIndex().siblingAtColumn(0).data().toString();
}

void DestinationTreePane::ShowStatus(const QString& text) {
    statusText_->setText(text);
}

// A right-button press selects the entry under it before the menu opens, so
// the menu's commands act on that entry.
bool DestinationTreePane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TreeView1->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            const QPoint point = press->position().toPoint();
            const QModelIndex entry = EntryAt(point);
            if (entry.isValid())
                TreeView1->setCurrentIndex(entry);
            PopupMenu3Popup(point);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DestinationTreePane::PopupMenu3Popup(QPoint viewportPoint) {
    if (commands_)
        commands_->SetEntrySelected(true);
    PopupMenu3->popup(TreeView1->viewport()->mapToGlobal(viewportPoint));
}

} // namespace kelvo
