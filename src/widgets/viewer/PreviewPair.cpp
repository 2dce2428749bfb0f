#include "viewer/PreviewPair.h"

#include "common/DoubleClick.h"
#include "common/NamedLabel.h"

#include <QEvent>
#include <QPixmap>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <QtMath>

namespace kelvo {

PreviewPair::PreviewPair(QLabel* source, QLabel* target)
    : QObject(target), source_(source), target_(target) {
    source_->hide();
    target_->setMinimumSize(target_->minimumSize().expandedTo(QSize(1, 1)));
    target_->installEventFilter(this);
    connect(&watcher_, &QFutureWatcherBase::finished, this, &PreviewPair::Finished);
}

// The worker must not outlive the pair it reports to.
PreviewPair::~PreviewPair() {
    watcher_.disconnect();
    watcher_.waitForFinished();
}

void PreviewPair::Load(const QString& path, PreviewDone done) {
    LoadAs(path, PictureKindOf(path), std::move(done));
}

void PreviewPair::LoadAs(const QString& path, PictureKind kind, PreviewDone done) {
    ClearTarget();
    if (kind == PictureKind::None) {
        if (done)
            done(false, QString());
        return;
    }
    Enqueue({path, kind, ShownSize(), 0, std::move(done)});
}

void PreviewPair::ClearTarget() {
    ++newest_; // whatever is being decoded is stale now
    waiting_.reset();
    picture_ = QImage();
    path_.clear();
    targetCleared_ = true;
    target_->clear();
}

void PreviewPair::Enqueue(Request request) {
    request.ticket = ++newest_;
    waiting_ = std::move(request); // a request still waiting is stale
    StartNext();
}

void PreviewPair::StartNext() {
    if (running_ || !waiting_)
        return;
    running_ = std::move(waiting_);
    waiting_.reset();
    watcher_.setFuture(
        QtConcurrent::run(LoadPictureAs, running_->path, running_->kind, running_->maxSize));
}

void PreviewPair::Finished() {
    Request done = std::move(*running_);
    running_.reset();
    LoadedPicture loaded = watcher_.result();
    if (done.ticket == newest_)
        Show(done, loaded);
    StartNext();
}

void PreviewPair::Show(Request& request, LoadedPicture& loaded) {
    if (loaded.image.isNull()) {
        ClearTarget();
    } else {
        picture_ = std::move(loaded.image);
        fullSize_ = loaded.fullSize;
        path_ = request.path;
        kind_ = request.kind;
        decodedFor_ = request.maxSize;
        targetCleared_ = false;
        Refit();
    }
    if (request.done)
        request.done(!picture_.isNull(), loaded.error);
}

void PreviewPair::Refit() {
    if (targetCleared_)
        return;
    if (Outgrown() && !waiting_) {
        // Shown as it is meanwhile; the sharper picture replaces it. A load
        // still waiting to be told hands its report on.
        PreviewDone done = running_ ? std::exchange(running_->done, {}) : PreviewDone();
        Enqueue({path_, kind_, ShownSize(), 0, std::move(done)});
    }
    const QImage fitted = RenderFitted(picture_, target_->contentsRect().size(), fullSize_);
    if (fitted.isNull())
        target_->clear(); // a collapsed pane shows nothing
    else
        target_->setPixmap(QPixmap::fromImage(fitted));
}

// The kept picture is a reduction, decoded for a smaller target than now.
bool PreviewPair::Outgrown() const {
    if (picture_.isNull() || picture_.size() == fullSize_)
        return false;
    const QSize shown = ShownSize();
    return shown.width() > decodedFor_.width() || shown.height() > decodedFor_.height();
}

// In device pixels, and never empty: an empty size would mean the full size.
QSize PreviewPair::ShownSize() const {
    const QSize logical = target_->contentsRect().size();
    const qreal ratio = target_->devicePixelRatioF();
    return QSize(qCeil(logical.width() * ratio), qCeil(logical.height() * ratio))
        .expandedTo(QSize(1, 1));
}

bool PreviewPair::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_ && event->type() == QEvent::Resize)
        Refit();
    return QObject::eventFilter(watched, event);
}

QLabel* NewPreviewImage(QWidget* pane, std::function<void()> openFullSize) {
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    QLabel* image = NamedLabel(QStringLiteral("Image1"), pane);
    image->setAlignment(Qt::AlignCenter);
    image->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    image->setToolTip(PreviewPair::tr("ダブルクリックで実サイズ表示"));
    new DoubleClick(image, std::move(openFullSize));
    layout->addWidget(image);
    return image;
}

} // namespace kelvo
