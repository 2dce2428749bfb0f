#include "app/TForm1.h"

#include "capture/CapturePipeline.h"
#include "capture/DropIntake.h"
#include "destinations/CurrentDestination.h"
#include "destinations/DestinationTreePane.h"
#include "destinations/PathShortening.h"
#include "viewer/PreviewPair.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace kelvo {
namespace {

constexpr int kHoverInterval = 1000;
constexpr int kBriefMessageTime = 4000;

QLabel* NamedLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QAction* DestinationAction(const char* name, const QString& caption, const QString& hint,
                           bool enabled, QObject* parent) {
    auto* action = new QAction(caption, parent);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setProperty("category", QStringLiteral("保存先フォルダ"));
    action->setEnabled(enabled);
    return action;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("ケルボ v1.13"));
    resize(287, 292);
    CreateDestinationActions();
    CreateMainMenu();
    Panel1 = new DestinationTreePane(this);
    Panel1->SetCommands(Action1, Action2, Action3);
    Splitter2 = new QSplitter(Qt::Horizontal, this);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->addWidget(Panel1);
    Splitter2->addWidget(BuildCaptureDisplay());
    Splitter2->setStretchFactor(1, 1);
    setCentralWidget(Splitter2);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    statusText_ = new QLabel(StatusBar1);
    StatusBar1->addWidget(statusText_, 1);
    setStatusBar(StatusBar1);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kHoverInterval);
    connect(Timer1, &QTimer::timeout, Panel1, &DestinationTreePane::Timer1Timer);
    Timer1->start();
    setAcceptDrops(true);
}

TForm1::~TForm1() = default;

QWidget* TForm1::BuildCaptureDisplay() {
    GroupBox1 = new QFrame(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* layout = new QVBoxLayout(GroupBox1);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->setSpacing(2);
    Label5 = NamedLabel("Label5", GroupBox1);
    Label5->setText(QStringLiteral("保存先フォルダ"));
    Label2 = NamedLabel("Label2", GroupBox1);
    Label1 = NamedLabel("Label1", GroupBox1);
    // The folder line is shortened to its width, so it never widens the box.
    Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Image1 = NamedLabel("Image1", GroupBox1);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    Image2 = NamedLabel("Image2", GroupBox1);
    Image2->hide();
    Label3 = NamedLabel("Label3", GroupBox1);
    Label4 = NamedLabel("Label4", GroupBox1);
    for (QWidget* widget : {Label5, Label2, Label1})
        layout->addWidget(widget);
    layout->addWidget(Image1, 1);
    layout->addWidget(Label3);
    layout->addWidget(Label4);
    preview_ = new PreviewPair(Image2, Image1);
    return GroupBox1;
}

void TForm1::CreateMainMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    Exit1 = bar->addAction(QStringLiteral("終了"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    N3 = bar->addAction(QStringLiteral("設定"));
    N3->setObjectName(QStringLiteral("N3"));
    Help1 = bar->addMenu(QStringLiteral("ヘルプ"));
    Help1->setObjectName(QStringLiteral("Help1"));
    N4 = Help1->addAction(QStringLiteral("バージョン"));
    N4->setObjectName(QStringLiteral("N4"));
}

void TForm1::CreateDestinationActions() {
    Action1 = DestinationAction("Action1", QStringLiteral("追加"),
                                QStringLiteral("保存先情報を追加します"), true, this);
    Action2 = DestinationAction("Action2", QStringLiteral("編集"),
                                QStringLiteral("保存先情報を編集します"), false, this);
    Action3 = DestinationAction("Action3", QStringLiteral("削除"),
                                QStringLiteral("保存先情報を削除します"), false, this);
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
    QString error;
    if (!preview_->Load(savedPath, &error) && !error.isEmpty())
        StatusBar1->showMessage(error, kBriefMessageTime);
}

void TForm1::ShowSavedName(const QString& name) {
    Label3->setText(name);
}

void TForm1::ShowOutcome(const QString& text) {
    Label4->setText(text);
}

void TForm1::ShowStatus(const QString& text) {
    statusText_->setText(text);
}

QString TForm1::StatusText() const {
    return statusText_->text();
}

void TForm1::SetHoverSelectionEnabled(bool enabled) {
    if (enabled)
        Timer1->start();
    else
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
    treePaneWidth_ = width;
    treePaneSized_ = false;
    if (isVisible())
        ApplyTreePaneWidth();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!treePaneSized_)
        ApplyTreePaneWidth();
}

// The splitter shares out only the width it has, which it knows once shown.
void TForm1::ApplyTreePaneWidth() {
    const int total = Splitter2->width();
    Splitter2->setSizes({treePaneWidth_, std::max(1, total - treePaneWidth_)});
    treePaneSized_ = true;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (closeHandler_ && !closeHandler_()) {
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
