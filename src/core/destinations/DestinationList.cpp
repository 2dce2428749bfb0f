#include "destinations/DestinationList.h"

#include "files/PathParts.h"

#include <QCollator>

#include <algorithm>
#include <numeric>
#include <vector>

namespace kelvo {

DestinationList::DestinationList(QObject* parent) : QAbstractTableModel(parent) {}

int DestinationList::FindByIdentifier(const QString& identifier) const {
    for (int i = 0; i < Count(); ++i) {
        if (QString::compare(destinations_[i].identifier, identifier, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int DestinationList::Append(const SaveDestination& destination) {
    const int position = Count();
    beginInsertRows({}, position, position);
    destinations_.append(destination);
    endInsertRows();
    return position;
}

void DestinationList::Replace(int position, const SaveDestination& destination) {
    destinations_[position] = destination;
    emit dataChanged(index(position, IdentifierColumn), index(position, FolderColumn));
}

void DestinationList::Remove(int position) {
    beginRemoveRows({}, position, position);
    destinations_.removeAt(position);
    endRemoveRows();
}

void DestinationList::Reset(const QList<SaveDestination>& destinations) {
    beginResetModel();
    destinations_ = destinations;
    endResetModel();
}

void DestinationList::Sort() {
    QCollator collator; // the default locale
    collator.setCaseSensitivity(Qt::CaseSensitive);
    // order[new position] = old position; stable, so equal identifiers keep
    // their relative order.
    std::vector<int> order(destinations_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return collator.compare(destinations_[a].identifier, destinations_[b].identifier) < 0;
    });
    if (std::is_sorted(order.begin(), order.end()))
        return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    std::vector<int> newPosition(order.size());
    QList<SaveDestination> sorted;
    sorted.reserve(destinations_.size());
    for (int i = 0; i < static_cast<int>(order.size()); ++i) {
        newPosition[order[i]] = i;
        sorted.append(destinations_[order[i]]);
    }
    destinations_ = std::move(sorted);
    // Selections and current items of the views follow their destinations.
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from)
        to.append(index(newPosition[old.row()], old.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int DestinationList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int DestinationList::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant DestinationList::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= Count())
        return {};
    const SaveDestination& destination = destinations_[index.row()];
    return index.column() == IdentifierColumn ? destination.identifier : destination.folder;
}

QVariant DestinationList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case IdentifierColumn:
        return tr("識別名");
    case FolderColumn:
        return tr("保存先フォルダ");
    default:
        return {};
    }
}

} // namespace kelvo
