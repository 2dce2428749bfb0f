#include "indexing/CollectionKeeper.h"

#include "collection/CollectionIndex.h"
#include "collection/PictureLookup.h"
#include "indexing/IndexedCollection.h"
#include "logs/DayTexts.h"

#include <mutex>

namespace kelvo {

// Everything that writes the index, on the keeper's thread.
class CollectionKeeper::Writer : public QObject {
public:
    Writer(CollectionKeeper& keeper, QString home, PictureHasher hasher)
        : keeper_(keeper), home_(std::move(home)), hasher_(std::move(hasher)) {}

    void Open() {
        QString error;
        index_ = CollectionIndex::Open(home_, CollectionIndex::Access::ReadWrite, &error);
        if (!index_) {
            emit keeper_.Failed(error);
            return;
        }
        sync_ = std::make_unique<IndexSync>(*index_, home_, hasher_);
        sync_->SetCancel(&interrupt_);
        sync_->SetProgress([this](const SyncProgress& progress) { Tell(progress); });
        CatchUp();
    }

    // Stops the catching up at the next file, for a capture coming.
    void CaptureComing() {
        const std::lock_guard lock(mutex_);
        ++pendingCaptures_;
        interrupt_ = true;
    }
    void StopForGood() {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        interrupt_ = true;
    }

    void CatchUp() {
        if (!sync_ || caughtUp_ || stopped_)
            return;
        const SyncReport report = sync_->SyncAll();
        if (!report.Ok()) {
            emit keeper_.Failed(report.error);
            return;
        }
        if (report.cancelled) {
            // After the captures that interrupted it, which are queued first.
            QMetaObject::invokeMethod(
                this, [this] { CatchUp(); }, Qt::QueuedConnection);
            return;
        }
        caughtUp_ = true;
        emit keeper_.Progress(100);
    }

    void TakeIn(const NewCapture& capture) {
        if (sync_ && !stopped_) {
            const QByteArray digest = QByteArray::fromStdString(capture.contentHash);
            // Only the keeper's stop cuts a capture's own sync short.
            sync_->SetCancel(&stopped_);
            const SyncReport report =
                sync_->SyncDay(DayText(capture.captureTime), {{capture.savedPath, digest}});
            sync_->SetCancel(&interrupt_);
            if (report.Ok())
                LookForSimilar(capture.savedPath);
            else
                emit keeper_.Failed(report.error);
        }
        const std::lock_guard lock(mutex_);
        if (--pendingCaptures_ == 0 && !stopped_)
            interrupt_ = false;
    }

    void Close() {
        sync_.reset();
        index_.reset();
    }

private:
    void Tell(const SyncProgress& progress) {
        const int percent = std::min(99, int(progress.Fraction() * 100));
        if (percent != lastPercent_ && !caughtUp_) {
            lastPercent_ = percent;
            emit keeper_.Progress(percent);
        }
    }

    // The nearest earlier capture of other bytes whose file is still there.
    void LookForSimilar(const QString& savedPath) {
        for (const PictureMatch& match : SameAndSimilarToCapture(*index_, savedPath)) {
            const IndexedCapture& earlier = match.found.capture;
            if (!match.sameContent && match.found.state == FileState::Present &&
                earlier.path != savedPath) {
                emit keeper_.SimilarFound({savedPath, EarlierOf(earlier)});
                return;
            }
        }
    }

    CollectionKeeper& keeper_;
    QString home_;
    PictureHasher hasher_;
    std::unique_ptr<CollectionIndex> index_;
    std::unique_ptr<IndexSync> sync_;
    std::atomic<bool> interrupt_ = false; // the catching up yields
    std::atomic<bool> stopped_ = false;   // everything stops
    std::mutex mutex_;
    int pendingCaptures_ = 0;
    bool caughtUp_ = false;
    int lastPercent_ = -1;
};

CollectionKeeper::CollectionKeeper(QString homeFolder, PictureHasher hasher, QObject* parent)
    : QObject(parent), home_(std::move(homeFolder)) {
    qRegisterMetaType<SimilarNotice>();
    writer_ = new Writer(*this, home_, std::move(hasher));
    writer_->moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("collection"));
}

CollectionKeeper::~CollectionKeeper() {
    Stop();
    delete writer_;
}

void CollectionKeeper::Start() {
    if (thread_.isRunning())
        return;
    thread_.start(QThread::LowPriority);
    QMetaObject::invokeMethod(
        writer_, [writer = writer_] { writer->Open(); }, Qt::QueuedConnection);
}

void CollectionKeeper::Stop() {
    if (!thread_.isRunning())
        return;
    writer_->StopForGood();
    QMetaObject::invokeMethod(
        writer_, [writer = writer_] { writer->Close(); }, Qt::QueuedConnection);
    thread_.quit();
    thread_.wait();
}

std::optional<EarlierCapture> CollectionKeeper::SameContent(const std::string& contentHash) {
    if (!reader_)
        reader_ = CollectionIndex::Open(home_, CollectionIndex::Access::ReadOnly);
    return captured_.SameContent(contentHash, reader_.get());
}

void CollectionKeeper::Add(const NewCapture& capture) {
    captured_.Remember(capture);
    if (!thread_.isRunning())
        return;
    writer_->CaptureComing();
    QMetaObject::invokeMethod(
        writer_, [writer = writer_, capture] { writer->TakeIn(capture); }, Qt::QueuedConnection);
}

} // namespace kelvo
