#pragma once

#include <QWidget>

class QAction;
class QCheckBox;
class QMenu;
class QPushButton;
class QTableView;

namespace kelvo {

class DestinationActions;
class DestinationList;

// The settings dialog's page "保存先情報": the destination list with both
// columns, and the add, edit and delete commands as buttons and a menu.
class DestinationPage : public QWidget {
    Q_OBJECT

public:
    DestinationPage(DestinationList& list, DestinationActions& commands, QWidget* parent = nullptr);

    // The list gets the focus with the row of this identifier selected.
    void ShowRowOf(const QString& identifier);
    void Select(int position);
    int SelectedPosition() const;
    QString SelectedText() const;

    QTableView* ListView1 = nullptr;
    QPushButton* Button4 = nullptr; // add
    QPushButton* Button5 = nullptr; // edit
    QPushButton* Button6 = nullptr; // delete
    QMenu* PopupMenu1 = nullptr;
    QCheckBox* CheckBox1 = nullptr; // hidden; only carries its setting

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ListView1SelectItem();

    DestinationList& list_;
    DestinationActions& commands_;
};

} // namespace kelvo
