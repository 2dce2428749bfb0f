#pragma once

#include "history/HistorySearch.h"
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

// The lines of the listed day, or of a search, as a model for the history
// window's list. A day's lines come from its log in the log's order, a batch
// at a time, so a large day can be shown while it is still being listed. A
// search's come a day at a time, with a sixth column naming each line's day;
// only their values are kept, not their days' whole logs.
class HistoryListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit HistoryListModel(QObject* parent = nullptr);
    ~HistoryListModel() override;

    // Starts over with the lines of the day's log, none of them shown yet.
    void Reset(std::shared_ptr<const DayLog> log, const QString& day = {});
    void Clear();
    // Starts over, empty, for a search's lines.
    void StartResults();
    // Adds the lines of a day a search found.
    void AddResults(const DayMatches& matches);
    // A search's lines, with their days, are shown.
    bool ShowsResults() const { return showsResults_; }
    // A search's lines of the day that name the file in folder show its new
    // name, as its log now does.
    void RenameFound(const QString& day, const QString& folder, const QString& oldName,
                     const QString& newName);
    // The day (20060315) of a line.
    QString LineDay(int row) const;
    int DayCount() const { return int(days_.size()); }
    // Shows up to count more lines; returns how many are shown now.
    int ShowMore(int count);
    bool AllShown() const;

    int LineCount() const { return int(order_.size()); }
    HistoryLine Line(int row) const;
    std::string_view Cell(int row, int column) const;
    // The whole list at once: column 0 by CompareText, the others (and the
    // day) by CompareStr; descending compares the second line with the first.
    void Sort(int column, bool descending);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct ListedDay {
        QString day;
        std::string dayText;               // the day column's, UTF-8
        std::shared_ptr<const DayLog> log; // of a day's listing
    };
    using FoundLine = std::array<std::string, kHistoryColumnCount>;
    struct LineAt {
        int day; // in days_
        int row; // in its log, or in found_ for a search's line
        bool operator==(const LineAt&) const = default;
    };

    void ResetTo(bool results);
    void AddDay(const QString& day, std::shared_ptr<const DayLog> log);
    const ListedDay* DayOf(int row) const;
    std::string_view CellAt(const LineAt& line, int column) const;

    std::vector<ListedDay> days_;
    std::vector<FoundLine> found_;
    std::vector<LineAt> order_; // the shown lines, in list order
    int nextLogRow_ = 0;        // of a day's listing: its next line to show
    bool showsResults_ = false;
};

} // namespace kelvo
