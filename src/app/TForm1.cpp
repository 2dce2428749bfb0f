#include "app/TForm1.h"

#include "capture/CapturePipeline.h"
#include "capture/DropIntake.h"
#include "viewer/PreviewPair.h"

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

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("ケルボ v1.13"));
    resize(287, 292);
    BuildCaptureDisplay();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kHoverInterval);
    Timer1->start();
    setAcceptDrops(true);
}

TForm1::~TForm1() = default;

void TForm1::BuildCaptureDisplay() {
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    Label5 = NamedLabel("Label5", body);
    Label5->setText(QStringLiteral("保存先フォルダ"));
    Label2 = NamedLabel("Label2", body);
    Label1 = NamedLabel("Label1", body);
    Image1 = NamedLabel("Image1", body);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setMinimumSize(1, 1);
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    Image2 = NamedLabel("Image2", body);
    Image2->hide();
    Label3 = NamedLabel("Label3", body);
    Label4 = NamedLabel("Label4", body);
    for (QWidget* widget : {Label5, Label2, Label1})
        layout->addWidget(widget);
    layout->addWidget(Image1, 1);
    layout->addWidget(Label3);
    layout->addWidget(Label4);
    setCentralWidget(body);
    preview_ = new PreviewPair(Image2, Image1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    statusText_ = new QLabel(StatusBar1);
    StatusBar1->addWidget(statusText_, 1);
    setStatusBar(StatusBar1);
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

} // namespace kelvo
