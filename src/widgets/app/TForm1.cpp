#include "app/TForm1.h"

#include "app/UserGuide.h"
#include "capture/CapturePipeline.h"
#include "capture/DropIntake.h"
#include "common/NamedLabel.h"
#include "common/StatusNotice.h"
#include "common/WindowMover.h"
#include "destinations/CurrentDestination.h"
#include "destinations/DestinationActions.h"
#include "destinations/DestinationList.h"
#include "destinations/DestinationTreePane.h"
#include "destinations/PathShortening.h"
#include "session/ProgramName.h"
#include "session/SettingsFile.h"
#include "viewer/PreviewPair.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace kelvo {
namespace {

constexpr int kHoverInterval = 1000;
// What the status bar tells, for those who watch the program from outside
// (QT_LOGGING_RULES=kelvo.status.info=true).
Q_LOGGING_CATEGORY(statusLog, "kelvo.status", QtWarningMsg)

constexpr int kBriefMessageTime = 4000;
// Long enough to read a sentence, and to look where it points.
constexpr int kHintTime = 20000;
const QString kHintNoticeName = QStringLiteral("HintNotice");
constexpr int kSplitterHandle = 3;

QAction* CheckAction(const char* name, const QString& caption, QObject* parent) {
    auto* action = new QAction(caption, parent);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    action->setChecked(true);
    return action;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(KelvoCaption());
    resize(DefaultSize(kMainWindowSettings));
    CreateViewActions();
    CreateMainMenu();
    Panel1 = new DestinationTreePane(this);
    Panel1->AddViewCommands(Action4, Action5, Action6);
    connect(Panel1, &DestinationTreePane::TreeView1Change, this, &TForm1::DestinationChosen);
    Splitter2 = new QSplitter(Qt::Horizontal, this);
    treePane_.Attach(Splitter2);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setHandleWidth(kSplitterHandle);
    Splitter2->addWidget(Panel1);
    Splitter2->addWidget(BuildRightSide());
    Splitter2->setStretchFactor(1, 1);
    // The information box is narrower now; the preview refits by itself.
    connect(Splitter2, &QSplitter::splitterMoved, this, [this] { ShortenFolderLine(); });
    setCentralWidget(Splitter2);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    statusText_ = new QLabel(StatusBar1);
    // A brief message stands in place of the status text, never over it.
    connect(StatusBar1, &QStatusBar::messageChanged, statusText_,
            [this](const QString& message) { statusText_->setVisible(message.isEmpty()); });
    StatusBar1->addWidget(statusText_, 1);
    indexProgress_ = new QLabel(StatusBar1);
    indexProgress_->setObjectName(QStringLiteral("IndexProgress"));
    indexProgress_->hide();
    StatusBar1->addPermanentWidget(indexProgress_);
    StatusBar1->installEventFilter(this);
    setStatusBar(StatusBar1);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kHoverInterval);
    connect(Timer1, &QTimer::timeout, Panel1, &DestinationTreePane::Timer1Timer);
    UpdateHoverSelection();
    CreateContextMenus();
    new WindowMover(
        this, {Image1, GroupBox1, Label5, Label1, Label3, Label4, StatusBar1, Panel1->StatusBar2},
        {Label2});
    setAcceptDrops(true);
}

TForm1::~TForm1() = default;

QWidget* TForm1::BuildRightSide() {
    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* layout = new QVBoxLayout(Panel2);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel3 = new QFrame(Panel2);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setMinimumSize(1, 1);
    Image1 = NewPreviewImage(Panel3, [this] { emit FullSizeRequested(); });
    // The whole window takes drops; screen readers find it by this side.
    Panel2->setAccessibleName(tr("画像ドロップ領域"));
    Panel2->setAccessibleDescription(
        tr("ブラウザからドラッグした画像をドロップすると保存先フォルダに保存します"));
    Image1->setAccessibleName(tr("保存した画像のプレビュー"));
    Image1->setAccessibleDescription(tr("最後に保存した画像。ダブルクリックで原寸表示"));
    Splitter1 = new QSplitter(Qt::Vertical, Panel2);
    previewPane_.Attach(Splitter1);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(kSplitterHandle);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(Panel3);
    Splitter1->addWidget(BuildCaptureDisplay());
    Splitter1->setStretchFactor(1, 1);
    layout->addWidget(Splitter1);
    return Panel2;
}

QWidget* TForm1::BuildCaptureDisplay() {
    GroupBox1 = new QFrame(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    // Either pane of Splitter1 may shrink to a single line of pixels.
    GroupBox1->setMinimumSize(1, 1);
    GroupBox1->setAutoFillBackground(true);
    QPalette palette = GroupBox1->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::HighlightedText));
    GroupBox1->setPalette(palette);
    auto* layout = new QVBoxLayout(GroupBox1);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->setSpacing(2);
    Label5 = NamedLabel(QStringLiteral("Label5"), GroupBox1);
    Label5->setText(tr("保存先フォルダ"));
    Label2 = NamedLabel(QStringLiteral("Label2"), GroupBox1);
    Label1 = NamedLabel(QStringLiteral("Label1"), GroupBox1);
    // The folder line is shortened to its width, so it never widens the box.
    Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Image2 = NamedLabel(QStringLiteral("Image2"), GroupBox1);
    Image2->hide();
    Label3 = NamedLabel(QStringLiteral("Label3"), GroupBox1);
    Label4 = NamedLabel(QStringLiteral("Label4"), GroupBox1);
    for (QWidget* widget : {Label5, Label2, Label1, Label3, Label4})
        layout->addWidget(widget);
    layout->addStretch(1);
    preview_ = new PreviewPair(Image2, Image1);
    return GroupBox1;
}

void TForm1::CreateMainMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    Exit1 = bar->addAction(tr("終了"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    N3 = bar->addAction(tr("設定"));
    N3->setObjectName(QStringLiteral("N3"));
    // The desktops' key for preferences, for those who keep to the keyboard.
    N3->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(N3, &QAction::triggered, this, &TForm1::SettingsRequested);
    x1 = bar->addAction(tr("履歴"));
    x1->setObjectName(QStringLiteral("x1"));
    connect(x1, &QAction::triggered, this, &TForm1::HistoryRequested);
    bar->addAction(Paste1);
    Help1 = bar->addMenu(tr("ヘルプ"));
    Help1->setObjectName(QStringLiteral("Help1"));
    N16 = Help1->addAction(tr("オンラインヘルプ"));
    N16->setObjectName(QStringLiteral("N16"));
    connect(N16, &QAction::triggered, this, &TForm1::N16Click);
    N1 = Help1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    N4 = Help1->addAction(tr("バージョン"));
    N4->setObjectName(QStringLiteral("N4"));
    connect(N4, &QAction::triggered, this, &TForm1::VersionBoxRequested);
}

// The same three actions sit in both context menus, so their check marks agree.
void TForm1::CreateViewActions() {
    Paste1 = new QAction(tr("貼り付け"), this);
    Paste1->setObjectName(QStringLiteral("Paste1"));
    connect(Paste1, &QAction::triggered, this, &TForm1::PasteRequested);
    // The window's own key, whether or not the menu shows the entry.
    auto* paste = new QShortcut(QKeySequence::Paste, this);
    connect(paste, &QShortcut::activated, this, &TForm1::PasteRequested);
    Action4 = new QAction(tr("保存先フォルダを開く"), this);
    Action4->setObjectName(QStringLiteral("Action4"));
    Action4->setProperty("category", QStringLiteral("保存先フォルダ"));
    connect(Action4, &QAction::triggered, this, &TForm1::Action4Execute);
    Action5 = CheckAction("Action5", tr("メニューを表示する"), this);
    connect(Action5, &QAction::triggered, this, &TForm1::ShowMenuItems);
    Action6 = CheckAction("Action6", tr("ツリービューを表示する"), this);
    connect(Action6, &QAction::triggered, this, [this](bool shown) {
        if (shown)
            ShowTreePane();
        else
            HideTreePane();
    });
}

void TForm1::CreateContextMenus() {
    PopupMenu2 = new QMenu(Panel2);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addAction(Action4);
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(Action5);
    PopupMenu2->addAction(Action6);
    Panel2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Panel2, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenu2->popup(Panel2->mapToGlobal(at)); });
}

// "ヘルプ" and its "オンラインヘルプ" always stay.
void TForm1::ShowMenuItems(bool shown) {
    for (QAction* item : {Exit1, N3, x1, Paste1, N4})
        item->setVisible(shown);
}

void TForm1::SetMenuShown(bool shown) {
    Action5->setChecked(shown);
    ShowMenuItems(shown);
}

bool TForm1::MenuShown() const {
    return Action5->isChecked();
}

void TForm1::SetTreePaneShown(bool shown) {
    Action6->setChecked(shown);
    Panel1->setVisible(shown);
    UpdateHoverSelection();
    if (shown && isVisible())
        treePane_.Apply();
}

bool TForm1::TreePaneShown() const {
    return Action6->isChecked();
}

// The right side keeps its width; the window gives up the pane's.
void TForm1::HideTreePane() {
    treePane_.Keep();
    Panel1->hide();
    resize(width() - treePane_.Size(), height());
    UpdateHoverSelection();
}

void TForm1::ShowTreePane() {
    Panel1->show();
    resize(width() + treePane_.Size(), height());
    if (isVisible())
        treePane_.Apply();
    UpdateHoverSelection();
    if (current_)
        Panel1->Select(current_->CurrentIndex());
    Panel1->TreeView1->setFocus();
}

void TForm1::SetDestinationList(DestinationList* list) {
    Panel1->SetModel(list);
}

void TForm1::SetDestinationActions(DestinationActions& actions) {
    Panel1->SetCommands(actions);
}

void TForm1::SelectDestination(int position) {
    Panel1->Select(position);
}

int TForm1::SelectedDestination() const {
    return Panel1->SelectedPosition();
}

QString TForm1::SelectedIdentifier() const {
    return Panel1->SelectedText();
}

void TForm1::Action4Execute() {
    const PauseHoverSelection pause(*this);
    const QString folder = current_ ? current_->CurrentFolder() : QString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        emit OpenRequested(QUrl::fromLocalFile(folder));
    } else {
        BringToFront();
        Beep();
        emit NoticeRequested(MissingFolderText(folder).shown);
    }
}

void TForm1::N16Click() {
    const QString guide = UserGuideFile();
    if (guide.isEmpty())
        emit NoticeRequested(tr("ヘルプファイルが見つかりません。"));
    else
        emit OpenRequested(QUrl::fromLocalFile(guide));
}

void TForm1::SetCapture(const DropIntake* intake, CapturePipeline* pipeline) {
    intake_ = intake;
    pipeline_ = pipeline;
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (intake_ && DropIntake::CanTake(*event->mimeData()))
        event->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
    if (intake_ && DropIntake::CanTake(*event->mimeData()))
        event->acceptProposedAction();
}

// The drop's data is taken at once, but captured after the drop has ended, so
// the browser is not kept waiting while a dialog asks about a name clash.
void TForm1::dropEvent(QDropEvent* event) {
    if (!intake_ || !pipeline_)
        return;
    DropPayload payload = intake_->Take(*event->mimeData());
    event->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, payload = std::move(payload)] { pipeline_->HandleDroppedFiles(payload); },
        Qt::QueuedConnection);
}

void TForm1::ClearPreview() {
    preview_->ClearTarget();
}

void TForm1::ShowCapturedPreview(const QString& savedPath) {
    preview_->Load(savedPath, [this](bool, const QString& error) {
        if (!error.isEmpty())
            StatusBar1->showMessage(error, kBriefMessageTime);
    });
}

void TForm1::ShowSavedName(const QString& name) {
    Label3->setText(name);
}

void TForm1::ShowOutcome(const QString& text) {
    Label4->setText(text);
}

void TForm1::ShowStatus(const QString& text) {
    qCInfo(statusLog).noquote() << text;
    statusText_->setText(text);
}

// A hint the status bar would cut is shown whole, wrapped above it.
void TForm1::ShowHint(const QString& text) {
    qCInfo(statusLog).noquote() << text;
    if (FitsStatusBar(*this, text))
        StatusBar1->showMessage(text, kHintTime);
    else
        ShowWrappedNotice(*this, kHintNoticeName, text, kHintTime);
}

// Clicked in the bar, or on its wrapped notice above the bar.
void TForm1::ShowClickableHint(const QString& text) {
    ShowHint(text);
    clickableHint_.start();
    for (QLabel* notice : findChildren<QLabel*>(kHintNoticeName))
        notice->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const bool onHint = watched == StatusBar1 || watched->objectName() == kHintNoticeName;
    if (onHint && event->type() == QEvent::MouseButtonRelease && clickableHint_.isValid() &&
        clickableHint_.elapsed() < kHintTime)
        emit HintClicked();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::ShowIndexProgress(int percent) {
    indexProgress_->setText(tr("索引 %1%").arg(percent));
    indexProgress_->setToolTip(tr("保存済みの画像の索引を作成中"));
    indexProgress_->setVisible(percent < 100);
}

QString TForm1::StatusText() const {
    return statusText_->text();
}

void TForm1::HoldHoverSelection() {
    ++hoverHolds_;
    UpdateHoverSelection();
}

void TForm1::ReleaseHoverSelection() {
    --hoverHolds_;
    UpdateHoverSelection();
}

// Only a shown tree pane selects under the pointer, and only when nothing holds it.
void TForm1::UpdateHoverSelection() {
    const bool selecting = hoverHolds_ == 0 && !Panel1->isHidden();
    if (selecting && !Timer1->isActive())
        Timer1->start();
    else if (!selecting)
        Timer1->stop();
}

void TForm1::BringToFront() {
    raise();
    activateWindow();
}

void TForm1::ReassertTopmost() {
    if (isVisible())
        BringToFront();
}

void TForm1::Beep() {
    QApplication::beep();
}

void TForm1::ShowTreeStatus(const QString& text) {
    Panel1->ShowStatus(text);
}

// The folder in full; the next resize shortens it.
void TForm1::ShowCurrentDestination(const QString& identifier, const QString& folder) {
    Label2->setText(identifier);
    Label1->setText(folder);
}

void TForm1::ClearCaptureInfo() {
    Label3->clear();
    Label4->clear();
}

void TForm1::SetTreePaneWidth(int width) {
    treePane_.Set(width);
}

int TForm1::TreePaneWidth() const {
    return treePane_.Size();
}

void TForm1::SetPreviewPaneHeight(int height) {
    previewPane_.Set(height);
}

int TForm1::PreviewPaneHeight() const {
    return previewPane_.Size();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    treePane_.ApplyIfPending();
    previewPane_.ApplyIfPending();
    if (!std::exchange(shownBefore_, true))
        emit FirstShown();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (closeDecision_ && !closeDecision_->MayClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ShortenFolderLine();
}

void TForm1::ShortenFolderLine() {
    if (!current_)
        return;
    const QFontMetrics metrics = Label1->fontMetrics();
    const int width = GroupBox1->width() - Label1->x();
    Label1->setText(ShortenPath(current_->CurrentFolder(), width, [&](const QString& text) {
        return metrics.horizontalAdvance(text);
    }));
}

} // namespace kelvo
