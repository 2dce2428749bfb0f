#pragma once

#include "collection/FileFingerprint.h"
#include "collection/SimilarPictures.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace kelvo {

// One capture as the index keeps it: the log's row, and what was learnt of its
// file when it was hashed.
struct IndexedCapture {
    QString day;           // the log's day text, 20060530
    int row = 0;           // in the day's log, from 0
    QString path;          // folder + file name, as logged
    QString captureTime;   // 2006/05/30 14:03:07
    QString identifier;    // 識別名
    QString sourceAddress; // 取得元アドレス
    // The rest is empty when the file could not be read at hashing.
    std::optional<FileStamp> stamp;
    QByteArray sha256; // 32 bytes
    std::optional<PictureHash> pictureHash;
    // Whether the picture was decoded for its hash: a capture made without
    // a decoder (the command line, the browser's host) has its hash made by
    // the next sync that has one.
    bool pictureTried = false;
    QString realPath; // canonical, links resolved

    bool Hashed() const { return stamp.has_value(); }
    bool operator==(const IndexedCapture&) const = default;
};

// What the file at a capture's path is now, against what was hashed.
enum class FileState {
    Present, // as hashed: same size and modification time
    Gone,    // no regular file there
    Changed, // a file there, but not the one hashed (or none was hashed)
};

struct FoundCapture {
    IndexedCapture capture;
    FileState state = FileState::Gone;
};

struct SimilarCapture : FoundCapture {
    int distance = 0; // bits between its picture hash and the one asked for
};

// Per day, the log as it was when the day was indexed.
struct DayStamp {
    qint64 logSize = 0;
    qint64 logModifiedNs = 0;
    bool finished = false; // every row of that log is in the index

    bool SameLog(const DayStamp& other) const {
        return logSize == other.logSize && logModifiedNs == other.logModifiedNs;
    }
};

// The home's collection.sqlite: what is derived from the logs and the saved
// files (content and perceptual hashes, real paths), so that a picture saved
// again, or one like it, is recognised. The logs stay the truth: the index is
// rebuilt from them (see IndexSync) and may be deleted at any time.
//
// SQLite in WAL mode: one object that writes, any number that only read, in
// this process or others. An object is used by one thread at a time. Every
// write is its own short transaction; a writer of another connection waits
// for it (up to a few seconds) rather than failing. A failed call returns
// false or nothing, and Error() says why.
class CollectionIndex {
public:
    enum class Access { ReadWrite, ReadOnly };
    // Whether a writer first reads the whole file through SQLite's quick
    // check (some 60 ms for 200,000 captures): once a run in the window, not
    // at every command's capture, where damage met is still reported.
    enum class Check { Whole, Skip };

    // home + "collection.sqlite"
    static QString FilePath(const QString& homeFolder);

    // Opens the home's index. ReadWrite makes it anew (the file with its -wal
    // and -shm removed) when it is missing, is no SQLite database, fails
    // SQLite's quick check or has an unknown schema version; a busy or
    // unwritable one is not touched. ReadOnly opens only an index that is
    // there and of this schema version, and never writes. Nothing when it
    // cannot be opened, with the reason in error.
    static std::unique_ptr<CollectionIndex> Open(const QString& homeFolder, Access access,
                                                 QString* error = nullptr,
                                                 Check check = Check::Whole);
    ~CollectionIndex();
    CollectionIndex(const CollectionIndex&) = delete;
    CollectionIndex& operator=(const CollectionIndex&) = delete;

    // Whether opening made the index anew: everything is to be hashed again.
    bool Remade() const { return remade_; }
    QString Error() const { return error_; }

    // Every capture of that content, oldest first, with its file's state now.
    std::vector<FoundCapture> WithContent(const QByteArray& sha256);
    // Every capture whose picture hash is within kSimilarDistance of hash,
    // nearest first (the newer first among equals). The hashes are held in
    // memory; a change made since, here or by another connection, is read
    // in first.
    std::vector<SimilarCapture> SimilarTo(PictureHash hash);
    // The captures logged at that path, oldest first.
    std::vector<FoundCapture> AtPath(const QString& path);
    // The captures whose file was, when hashed, the file at that canonical
    // path, however it was reached.
    std::vector<FoundCapture> AtRealPath(const QString& realPath);

    // The writes and reads of IndexSync.

    std::optional<DayStamp> StampOfDay(const QString& day);
    QStringList IndexedDays();
    // The day's captures, in row order.
    std::optional<std::vector<IndexedCapture>> CapturesOfDay(const QString& day);
    // Records the day's log as being indexed (unfinished) and drops its rows
    // from rowCount on.
    bool StartDay(const QString& day, const DayStamp& stamp, int rowCount);
    // Each capture replaces the one of its day and row; in one transaction.
    bool PutCaptures(const std::vector<IndexedCapture>& captures);
    bool FinishDay(const QString& day);
    // The day and its captures.
    bool RemoveDay(const QString& day);

private:
    struct Connection;

    CollectionIndex(std::unique_ptr<Connection> connection, bool remade);

    std::vector<FoundCapture> Found(std::vector<IndexedCapture> captures);
    bool RefreshPictureHashes();
    bool LoadPictureHashesAfter(qint64 id);
    bool Failed(const QString& what);

    std::unique_ptr<Connection> db_;
    bool remade_ = false;
    QString error_;
    // The picture hashes in memory, by capture id; ids are never reused, so
    // a slot whose capture is gone is found out and dropped when it matches.
    std::vector<PictureHash> pictureHashes_;
    std::vector<qint64> pictureIds_;
    qint64 lastLoadedId_ = 0;
    std::optional<qint64> dataVersion_;
    bool wroteSinceRefresh_ = false;
};

} // namespace kelvo
