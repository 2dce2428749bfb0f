#include "viewer/PreviewPair.h"

#include "app/DoubleClick.h"
#include "app/NamedLabel.h"
#include "viewer/PictureLoader.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

namespace kelvo {

PreviewPair::PreviewPair(QLabel* source, QLabel* target)
    : QObject(target), source_(source), target_(target) {
    source_->hide();
    target_->setMinimumSize(target_->minimumSize().expandedTo(QSize(1, 1)));
    target_->installEventFilter(this);
}

bool PreviewPair::Load(const QString& path, QString* error) {
    return LoadAs(path, PictureKindOf(path), error);
}

bool PreviewPair::LoadAs(const QString& path, PictureKind kind, QString* error) {
    LoadedPicture loaded = LoadPictureAs(path, kind, ScreenLimit());
    if (error)
        *error = loaded.error;
    picture_ = std::move(loaded.image);
    if (picture_.isNull()) {
        ClearTarget();
        return false;
    }
    targetCleared_ = false;
    Refit();
    return true;
}

void PreviewPair::ClearTarget() {
    targetCleared_ = true;
    target_->clear();
}

void PreviewPair::Refit() {
    if (targetCleared_)
        return;
    const QImage fitted = RenderFitted(picture_, target_->contentsRect().size());
    if (fitted.isNull())
        target_->clear(); // a collapsed pane shows nothing
    else
        target_->setPixmap(QPixmap::fromImage(fitted));
}

bool PreviewPair::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_ && event->type() == QEvent::Resize)
        Refit();
    return QObject::eventFilter(watched, event);
}

// No preview is ever shown larger than the screen, so nothing larger is decoded.
QSize PreviewPair::ScreenLimit() const {
    QScreen* screen = target_->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize();
}

QLabel* NewPreviewImage(QWidget* pane, std::function<void()> openFullSize) {
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    QLabel* image = NamedLabel(QStringLiteral("Image1"), pane);
    image->setAlignment(Qt::AlignCenter);
    image->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    image->setToolTip(QStringLiteral("ダブルクリックで実サイズ表示"));
    new DoubleClick(image, std::move(openFullSize));
    layout->addWidget(image);
    return image;
}

} // namespace kelvo
