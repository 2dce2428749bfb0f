#include "history/HistoryListModel.h"

#include "history/TextCompare.h"
#include "logs/CaptureLog.h"

#include <algorithm>

namespace kelvo {
namespace {

QString Decoded(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

HistoryListModel::HistoryListModel(QObject* parent) : QAbstractTableModel(parent) {}

HistoryListModel::~HistoryListModel() = default;

void HistoryListModel::Reset(std::shared_ptr<const DayLog> log) {
    beginResetModel();
    log_ = std::move(log);
    order_.clear();
    if (log_)
        order_.reserve(size_t(log_->RowCount()));
    nextLogRow_ = 0;
    endResetModel();
}

void HistoryListModel::Clear() {
    Reset(nullptr);
}

int HistoryListModel::ShowMore(int count) {
    const int total = log_ ? log_->RowCount() : 0;
    const int end = nextLogRow_ + std::clamp(count, 0, total - nextLogRow_);
    if (end > nextLogRow_) {
        beginInsertRows({}, LineCount(), LineCount() + end - nextLogRow_ - 1);
        for (; nextLogRow_ < end; ++nextLogRow_)
            order_.push_back(nextLogRow_);
        endInsertRows();
    }
    return LineCount();
}

bool HistoryListModel::AllShown() const {
    return !log_ || nextLogRow_ >= log_->RowCount();
}

std::string_view HistoryListModel::Cell(int row, int column) const {
    if (!log_ || row < 0 || row >= LineCount())
        return {};
    return log_->Cell(order_[size_t(row)], column);
}

HistoryLine HistoryListModel::Line(int row) const {
    return {Decoded(Cell(row, FileNameColumn)), Decoded(Cell(row, CaptureTimeColumn)),
            Decoded(Cell(row, IdentifierColumn)), Decoded(Cell(row, AddressColumn)),
            Decoded(Cell(row, FolderColumn))};
}

void HistoryListModel::Sort(int column, bool descending) {
    if (!log_ || column < 0 || column >= kHistoryColumnCount)
        return;
    const auto compare = column == FileNameColumn ? CompareText : CompareStr;
    const DayLog& log = *log_;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // A selected line stays selected wherever the sort takes it.
    const QModelIndexList before = persistentIndexList();
    std::vector<int> logRowsBefore;
    logRowsBefore.reserve(size_t(before.size()));
    for (const QModelIndex& persistent : before)
        logRowsBefore.push_back(order_[size_t(persistent.row())]);
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
        const int result = compare(log.Cell(a, column), log.Cell(b, column));
        return descending ? result > 0 : result < 0;
    });
    std::vector<int> rowOfLogRow(size_t(log.RowCount()), -1);
    for (size_t row = 0; row < order_.size(); ++row)
        rowOfLogRow[size_t(order_[row])] = int(row);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(rowOfLogRow[size_t(logRowsBefore[size_t(i)])], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : LineCount();
}

int HistoryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kHistoryColumnCount;
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return Decoded(Cell(index.row(), index.column()));
}

QVariant HistoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kHistoryColumnCount)
        return {};
    return QString::fromUtf8(kCaptureLogColumns[size_t(section)]);
}

} // namespace kelvo
