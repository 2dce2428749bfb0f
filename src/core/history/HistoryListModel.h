#pragma once

#include "logs/DayLog.h"

#include <QAbstractTableModel>

#include <memory>
#include <vector>

namespace kelvo {

// One captured file as the history lists it.
struct HistoryLine {
    QString fileName;
    QString captureTime;
    QString identifier;
    QString address;
    QString folder;
    QString Path() const { return folder + fileName; } // plain concatenation
};

// The lines of the listed day, as a model for the history window's list.
// The lines come from a day's log in the log's order, a batch at a time, so a
// large day can be shown while it is still being listed.
class HistoryListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit HistoryListModel(QObject* parent = nullptr);
    ~HistoryListModel() override;

    // Starts over with the lines of log, none of them shown yet.
    void Reset(std::shared_ptr<const DayLog> log);
    void Clear();
    // Shows up to count more lines; returns how many are shown now.
    int ShowMore(int count);
    bool AllShown() const;

    int LineCount() const { return int(order_.size()); }
    HistoryLine Line(int row) const;
    std::string_view Cell(int row, int column) const;
    // The whole list at once: column 0 by CompareText, the others by
    // CompareStr; descending compares the second line with the first.
    void Sort(int column, bool descending);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const DayLog> log_;
    std::vector<int> order_; // log rows of the shown lines, in list order
    int nextLogRow_ = 0;
};

} // namespace kelvo
