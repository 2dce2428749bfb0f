#pragma once

#include <QObject>

class QAction;

namespace kelvo {

// The destination list's commands "追加", "編集" and "削除". The main window's
// tree menu and the settings dialog's page show these same actions, so their
// enabled states agree; the session runs them.
class DestinationActions : public QObject {
    Q_OBJECT

public:
    explicit DestinationActions(QObject* parent = nullptr);

    // Editing and deleting need an entry to act on.
    void SetEntrySelected(bool selected);

    QAction* const Action1; // add
    QAction* const Action2; // edit
    QAction* const Action3; // delete

signals:
    void AddRequested();
    void EditRequested();
    void DeleteRequested();
};

} // namespace kelvo
