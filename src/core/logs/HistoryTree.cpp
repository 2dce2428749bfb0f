#include "logs/HistoryTree.h"

#include "files/FileBytes.h"
#include "logs/DayTexts.h"
#include "text/PathText.h"
#include "text/TreeOutline.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace kelvo {

// Nodes stay at one address for their whole life: model indexes point at them.
struct HistoryTree::Node {
    QString text;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;

    Node* AppendChild(const QString& childText) {
        return InsertChild(int(children.size()), childText);
    }

    Node* InsertChild(int row, const QString& childText) {
        auto child = std::make_unique<Node>();
        child->text = childText;
        child->parent = this;
        return children.insert(children.begin() + row, std::move(child))->get();
    }

    int Row() const {
        if (!parent)
            return 0;
        const auto& siblings = parent->children;
        const auto found =
            std::find_if(siblings.begin(), siblings.end(),
                         [this](const auto& sibling) { return sibling.get() == this; });
        return int(found - siblings.begin());
    }

    Node* ChildWithText(const QString& childText) const {
        for (const auto& child : children) {
            if (child->text == childText)
                return child.get();
        }
        return nullptr;
    }

    // This node and everything below it.
    int SubtreeSize() const {
        int size = 1;
        for (const auto& child : children)
            size += child->SubtreeSize();
        return size;
    }

    // The node at a position in tree order, counting this node's children
    // (not this node) from 0.
    Node* DescendantAt(int position) {
        for (const auto& child : children) {
            if (position == 0)
                return child.get();
            const int size = child->SubtreeSize();
            if (position < size)
                return child->DescendantAt(position - 1);
            position -= size;
        }
        return nullptr;
    }

    bool IsSortedRecursively() const {
        const auto descending =
            std::adjacent_find(children.begin(), children.end(), [](const auto& a, const auto& b) {
                return QString::localeAwareCompare(a->text, b->text) > 0;
            });
        return descending == children.end() &&
               std::all_of(children.begin(), children.end(),
                           [](const auto& child) { return child->IsSortedRecursively(); });
    }

    // Where a new child goes so that the children stay sorted: after every
    // child that sorts before it or alike, as a stable sort of the appended
    // child would place it.
    int SortedRowFor(const QString& childText) const {
        const auto at =
            std::upper_bound(children.begin(), children.end(), childText,
                             [](const QString& wanted, const auto& child) {
                                 return QString::localeAwareCompare(wanted, child->text) < 0;
                             });
        return int(at - children.begin());
    }

    void SortRecursively() {
        std::stable_sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
            return QString::localeAwareCompare(a->text, b->text) < 0;
        });
        for (const auto& child : children)
            child->SortRecursively();
    }

    // Entries as read: each at most one level deeper than the one before.
    void AppendOutlineEntries(const QList<OutlineEntry>& entries) {
        std::vector<Node*> lastAtLevel{this};
        for (const OutlineEntry& entry : entries) {
            lastAtLevel.resize(size_t(entry.level) + 1);
            lastAtLevel.push_back(lastAtLevel.back()->AppendChild(entry.text));
        }
    }

    void AppendOutline(QList<OutlineEntry>& entries, int level) const {
        for (const auto& child : children) {
            entries.append({level, child->text});
            child->AppendOutline(entries, level + 1);
        }
    }
};

HistoryTree::HistoryTree(QObject* parent)
    : QAbstractItemModel(parent), root_(std::make_unique<Node>()) {}

HistoryTree::~HistoryTree() = default;

// The first top-level node of the text is the one FindMonthNode finds, here
// without counting positions. A tree kept sorted takes a new node at its
// place; one loaded out of order is sorted whole at its first addition.
HistoryTree::DayAddition HistoryTree::AddCaptureDayToTree(const QDateTime& captureTime) {
    DayAddition addition;
    const QString monthText = MonthText(captureTime);
    Node* month = root_->ChildWithText(monthText);
    if (!month) {
        month = AddSortedChild(root_.get(), monthText);
        addition.newMonth = true;
    }
    const QString dayText = DayText(captureTime);
    if (!month->ChildWithText(dayText)) {
        AddSortedChild(month, dayText);
        addition.newDay = true;
    }
    unsavedDays_ = unsavedDays_ || addition.newMonth || addition.newDay;
    return addition;
}

int HistoryTree::FindMonthNode(const QString& monthText) const {
    int position = 0;
    for (const auto& month : root_->children) {
        if (month->text == monthText)
            return position;
        position += month->SubtreeSize();
    }
    return -1;
}

bool HistoryTree::HasDayNode(int monthPosition, const QString& dayText) const {
    const Node* month = monthPosition < 0 ? nullptr : root_->DescendantAt(monthPosition);
    return month && month->ChildWithText(dayText);
}

bool HistoryTree::Load(const QString& path, QString* error) {
    const bool exists = QFileInfo::exists(path);
    const std::optional<std::string> bytes = exists ? ReadFileBytes(LocalPath(path)) : std::nullopt;
    const TreeOutline outline = ReadTreeOutline(bytes.value_or(std::string()));
    beginResetModel();
    root_->children.clear();
    root_->AppendOutlineEntries(outline.entries);
    sorted_ = root_->IsSortedRecursively();
    unsavedDays_ = false;
    endResetModel();

    const QString fileName = QFileInfo(path).fileName();
    QString problem;
    if (exists && !bytes)
        problem = tr("%1 を読み込めません。").arg(fileName);
    else if (outline.invalidLine > 0)
        problem =
            tr("%1 の %2 行目の階層が正しくありません。").arg(fileName).arg(outline.invalidLine);
    readWhole_ = problem.isEmpty();
    if (readWhole_)
        return true;
    // The logs hold the truth: the days after the damage are found there.
    AddDaysOfLogs(LogsFolderPath(QFileInfo(path).absolutePath() + u'/'));
    if (error)
        *error = tr("%1ファイルはそのまま残し、履歴は Logs フォルダから補います。").arg(problem);
    return false;
}

// Month folders (2006年03月) holding day logs (20060315.txt).
void HistoryTree::AddDaysOfLogs(const QString& logsFolder) {
    const QDir logs(logsFolder);
    for (const QString& month : logs.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QFileInfo& log :
             QDir(logs.filePath(month)).entryInfoList({QStringLiteral("*.txt")}, QDir::Files)) {
            const QDate day = QDate::fromString(log.completeBaseName(), QStringLiteral("yyyyMMdd"));
            const QDateTime time(day, QTime(0, 0));
            if (day.isValid() && MonthText(time) == month)
                AddCaptureDayToTree(time);
        }
    }
}

bool HistoryTree::Save(const QString& path) const {
    if (!readWhole_)
        return true;
    QList<OutlineEntry> entries;
    root_->AppendOutline(entries, 0);
    if (!WriteFileAtomically(LocalPath(path), WriteTreeOutline(entries)))
        return false;
    unsavedDays_ = false;
    return true;
}

QStringList HistoryTree::MonthTexts() const {
    QStringList texts;
    for (const auto& month : root_->children)
        texts.append(month->text);
    return texts;
}

QStringList HistoryTree::DayTexts(const QString& monthText) const {
    QStringList texts;
    if (const Node* month = root_->ChildWithText(monthText)) {
        for (const auto& day : month->children)
            texts.append(day->text);
    }
    return texts;
}

QModelIndex HistoryTree::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent))
        return {};
    return createIndex(row, column, NodeOf(parent)->children[size_t(row)].get());
}

QModelIndex HistoryTree::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return {};
    return IndexOf(NodeOf(child)->parent);
}

int HistoryTree::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    return int(NodeOf(parent)->children.size());
}

int HistoryTree::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant HistoryTree::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return NodeOf(index)->text;
}

HistoryTree::Node* HistoryTree::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex HistoryTree::IndexOf(const Node* node) const {
    if (!node || node == root_.get())
        return {};
    return createIndex(node->Row(), 0, const_cast<Node*>(node));
}

HistoryTree::Node* HistoryTree::AddSortedChild(Node* parent, const QString& text) {
    if (!sorted_) {
        SortTree();
        sorted_ = true;
    }
    const int row = parent->SortedRowFor(text);
    beginInsertRows(IndexOf(parent), row, row);
    Node* child = parent->InsertChild(row, text);
    endInsertRows();
    return child;
}

// Moves rows without touching the nodes, so a selection follows its node.
void HistoryTree::SortTree() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    root_->SortRecursively();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(IndexOf(NodeOf(index)));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace kelvo
