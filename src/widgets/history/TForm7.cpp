#include "history/TForm7.h"

#include "common/NamedLabel.h"
#include "history/HistoryListModel.h"
#include "logs/HistoryTree.h"
#include "session/SettingsFile.h"
#include "viewer/PreviewPair.h"

#include <QAction>
#include <QDesktopServices>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace kelvo {
namespace {

// The five columns of the log, and the day a search's line comes from.
constexpr int kColumnWidths[kHistoryColumnCount + 1] = {130, 150, 90, 220, 220, 110};
// Fitted to their lines, so the name, the time and the day read whole: the
// file name, the capture time and a search's day.
constexpr int kFittedColumns[] = {0, 1, kHistoryColumnCount};
// A long file name takes no more than this share of the list's width.
constexpr double kFittedShare = 0.4;

QAction* Command(const char* name, const QString& caption, const QString& hint,
                 QStyle::StandardPixmap icon, QWidget* owner) {
    auto* action = new QAction(owner->style()->standardIcon(icon), caption, owner);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setEnabled(false);
    return action;
}

QStatusBar* SimpleStatusBar(const QString& name, QLabel*& text, QWidget* parent) {
    auto* bar = new QStatusBar(parent);
    bar->setObjectName(name);
    bar->setSizeGripEnabled(false);
    text = new QLabel(bar);
    bar->addWidget(text, 1);
    return bar;
}

// An entry of its own for a shared command, so that it can be hidden in the
// pop-up menu alone; it follows the command's caption and enabled state.
QAction* PopupEntry(QMenu* menu, QAction* command) {
    QAction* entry = menu->addAction(command->icon(), command->text());
    entry->setObjectName(command->objectName() + QStringLiteral("Entry"));
    entry->setEnabled(command->isEnabled());
    QObject::connect(command, &QAction::changed, entry,
                     [entry, command] { entry->setEnabled(command->isEnabled()); });
    QObject::connect(entry, &QAction::triggered, command, &QAction::trigger);
    return entry;
}

} // namespace

TForm7::TForm7(HistoryContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("TForm7"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    setSizeGripEnabled(true);
    setAcceptDrops(true); // a file dropped here finds its capture
    setWindowTitle(HistoryCaption());
    resize(DefaultSize(kHistoryWindowSettings));
    if (!context_.openFolder)
        context_.openFolder = [](const QUrl& folder) { QDesktopServices::openUrl(folder); };
    listModel_ = new HistoryListModel(this);
    HistoryView& view = *this;
    actions_ = std::make_unique<HistoryActions>(context_.homeFolder, *listModel_, view,
                                                context_.browser, context_.prompter);

    CreateActions();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateMenus();
    layout->setMenuBar(MainMenu1);
    CreateToolBar();
    layout->addWidget(ToolBar1);
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    treePane_.Attach(Splitter1);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->addWidget(BuildTreePane());
    Splitter1->addWidget(BuildRightPane());
    Splitter1->setStretchFactor(1, 1);
    layout->addWidget(Splitter1, 1);
    CreatePopupMenus();
}

// The actions go first (they own the listing, which reports to the window),
// and nothing reaches them while the widgets go.
TForm7::~TForm7() {
    ListView1->selectionModel()->disconnect(this);
    TreeView1->selectionModel()->disconnect(this);
    actions_.reset();
}

void TForm7::CreateActions() {
    Action21 =
        Command("Action21", tr("開く"), tr("選択画像を開く"), QStyle::SP_DialogOpenButton, this);
    Action1 = Command("Action1", tr("閉じる"), tr("メインフォームへ戻る"),
                      QStyle::SP_DialogCloseButton, this);
    Action1->setEnabled(true);
    const QString folder = tr("画像保存先フォルダを開く");
    Action17 = Command("Action17", folder, folder, QStyle::SP_DirOpenIcon, this);
    const QString copy = tr("画像取得元ＨＰアドレスをコピー");
    Action18 = Command("Action18", copy, copy, QStyle::SP_FileDialogDetailedView, this);
    const QString browse = tr("画像取得元ＨＰをブラウザで開く");
    Action19 = Command("Action19", browse, browse, QStyle::SP_ComputerIcon, this);
    const QString browseNew = tr("画像取得元ＨＰを新しいブラウザで開く");
    Action20 = Command("Action20", browseNew, browseNew, QStyle::SP_DesktopIcon, this);
    Action8 = Command("Action8", tr("最初のファイル"), tr("最初のファイルへ"),
                      QStyle::SP_MediaSkipBackward, this);
    Action9 =
        Command("Action9", tr("前のファイル"), tr("前のファイルへ"), QStyle::SP_ArrowUp, this);
    Action10 =
        Command("Action10", tr("次のファイル"), tr("次のファイルへ"), QStyle::SP_ArrowDown, this);
    Action11 = Command("Action11", tr("最後のファイル"), tr("最後のファイルへ"),
                       QStyle::SP_MediaSkipForward, this);
    const QString refresh = tr("最新の情報に更新");
    Action16 = Command("Action16", refresh, refresh, QStyle::SP_BrowserReload, this);
    const QString rename = tr("ファイル名の変更");
    Action2 = Command("Action2", rename, rename, QStyle::SP_FileIcon, this);
    Action2->setShortcut(Qt::Key_F2);
    const QString copyPicture = tr("コピー");
    Action4 = Command("Action4", copyPicture, copyPicture, QStyle::SP_FileIcon, this);
    Action4->setShortcut(QKeySequence::Copy);
    const QString samePictures = tr("同じ画像・似た画像を表示");
    SamePictures = Command("SamePictures", samePictures, samePictures,
                           QStyle::SP_FileDialogContentsView, this);
    const QString search = tr("検索");
    Action22 = Command("Action22", search, tr("全期間の履歴を検索"),
                       QStyle::SP_FileDialogContentsView, this);
    Action22->setShortcut(QKeySequence::Find);
    Action22->setEnabled(true);
    // Shortcuts work while the window is active, whether or not a menu shows them.
    addActions({Action2, Action4, Action22});

    const auto bind = [this](QAction* action, void (HistoryActions::*command)()) {
        connect(action, &QAction::triggered, this, [this, command] { ((*actions_).*command)(); });
    };
    bind(Action21, &HistoryActions::OpenViewer);
    bind(Action17, &HistoryActions::OpenFolder);
    bind(Action18, &HistoryActions::CopyAddress);
    bind(Action19, &HistoryActions::OpenAddressInBrowser);
    bind(Action20, &HistoryActions::OpenAddressInNewBrowser);
    bind(Action8, &HistoryActions::FirstLine);
    bind(Action9, &HistoryActions::PreviousLine);
    bind(Action10, &HistoryActions::NextLine);
    bind(Action11, &HistoryActions::LastLine);
    bind(Action2, &HistoryActions::RenameFile);
    bind(Action4, &HistoryActions::CopyPicture);
    bind(SamePictures, &HistoryActions::ListSamePicturesOfSelectedLine);
    connect(Action1, &QAction::triggered, this, &QDialog::reject);
    connect(Action16, &QAction::triggered, this, &TForm7::Action16Execute);
    connect(Action22, &QAction::triggered, this, [this] {
        Edit1->setFocus(Qt::ShortcutFocusReason);
        Edit1->selectAll();
    });
}

void TForm7::CreateMenus() {
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* file = MainMenu1->addMenu(tr("ファイル"));
    file->addActions({Action21, Action1});
    QMenu* edit = MainMenu1->addMenu(tr("編集"));
    edit->addActions({Action2, Action4});
    edit->addSeparator();
    edit->addActions({SamePictures, Action22});
    QMenu* view = MainMenu1->addMenu(tr("表示"));
    view->addActions({Action8, Action9, Action10, Action11});
    view->addSeparator();
    view->addAction(Action16);
    QMenu* options = MainMenu1->addMenu(tr("オプション"));
    options->addActions({Action17, Action18, Action19, Action20});
}

void TForm7::CreateToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->addActions({Action21, Action1});
    ToolBar1->addSeparator();
    ToolBar1->addActions({Action17, Action18, Action19, Action20});
    ToolBar1->addSeparator();
    ToolBar1->addActions({Action8, Action9, Action10, Action11, Action16});
    ToolBar1->addSeparator();
    Edit1 = new QLineEdit(ToolBar1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setPlaceholderText(tr("検索 (Ctrl+F)"));
    Edit1->setToolTip(tr("全期間の履歴からファイル名・識別名・アドレス・フォルダを検索"));
    Edit1->setAccessibleName(tr("検索"));
    Edit1->setClearButtonEnabled(true);
    Edit1->setMaximumWidth(260);
    Edit1->installEventFilter(this);
    connect(Edit1, &QLineEdit::textChanged, this, &TForm7::SearchTyped);
    ToolBar1->addWidget(Edit1);
}

void TForm7::ListSamePictures(const QString& path) {
    actions_->ListSamePictures(path);
}

void TForm7::CreatePopupMenus() {
    PopupMenu1 = new QMenu(ListView1);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    lineEntries_ << PopupEntry(PopupMenu1, Action21);
    PopupMenu1->addAction(Action1);
    PopupMenu1->addSeparator();
    for (QAction* command : {Action17, Action18, Action19, Action20})
        lineEntries_ << PopupEntry(PopupMenu1, command);
    lineEntries_ << PopupEntry(PopupMenu1, SamePictures);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(Action16);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });

    PopupMenu2 = new QMenu(TreeView1);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addAction(Action16);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeView1, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        TreeView1->setFocus(); // PopupMenu2Popup
        PopupMenu2->popup(TreeView1->viewport()->mapToGlobal(at));
    });
}

QWidget* TForm7::BuildTreePane() {
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel5 = new QWidget(Panel1);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setFixedHeight(4);
    TreeView1 = new QTreeView(Panel1);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setToolTip(tr("年月日クリックで履歴表示"));
    TreeView1->setAccessibleName(tr("取得した年月日"));
    TreeView1->setAccessibleDescription(tr("年月日クリックで履歴表示"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setMouseTracking(true); // hot tracking
    TreeView1->setModel(&context_.tree);
    TreeView1->viewport()->installEventFilter(this);
    connect(TreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { TreeView1Change(current); });
    StatusBar1 = SimpleStatusBar(QStringLiteral("StatusBar1"), dayText_, Panel1);
    layout->addWidget(Panel5);
    layout->addWidget(TreeView1, 1);
    layout->addWidget(StatusBar1);
    return Panel1;
}

QWidget* TForm7::BuildRightPane() {
    auto* right = new QWidget(this);
    auto* layout = new QVBoxLayout(right);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel3 = new QFrame(right);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Image1 = NewPreviewImage(Panel3, [this] { actions_->OpenViewerFromPreview(); });
    Image1->setAccessibleName(tr("選んだ画像のプレビュー"));
    Image1->setAccessibleDescription(tr("ダブルクリックで原寸表示"));
    Image2 = NamedLabel(QStringLiteral("Image2"), Panel3);
    preview_ = new PreviewPair(Image2, Image1);

    ListView1 = new QTableView(right);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setToolTip(tr("ファイル名クリックで画像表示"));
    ListView1->setAccessibleName(tr("取得履歴"));
    ListView1->setAccessibleDescription(
        tr("選んだ日に取得した画像の一覧。ファイル名クリックで画像表示"));
    ListView1->setModel(listModel_);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setShowGrid(true);
    ListView1->setWordWrap(false);
    ListView1->verticalHeader()->hide();
    // One height for every line, so tens of thousands of lines lay out at once.
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 6);
    ListView1->horizontalHeader()->setSectionsClickable(true);
    ListView1->horizontalHeader()->setHighlightSections(false);
    for (int column = 0; column < kHistoryColumnCount; ++column)
        ListView1->setColumnWidth(column, kColumnWidths[column]);
    // A search's lines bring the day column, shown first.
    connect(listModel_, &QAbstractItemModel::modelReset, this, [this] {
        if (listModel_->columnCount() <= kHistoryColumnCount)
            return;
        ListView1->setColumnWidth(kHistoryColumnCount, kColumnWidths[kHistoryColumnCount]);
        QHeaderView* headings = ListView1->horizontalHeader();
        headings->moveSection(headings->visualIndex(kHistoryColumnCount), 0);
    });
    // A day's first batch of lines, and each day a search finds.
    connect(listModel_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first) {
                if (first == 0 || listModel_->ShowsResults())
                    FitColumnsToLines();
            });
    // The folder, last, takes the width the others leave.
    ListView1->horizontalHeader()->setStretchLastSection(true);
    ListView1->viewport()->installEventFilter(this);
    ListView1->installEventFilter(this);
    connect(ListView1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TForm7::ListView1ColumnClick);
    connect(ListView1, &QAbstractItemView::doubleClicked, this, [this] { actions_->OpenViewer(); });
    // ListView1SelectItem: a move to another line is a deselection, then a selection.
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                if (!deselected.isEmpty())
                    actions_->LineDeselected();
                if (!selected.isEmpty())
                    actions_->LineSelected(selected.indexes().constFirst().row());
            });

    Splitter2 = new QSplitter(Qt::Vertical, right);
    previewPane_.Attach(Splitter2);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setChildrenCollapsible(false);
    Splitter2->addWidget(Panel3);
    Splitter2->addWidget(ListView1);
    Splitter2->setStretchFactor(1, 1);
    StatusBar2 = SimpleStatusBar(QStringLiteral("StatusBar2"), listText_, right);
    layout->addWidget(Splitter2, 1);
    layout->addWidget(StatusBar2);
    return right;
}

QString TForm7::DayStatusText() const {
    return dayText_->text();
}

QString TForm7::ListStatusText() const {
    return listText_->text();
}

QAction* TForm7::PopupEntryOf(QAction* action) const {
    for (QAction* entry : lineEntries_) {
        if (entry->objectName() == action->objectName() + QStringLiteral("Entry"))
            return entry;
    }
    return nullptr;
}

void TForm7::SetTreePaneWidth(int width) {
    treePane_.Set(width);
}

int TForm7::TreePaneWidth() const {
    return treePane_.Size();
}

void TForm7::SetPreviewPaneHeight(int height) {
    previewPane_.Set(height);
}

int TForm7::PreviewPaneHeight() const {
    return previewPane_.Size();
}

// Widens, never narrows, so lines that come later keep the width found.
void TForm7::FitColumnsToLines() {
    const int widest = int(ListView1->viewport()->width() * kFittedShare);
    for (const int column : kFittedColumns) {
        if (column >= listModel_->columnCount())
            continue;
        const int before = ListView1->columnWidth(column);
        ListView1->resizeColumnToContents(column);
        const int lines = ListView1->columnWidth(column);
        ListView1->setColumnWidth(column, std::clamp(lines, before, std::max(before, widest)));
    }
}

void TForm7::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    treePane_.ApplyIfPending();
    previewPane_.ApplyIfPending();
    // What was captured or renamed while the window was away is listed.
    actions_->SetShown(true);
}

void TForm7::hideEvent(QHideEvent* event) {
    actions_->SetShown(false);
    QDialog::hideEvent(event);
}

} // namespace kelvo
