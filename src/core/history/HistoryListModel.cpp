#include "history/HistoryListModel.h"

#include "history/TextCompare.h"
#include "logs/CaptureLog.h"
#include "logs/DayTexts.h"

#include <QCoreApplication>

#include <algorithm>
#include <map>

#include <malloc.h>

namespace kelvo {
namespace {

constexpr int kDayColumn = kHistoryColumnCount; // a search's sixth
// Lines whose going is worth handing memory back to the system for.
constexpr size_t kManyLines = 10000;

QString Decoded(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

HistoryListModel::HistoryListModel(QObject* parent) : QAbstractTableModel(parent) {}

HistoryListModel::~HistoryListModel() = default;

void HistoryListModel::ResetTo(bool results) {
    const bool many = order_.size() >= kManyLines;
    // Given back, not merely emptied (as clear() or `= {}` would leave them):
    // a search's lines may have grown them to tens of megabytes.
    std::vector<ListedDay>().swap(days_);
    std::vector<FoundLine>().swap(found_);
    std::vector<LineAt>().swap(order_);
    // malloc keeps what many small values took, spread among what stays; the
    // window would hold on to a large search's size long after it is gone.
    if (many)
        malloc_trim(0);
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
    if (!showsResults_ || matches.rows.empty() || !matches.log)
        return;
    beginInsertRows({}, LineCount(), LineCount() + int(matches.rows.size()) - 1);
    const int day = int(days_.size());
    AddDay(matches.day, nullptr);
    for (const int row : matches.rows) {
        order_.push_back({day, int(found_.size())});
        FoundLine& line = found_.emplace_back();
        for (int column = 0; column < kHistoryColumnCount; ++column)
            line[size_t(column)] = std::string(matches.log->Cell(row, column));
    }
    endInsertRows();
}

void HistoryListModel::RenameFound(const QString& day, const QString& folder,
                                   const QString& oldName, const QString& newName) {
    const std::string folderText = folder.toStdString();
    const std::string oldText = oldName.toStdString();
    for (int row = 0; row < LineCount(); ++row) {
        const LineAt& at = order_[size_t(row)];
        FoundLine* line = showsResults_ ? &found_[size_t(at.row)] : nullptr;
        if (!line || days_[size_t(at.day)].day != day || (*line)[FolderColumn] != folderText ||
            (*line)[FileNameColumn] != oldText)
            continue;
        (*line)[FileNameColumn] = newName.toStdString();
        emit dataChanged(index(row, FileNameColumn), index(row, FileNameColumn));
    }
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

std::string_view HistoryListModel::CellAt(const LineAt& line, int column) const {
    const ListedDay& day = days_[size_t(line.day)];
    if (column == kDayColumn)
        return showsResults_ ? std::string_view(day.dayText) : std::string_view();
    if (column < 0 || column >= kHistoryColumnCount)
        return {};
    if (showsResults_)
        return found_[size_t(line.row)][size_t(column)];
    return day.log->Cell(line.row, column);
}

std::string_view HistoryListModel::Cell(int row, int column) const {
    if (row < 0 || row >= LineCount())
        return {};
    return CellAt(order_[size_t(row)], column);
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
    // Days are listed by their caption, which sorts as their text does.
    const auto cell = [&](const LineAt& line) { return CellAt(line, column); };
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
        return tr("日付");
    return QCoreApplication::translate("CaptureLog", kCaptureLogColumns[size_t(section)]);
}

} // namespace kelvo
