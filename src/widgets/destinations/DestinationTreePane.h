#pragma once

#include <QModelIndex>
#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTreeView;

namespace kelvo {

class DestinationActions;
class DestinationList;

// The main window's tree pane: the destinations by identifier, the line that
// names the selected one, and the pane's context menu. Resting the pointer on
// an entry selects it, also while a drag from another program holds the
// mouse button.
class DestinationTreePane : public QWidget {
    Q_OBJECT

public:
    explicit DestinationTreePane(QWidget* parent = nullptr);

    void SetModel(DestinationList* list);
    // The add, edit and delete commands of the context menu's "保存先情報".
    void SetCommands(DestinationActions& commands);
    // The window's commands after "保存先情報": open the folder ("N8"), then
    // show the menu ("N6") and show the tree pane ("N11").
    void AddViewCommands(QAction* openFolder, QAction* showMenu, QAction* showTree);
    // Where the pointer is on the screen; tests put it where they like.
    void SetPointerSource(std::function<QPoint()> pointer) { pointer_ = std::move(pointer); }

    // Selects the entry under the pointer, if the pointer is on its text.
    void Timer1Timer();
    void Select(int position);
    int SelectedPosition() const;
    QString SelectedText() const;
    void ShowStatus(const QString& text);

    QTreeView* TreeView1 = nullptr;
    QStatusBar* StatusBar2 = nullptr; // the selected entry's text
    QMenu* PopupMenu3 = nullptr;
    QMenu* N7 = nullptr; // "保存先情報"

signals:
    // The tree's selection moved to the entry at position.
    void TreeView1Change(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QModelIndex EntryAt(QPoint viewportPoint) const;
    void PopupMenu3Popup(QPoint viewportPoint);

    std::function<QPoint()> pointer_;
    QLabel* statusText_ = nullptr;
    DestinationActions* commands_ = nullptr;
};

} // namespace kelvo
