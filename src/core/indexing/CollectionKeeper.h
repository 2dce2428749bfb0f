#pragma once

#include "collection/CaptureCollection.h"
#include "history/IndexSync.h"
#include "indexing/RecentCaptures.h"

#include <QObject>
#include <QThread>

#include <memory>

namespace kelvo {

class CollectionIndex;

// A new capture that looks like an earlier one.
struct SimilarNotice {
    QString savedPath; // the new capture's file
    EarlierCapture earlier;
};

// The window's collection: one thread of its own writes the home's index (the
// one writer), catching up with the logs in the background from the start
// and taking in each capture; the window's thread only reads.
//
// A capture goes first: the catching up stops between two files, the capture
// is taken in and its similar pictures looked for, and the catching up goes
// on where it stopped. Stopped at the close, it goes on at the next start.
class CollectionKeeper : public QObject, public CaptureCollection {
    Q_OBJECT

public:
    CollectionKeeper(QString homeFolder, PictureHasher hasher, QObject* parent = nullptr);
    ~CollectionKeeper() override;

    // Opens the index and starts catching up.
    void Start();
    // Stops the catching up between two files and waits for the thread.
    void Stop();

    // Looked up on the calling thread through a connection of its own.
    std::optional<EarlierCapture> SameContent(const std::string& contentHash) override;
    // Taken in on the keeper's thread; SimilarFound may follow.
    void Add(const NewCapture& capture) override;

signals:
    // How much of the history is indexed, 0 to 100, while it is caught up with.
    void Progress(int percent);
    // A capture looks like an earlier one (not the same bytes: that was asked).
    void SimilarFound(const kelvo::SimilarNotice& notice);
    // The index could not be opened or written; captures go on without it.
    void Failed(const QString& text);

private:
    class Writer;

    QString home_;
    QThread thread_;
    Writer* writer_ = nullptr; // lives on thread_
    std::unique_ptr<CollectionIndex> reader_;
    RecentCaptures captured_;
};

} // namespace kelvo

Q_DECLARE_METATYPE(kelvo::SimilarNotice)
