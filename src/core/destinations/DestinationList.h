#pragma once

#include "text/PathText.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

namespace kelvo {

// A save destination: an identifier and a folder ending in the separator.
struct SaveDestination {
    QString identifier;
    QString folder;
    bool operator==(const SaveDestination&) const = default;
};

// The destination list: the one source of truth for the settings dialog's
// list (both columns) and the main window's tree (the identifier column), so
// the two always agree by position.
class DestinationList : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { IdentifierColumn = 0, FolderColumn = 1 };

    explicit DestinationList(QObject* parent = nullptr);

    int Count() const { return static_cast<int>(destinations_.size()); }
    const SaveDestination& At(int position) const { return destinations_.at(position); }
    const QList<SaveDestination>& All() const { return destinations_; }
    // Exact text, letter case ignored; -1 when there is none.
    int FindByIdentifier(const QString& identifier) const;

    // Returns the new destination's position (the last).
    int Append(const SaveDestination& destination);
    void Replace(int position, const SaveDestination& destination);
    void Remove(int position);
    void Reset(const QList<SaveDestination>& destinations);
    // Ascending by identifier with the locale's collation, letter case
    // significant. Views keep their selection on the same destinations.
    void Sort();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<SaveDestination> destinations_;
};

} // namespace kelvo
