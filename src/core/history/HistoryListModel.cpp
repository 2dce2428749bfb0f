#include "history/HistoryListModel.h"

#include "history/TextCompare.h"
#include "logs/CaptureLog.h"
#include "logs/DayTexts.h"

#include <algorithm>
#include <map>

namespace kelvo {
namespace {

constexpr int kDayColumn = kHistoryColumnCount; // a search's sixth

QString Decoded(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

HistoryListModel::HistoryListModel(QObject* parent) : QAbstractTableModel(parent) {}

HistoryListModel::~HistoryListModel() = default;

void HistoryListModel::ResetTo(bool results) {
    days_.clear();
    order_.clear();
    nextLogRow_ = 0;
    showsResults_ = results;
}

void HistoryListModel::AddDay(const QString& day, std::shared_ptr<const DayLog> log) {
    days_.push_back({day, DayCaption(day).toStdString(), std::move(log)});
}

void HistoryListModel::Reset(std::shared_ptr<const DayLog> log, const QString& day) {
    beginResetModel();
    ResetTo(false);
    if (log) {
        order_.reserve(size_t(log->RowCount()));
        AddDay(day, std::move(log));
    }
    endResetModel();
}

void HistoryListModel::Clear() {
    Reset(nullptr);
}

void HistoryListModel::StartResults() {
    beginResetModel();
    ResetTo(true);
    endResetModel();
}

void HistoryListModel::AddResults(const DayMatches& matches) {
    if (!showsResults_ || matches.rows.empty())
        return;
    beginInsertRows({}, LineCount(), LineCount() + int(matches.rows.size()) - 1);
    const int day = int(days_.size());
    AddDay(matches.day, matches.log);
    for (const int row : matches.rows)
        order_.push_back({day, row});
    endInsertRows();
}

void HistoryListModel::ReplaceLog(const QString& day, std::shared_ptr<const DayLog> log) {
    for (ListedDay& listed : days_) {
        if (listed.day == day)
            listed.log = log;
    }
    if (LineCount() > 0)
        emit dataChanged(index(0, 0), index(LineCount() - 1, columnCount() - 1));
}

int HistoryListModel::ShowMore(int count) {
    if (showsResults_ || days_.empty())
        return LineCount();
    const int total = days_.front().log->RowCount();
    const int end = nextLogRow_ + std::clamp(count, 0, total - nextLogRow_);
    if (end > nextLogRow_) {
        beginInsertRows({}, LineCount(), LineCount() + end - nextLogRow_ - 1);
        for (; nextLogRow_ < end; ++nextLogRow_)
            order_.push_back({0, nextLogRow_});
        endInsertRows();
    }
    return LineCount();
}

bool HistoryListModel::AllShown() const {
    return showsResults_ || days_.empty() || nextLogRow_ >= days_.front().log->RowCount();
}

const HistoryListModel::ListedDay* HistoryListModel::DayOf(int row) const {
    if (row < 0 || row >= LineCount())
        return nullptr;
    return &days_[size_t(order_[size_t(row)].day)];
}

std::string_view HistoryListModel::Cell(int row, int column) const {
    const ListedDay* day = DayOf(row);
    if (!day)
        return {};
    if (column == kDayColumn)
        return showsResults_ ? std::string_view(day->dayText) : std::string_view();
    return day->log->Cell(order_[size_t(row)].row, column);
}

QString HistoryListModel::LineDay(int row) const {
    const ListedDay* day = DayOf(row);
    return day ? day->day : QString();
}

HistoryLine HistoryListModel::Line(int row) const {
    return {Decoded(Cell(row, FileNameColumn)), Decoded(Cell(row, CaptureTimeColumn)),
            Decoded(Cell(row, IdentifierColumn)), Decoded(Cell(row, AddressColumn)),
            Decoded(Cell(row, FolderColumn))};
}

void HistoryListModel::Sort(int column, bool descending) {
    if (days_.empty() || column < 0 || column >= columnCount())
        return;
    const auto compare = column == FileNameColumn ? CompareText : CompareStr;
    const auto cell = [&](const LineAt& line) {
        const ListedDay& day = days_[size_t(line.day)];
        // Days are listed by their text, which sorts as the caption does.
        return column == kDayColumn ? std::string_view(day.dayText)
                                    : day.log->Cell(line.row, column);
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // A selected line stays selected wherever the sort takes it.
    const QModelIndexList before = persistentIndexList();
    std::vector<LineAt> linesBefore;
    linesBefore.reserve(size_t(before.size()));
    for (const QModelIndex& persistent : before)
        linesBefore.push_back(order_[size_t(persistent.row())]);
    std::stable_sort(order_.begin(), order_.end(), [&](const LineAt& a, const LineAt& b) {
        const int result = compare(cell(a), cell(b));
        return descending ? result > 0 : result < 0;
    });
    std::map<std::pair<int, int>, int> rowOfLine;
    for (const LineAt& line : linesBefore)
        rowOfLine[{line.day, line.row}] = -1;
    for (size_t row = 0; row < order_.size(); ++row) {
        if (const auto found = rowOfLine.find({order_[row].day, order_[row].row});
            found != rowOfLine.end())
            found->second = int(row);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const LineAt& line = linesBefore[size_t(i)];
        after.append(index(rowOfLine[{line.day, line.row}], before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : LineCount();
}

int HistoryListModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return showsResults_ ? kHistoryColumnCount + 1 : kHistoryColumnCount;
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return Decoded(Cell(index.row(), index.column()));
}

QVariant HistoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= columnCount())
        return {};
    if (section == kDayColumn)
        return QStringLiteral("日付");
    return QString::fromUtf8(kCaptureLogColumns[size_t(section)]);
}

} // namespace kelvo
