#pragma once

#include "session/HomeFiles.h"

#include <QAbstractItemModel>
#include <QDateTime>

#include <memory>
#include <vector>

namespace kelvo {

// The index of everything captured: month nodes (2006年03月) with day nodes
// (20060315), as a model for the history window's tree view. Nodes are never
// removed; additions keep both levels sorted and leave selections alone.
class HistoryTree : public QAbstractItemModel {
    Q_OBJECT

public:
    struct DayAddition {
        bool newMonth = false;
        bool newDay = false;
    };

    explicit HistoryTree(QObject* parent = nullptr);
    ~HistoryTree() override;

    // Makes sure the month and the day of the capture are in the tree.
    DayAddition AddCaptureDayToTree(const QDateTime& captureTime);
    // Position, in tree order over all nodes counted from 0, of the first
    // top-level node with this text; -1 when there is none.
    int FindMonthNode(const QString& monthText) const;
    // Whether the node at that tree position has a child with this text.
    bool HasDayNode(int monthPosition, const QString& dayText) const;

    // A missing file leaves the tree empty and is no error. A line nested too
    // deep stops the reading there, and an unreadable file gives nothing: the
    // nodes before are kept, the days of the logs in the Logs folder beside
    // the file are added, and error tells which file and line.
    bool Load(const QString& path, QString* error = nullptr);
    // Replaces the file whole; false when it cannot be written. A tree that
    // was read only in part never replaces its file, which is kept as it was.
    bool Save(const QString& path) const;
    bool ReadWhole() const { return readWhole_; }
    // Whether a month or a day was added since the tree was loaded or saved:
    // a tree without one need not be written again.
    bool HasUnsavedDays() const { return unsavedDays_; }

    QStringList MonthTexts() const;
    QStringList DayTexts(const QString& monthText) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Node;
    Node* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const Node* node) const;
    Node* AddSortedChild(Node* parent, const QString& text);
    void AddDaysOfLogs(const QString& logsFolder);
    void SortTree();

    std::unique_ptr<Node> root_;
    bool sorted_ = true; // both levels in order, as additions keep them
    bool readWhole_ = true;
    mutable bool unsavedDays_ = false; // the file, not the tree, is what Save changes
};

} // namespace kelvo
