#pragma once

#include "collection/FileFingerprint.h"
#include "collection/SimilarPictures.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace kelvo {

class CollectionIndex;
struct DayStamp;
struct IndexedCapture;

// The perceptual hash of the picture at path; nothing when it cannot be
// decoded.
using PictureHasher = std::function<std::optional<PictureHash>(const QString& path)>;

// SHA-256s already known, by the path as logged: a file just copied was
// hashed on its way.
using KnownDigests = QHash<QString, QByteArray>;

// How far a sync has come: the days whose logs it reads, and the rows of the
// day at hand.
struct SyncProgress {
    int daysDone = 0;
    int days = 0;
    int rowsDone = 0;
    int rows = 0;

    // From 0 to 1.
    double Fraction() const {
        if (days == 0)
            return 1.0;
        const double inDay = rows > 0 ? double(rowsDone) / rows : 0.0;
        return (daysDone + inDay) / days;
    }
};

struct SyncReport {
    bool cancelled = false;
    QString error;              // the index could not be written; the sync stopped
    int filesHashed = 0;        // files read, whole or for their picture
    QStringList unreadableLogs; // logs there but unreadable: their days are left as indexed
    bool Ok() const { return error.isEmpty(); }
};

// Brings a CollectionIndex in line with the home's logs and the files they
// name, a day at a time. A day is read again when its log's size or
// modification time differs from the indexed one, or its last sync did not
// finish; its rows whose path, file size and modification time are as
// indexed keep their hashes, and only the others' files are read. Days no
// longer logged, and rows past a log's end, are dropped.
//
// Cancelled between files, a sync keeps what it hashed and the next one goes
// on from there. Results are written every ~100 ms (or few hundred rows), in
// short transactions, with no file read while one is open. Runs on the
// caller's thread; the hasher is called there too.
class IndexSync {
public:
    IndexSync(CollectionIndex& index, QString homeFolder, PictureHasher pictureHasher);

    // Checked between files; nullptr: never cancelled.
    void SetCancel(const std::atomic<bool>* cancelled) { cancelled_ = cancelled; }
    // Called after each row of a day read again, and after each day.
    void SetProgress(std::function<void(const SyncProgress&)> progress) {
        progress_ = std::move(progress);
    }

    // Every logged day whose log differs from the indexed one, newest first.
    SyncReport SyncAll();
    // The day's log read again, whatever is recorded of it: after a capture
    // was logged (its known SHA-256 spares a read of the file for it), or when
    // a lookup found a file changed. A day with no log is dropped.
    SyncReport SyncDay(const QString& day, const KnownDigests& known = {});

private:
    class Batch;

    bool SyncOneDay(const QString& day, const KnownDigests& known, SyncReport& report);
    IndexedCapture Hashed(IndexedCapture capture, const FileStamp& stamp, const KnownDigests& known,
                          SyncReport& report);
    IndexedCapture WithPictureHash(IndexedCapture capture);
    bool RemoveDaysNoLongerLogged(const QStringList& logged, SyncReport& report);
    bool Cancelled() const;
    void Report();

    CollectionIndex& index_;
    QString home_;
    PictureHasher pictureHasher_;
    const std::atomic<bool>* cancelled_ = nullptr;
    std::function<void(const SyncProgress&)> progress_;
    SyncProgress at_;
    RealPaths realPaths_; // for one sync
};

} // namespace kelvo
