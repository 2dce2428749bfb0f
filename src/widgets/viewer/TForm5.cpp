#include "viewer/TForm5.h"

#include "common/NamedLabel.h"
#include "common/WindowMover.h"
#include "session/SettingsFile.h"
#include "viewer/FileFacts.h"
#include "viewer/PictureLoader.h"
#include "viewer/ViewerSizing.h"

#include <QApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QMovie>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace kelvo {
namespace {

constexpr int kPanelWidths[3] = {80, 100, 100};

void ShowBar(QScrollArea* area, Qt::Orientation orientation, bool shown) {
    const Qt::ScrollBarPolicy policy = shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (orientation == Qt::Horizontal)
        area->setHorizontalScrollBarPolicy(policy);
    else
        area->setVerticalScrollBarPolicy(policy);
}

// A still WebP is shown as a picture, like the other formats.
bool IsAnimatedWebp(const QString& path, PictureKind kind) {
    if (kind != PictureKind::Webp)
        return false;
    QImageReader reader(path, "webp");
    reader.setAutoDetectImageFormat(false);
    return reader.supportsAnimation() && reader.imageCount() > 1;
}

} // namespace

TForm5::TForm5(QWidget* parent)
    : QDialog(parent), screenArea_([this] {
          QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
          return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
      }) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(DefaultSize(kViewerWindowSettings));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The picture sets the window's size; the status bar's panels would
    // otherwise widen a small picture's window to their own width.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Image1 = NamedLabel(QStringLiteral("Image1"), ScrollBox1);
    Image1->setToolTip(tr("ダブルクリックで閉じます"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setWidget(Image1);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int panel = 0; panel < 3; ++panel) {
        panels_[panel] = NamedLabel(QStringLiteral("Panel%1").arg(panel), StatusBar1);
        panels_[panel]->setMinimumWidth(kPanelWidths[panel]);
        // The address takes what is left, so it can be read whole.
        StatusBar1->addWidget(panels_[panel], panel == 2 ? 1 : 0);
    }
    layout->addWidget(ScrollBox1, 1);
    layout->addWidget(StatusBar1);
    for (QWidget* widget : {static_cast<QWidget*>(ScrollBox1->viewport()),
                            static_cast<QWidget*>(Image1), static_cast<QWidget*>(StatusBar1)})
        widget->installEventFilter(this);
    new WindowMover(this, {ScrollBox1->viewport(), Image1, StatusBar1}, {});
}

TForm5::~TForm5() = default;

void TForm5::OpenInViewer(const QString& path, const QString& sourceAddress) {
    ShowPicture(path, sourceAddress);
    exec();
}

void TForm5::ShowPicture(const QString& path, const QString& sourceAddress) {
    ClearPicture();
    const bool known = LoadInto(path);
    if (!known) {
        for (QLabel* panel : panels_)
            panel->clear();
        return;
    }
    FillPanels(path, sourceAddress);
    SizeViewerToPicture();
}

void TForm5::ClearPicture() {
    sizedWhileHidden_ = false;
    Image1->setMovie(nullptr);
    delete std::exchange(movie_, nullptr);
    Image1->clear();
    pictureSize_ = QSize(0, 0);
    StatusBar1->clearMessage();
}

// False for an extension no decoder is chosen for. A file that cannot be
// decoded shows nothing and says why in the status bar.
bool TForm5::LoadInto(const QString& path) {
    const PictureKind kind = PictureKindOf(path);
    if (kind == PictureKind::None)
        return false;
    if (kind == PictureKind::Gif || IsAnimatedWebp(path, kind)) {
        // A GIF stays a GIF: an animated one plays, as an animated WebP does.
        auto* movie = new QMovie(path, kind == PictureKind::Gif ? "gif" : "webp", this);
        if (movie->isValid() && movie->jumpToFrame(0)) {
            movie_ = movie;
            pictureSize_ = movie->currentImage().size();
            Image1->setMovie(movie_);
            movie_->start();
        } else {
            delete movie;
            StatusBar1->showMessage(tr("画像を読み込めません"));
        }
    } else {
        const LoadedPicture loaded = LoadPicture(path);
        if (loaded.image.isNull()) {
            StatusBar1->showMessage(loaded.error);
        } else {
            pictureSize_ = loaded.image.size();
            Image1->setPixmap(QPixmap::fromImage(loaded.image));
        }
    }
    Image1->resize(pictureSize_);
    return true;
}

void TForm5::FillPanels(const QString& path, const QString& sourceAddress) {
    panels_[0]->setText(
        QStringLiteral("%1 x %2").arg(pictureSize_.width()).arg(pictureSize_.height()));
    panels_[1]->setText(SizeText(FileSizeOf(path)));
    panels_[2]->setText(sourceAddress);
}

QString TForm5::PanelText(int panel) const {
    return panel >= 0 && panel < 3 ? panels_[panel]->text() : QString();
}

// The largest inside a window can have: the available area less the frame.
QSize TForm5::ScreenClient() const {
    const QSize frame = frameGeometry().size() - geometry().size();
    return screenArea_().size() - frame.expandedTo(QSize(0, 0));
}

// The status bar takes its final height only once shown, so a window sized
// while hidden is sized again then.
void TForm5::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (sizedWhileHidden_)
        SizeViewerToPicture();
}

void TForm5::SizeViewerToPicture() {
    sizedWhileHidden_ = !isVisible();
    const int statusHeight = StatusBar1->sizeHint().height();
    const int barExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const ViewerSizing sizing =
        kelvo::SizeViewerToPicture(pictureSize_, statusHeight, ScreenClient(), barExtent);
    ShowBar(ScrollBox1, Qt::Horizontal, sizing.horizontalBar);
    ShowBar(ScrollBox1, Qt::Vertical, sizing.verticalBar);
    setWindowState(windowState() & ~Qt::WindowMaximized);
    resize(sizing.client);
    // Kept where it was, but not beyond the screen's edge.
    const QRect area = screenArea_();
    QRect frame = frameGeometry();
    if (frame.right() > area.right())
        frame.moveRight(area.right());
    if (frame.bottom() > area.bottom())
        frame.moveBottom(area.bottom());
    frame.moveTopLeft(
        QPoint(std::max(frame.left(), area.left()), std::max(frame.top(), area.top())));
    move(frame.topLeft());
    if (sizing.maximise)
        setWindowState(windowState() | Qt::WindowMaximized);
}

// The next opening starts unmaximised, with the window's normal bounds.
void TForm5::done(int result) {
    QDialog::done(result);
    setWindowState(Qt::WindowNoState);
}

void TForm5::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return;
    case Qt::Key_Escape:
        event->accept(); // the viewer closes on Enter or a double-click only
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TForm5::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    accept();
}

// Only a direction whose bar is shown scrolls: 120 pixels a notch.
void TForm5::ScrollBy(int delta, bool sideways) {
    const Qt::ScrollBarPolicy policy =
        sideways ? ScrollBox1->horizontalScrollBarPolicy() : ScrollBox1->verticalScrollBarPolicy();
    if (policy == Qt::ScrollBarAlwaysOff)
        return;
    QScrollBar* bar =
        sideways ? ScrollBox1->horizontalScrollBar() : ScrollBox1->verticalScrollBar();
    bar->setValue(bar->value() - delta);
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        accept();
        return true;
    case QEvent::Wheel:
        if (watched == ScrollBox1->viewport()) {
            const auto* wheel = static_cast<QWheelEvent*>(event);
            ScrollBy(wheel->angleDelta().y(), wheel->buttons() & Qt::LeftButton);
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kelvo
