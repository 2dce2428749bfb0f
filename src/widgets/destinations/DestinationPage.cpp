#include "destinations/DestinationPage.h"

#include "destinations/DestinationActions.h"
#include "destinations/DestinationList.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace kelvo {
namespace {

// A button that runs the action and shows its caption, hint and state.
QPushButton* CommandButton(const char* name, QAction* action, QWidget* parent) {
    auto* button = new QPushButton(action->text(), parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(action->toolTip());
    button->setEnabled(action->isEnabled());
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button,
                     [button, action] { button->setEnabled(action->isEnabled()); });
    return button;
}

} // namespace

DestinationPage::DestinationPage(DestinationList& list, DestinationActions& commands,
                                 QWidget* parent)
    : QWidget(parent), list_(list), commands_(commands) {
    ListView1 = new QTableView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(&list);
    ListView1->setToolTip(tr("選択フォルダがデフォルト保存先になります"));
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are chosen whole, so Tab goes on to the buttons rather than cells.
    ListView1->setTabKeyNavigation(false);
    ListView1->setSortingEnabled(false);
    ListView1->verticalHeader()->hide();
    ListView1->horizontalHeader()->setSectionsClickable(false);
    ListView1->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ListView1->horizontalHeader()->setStretchLastSection(true);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->installEventFilter(this);
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DestinationPage::ListView1SelectItem);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addActions({commands.Action1, commands.Action2, commands.Action3});
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });

    Button4 = CommandButton("Button4", commands.Action1, this);
    Button5 = CommandButton("Button5", commands.Action2, this);
    Button6 = CommandButton("Button6", commands.Action3, this);
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {Button4, Button5, Button6})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);
}

// Editing and deleting need a row to act on.
void DestinationPage::ListView1SelectItem() {
    commands_.SetEntrySelected(SelectedPosition() >= 0);
}

void DestinationPage::ShowRowOf(const QString& identifier) {
    ListView1->setFocus();
    Select(list_.FindByIdentifier(identifier));
}

void DestinationPage::Select(int position) {
    if (position < 0 || position >= list_.Count())
        return;
    const QModelIndex index = list_.index(position, 0);
    ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    ListView1->scrollTo(index);
}

int DestinationPage::SelectedPosition() const {
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString DestinationPage::SelectedText() const {
    const int position = SelectedPosition();
    return position < 0 ? QString() : list_.At(position).identifier;
}

// Enter edits the selected row.
bool DestinationPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        QAction* edit = commands_.Action2;
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && edit->isEnabled()) {
            edit->trigger();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kelvo
