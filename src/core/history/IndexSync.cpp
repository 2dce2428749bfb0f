#include "history/IndexSync.h"

#include "collection/CollectionIndex.h"
#include "collection/FileFingerprint.h"
#include "files/FileCopy.h"
#include "history/HistorySearch.h"
#include "logs/CaptureLog.h"
#include "logs/DayLog.h"
#include "text/PathText.h"

#include <QElapsedTimer>
#include <QSet>

#include <sys/stat.h>

namespace kelvo {
namespace {

// Written in short transactions, with no file read while one is open, so a
// capture's own write never waits long behind ours. Each commit rewrites the
// pages it touched: fewer of them keep a first indexing's disk writes down.
constexpr qint64 kBatchMs = 100;
// Bounds a transaction's length when rows come faster than that.
constexpr int kBatchRows = 256;

QString Decoded(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// Nothing when there is no log, or no file by its name. Nanoseconds: two
// edits within a second tell.
std::optional<DayStamp> LogStampOf(const QString& logPath) {
    struct stat st {};
    if (::stat(LocalPath(logPath).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return DayStamp{qint64(st.st_size),
                    qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec, false};
}

// The row's texts, its file not yet looked at.
IndexedCapture LoggedCapture(const QString& day, const DayLog& log, int row) {
    IndexedCapture capture;
    capture.day = day;
    capture.row = row;
    const QString name = Decoded(log.Cell(row, FileNameColumn));
    const QString folder = Decoded(log.Cell(row, FolderColumn));
    // A hand-edited folder may lack its separator; a row without a name has no file.
    capture.path = name.isEmpty() ? folder : WithTrailingSeparator(folder) + name;
    capture.captureTime = Decoded(log.Cell(row, CaptureTimeColumn));
    capture.identifier = Decoded(log.Cell(row, IdentifierColumn));
    capture.sourceAddress = Decoded(log.Cell(row, AddressColumn));
    return capture;
}

// What was learnt of a file, taken over by a row of the same path.
void TakeHashes(IndexedCapture& capture, const IndexedCapture& from) {
    capture.stamp = from.stamp;
    capture.sha256 = from.sha256;
    capture.pictureHash = from.pictureHash;
    capture.pictureTried = from.pictureTried;
    capture.realPath = from.realPath;
}

} // namespace

// Captures waiting to be written, written in one short transaction once
// there are enough of them or enough time went by.
class IndexSync::Batch {
public:
    explicit Batch(CollectionIndex& index) : index_(index) { sinceWrite_.start(); }

    void Add(IndexedCapture capture) { pending_.push_back(std::move(capture)); }
    bool WriteIfDue() {
        const bool due = int(pending_.size()) >= kBatchRows || sinceWrite_.hasExpired(kBatchMs);
        return !due || Write();
    }
    bool Write() {
        const bool written = pending_.empty() || index_.PutCaptures(pending_);
        pending_.clear();
        sinceWrite_.restart();
        return written;
    }

private:
    CollectionIndex& index_;
    std::vector<IndexedCapture> pending_;
    QElapsedTimer sinceWrite_;
};

IndexSync::IndexSync(CollectionIndex& index, QString homeFolder, PictureHasher pictureHasher)
    : index_(index), home_(std::move(homeFolder)), pictureHasher_(std::move(pictureHasher)) {}

bool IndexSync::Cancelled() const {
    return cancelled_ && cancelled_->load();
}

void IndexSync::Report() {
    if (progress_)
        progress_(at_);
}

SyncReport IndexSync::SyncAll() {
    SyncReport report;
    realPaths_ = {};
    const QStringList logged = LoggedDays(home_);
    if (!RemoveDaysNoLongerLogged(logged, report))
        return report;
    QStringList due;
    for (const QString& day : logged) {
        const std::optional<DayStamp> indexed = index_.StampOfDay(day);
        if (!index_.Error().isEmpty()) {
            report.error = index_.Error();
            return report;
        }
        const std::optional<DayStamp> log = LogStampOf(DayLogPath(home_, day));
        if (!indexed || !indexed->finished || !log || !indexed->SameLog(*log))
            due << day;
    }
    at_ = {0, int(due.size()), 0, 0};
    Report();
    for (const QString& day : due) {
        if (Cancelled()) {
            report.cancelled = true;
            break;
        }
        if (!SyncOneDay(day, {}, report))
            break;
        ++at_.daysDone;
        at_.rowsDone = at_.rows = 0;
        Report();
    }
    return report;
}

SyncReport IndexSync::SyncDay(const QString& day, const KnownDigests& known) {
    SyncReport report;
    realPaths_ = {};
    at_ = {0, 1, 0, 0};
    if (SyncOneDay(day, known, report)) {
        at_ = {1, 1, 0, 0};
        Report();
    }
    return report;
}

bool IndexSync::RemoveDaysNoLongerLogged(const QStringList& logged, SyncReport& report) {
    const QStringList indexed = index_.IndexedDays();
    if (!index_.Error().isEmpty()) {
        report.error = index_.Error();
        return false;
    }
    const QSet<QString> stillLogged(logged.begin(), logged.end());
    for (const QString& day : indexed) {
        if (!stillLogged.contains(day) && !index_.RemoveDay(day)) {
            report.error = index_.Error();
            return false;
        }
    }
    return true;
}

// False when the sync stops here: cancelled, or the index could not be
// written (the report says which).
bool IndexSync::SyncOneDay(const QString& day, const KnownDigests& known, SyncReport& report) {
    const QString logPath = DayLogPath(home_, day);
    // Stamped before the read: a row appended meanwhile makes the day due again.
    const std::optional<DayStamp> logStamp = LogStampOf(logPath);
    if (!logStamp && !NameTaken(LocalPath(logPath))) {
        if (!index_.RemoveDay(day))
            report.error = index_.Error();
        return report.Ok();
    }
    const DayLog log = DayLog::Read(logPath);
    if (!logStamp || log.Unreadable()) {
        report.unreadableLogs << logPath;
        return true;
    }
    const std::optional<std::vector<IndexedCapture>> indexed = index_.CapturesOfDay(day);
    if (!indexed || !index_.StartDay(day, *logStamp, log.RowCount())) {
        report.error = index_.Error();
        return false;
    }
    // By path, so that rows moved by an edit above them keep their hashes.
    QHash<QString, const IndexedCapture*> hashedAt;
    for (const IndexedCapture& capture : *indexed) {
        if (capture.Hashed())
            hashedAt.insert(capture.path, &capture);
    }

    Batch batch(index_);
    bool written = true;
    bool picturesDue = false;
    at_.rows = log.RowCount();
    for (int row = 0; row < log.RowCount(); ++row) {
        IndexedCapture capture = LoggedCapture(day, log, row);
        const std::optional<FileStamp> now = RegularFileStamp(capture.path);
        const IndexedCapture* before = hashedAt.value(capture.path);
        // A file gone keeps what was learnt of it: a lookup still finds it, as gone.
        const bool kept = before && (!now || before->stamp == now);
        const bool pictureDue = kept && now && !before->pictureTried && pictureHasher_;
        if ((pictureDue || (!kept && now)) && Cancelled()) {
            report.cancelled = true;
            break;
        }
        if (kept) {
            TakeHashes(capture, *before);
            if (pictureDue)
                capture = WithPictureHash(std::move(capture));
        } else if (now) {
            capture = Hashed(std::move(capture), *now, known, report);
        }
        picturesDue = picturesDue || (now && capture.Hashed() && !capture.pictureTried);
        const bool unchanged = size_t(row) < indexed->size() && (*indexed)[size_t(row)] == capture;
        if (!unchanged)
            batch.Add(std::move(capture));
        at_.rowsDone = row + 1;
        Report();
        if (!(written = batch.WriteIfDue()))
            break;
    }
    if (!written || !batch.Write()) {
        report.error = index_.Error();
        return false;
    }
    if (report.cancelled)
        return false;
    // Left unfinished for the next sync with a decoder to make them.
    if (picturesDue)
        return true;
    if (!index_.FinishDay(day)) {
        report.error = index_.Error();
        return false;
    }
    return true;
}

// The file read once for its SHA-256, unless known, then decoded for its
// picture hash. A file that cannot be read is left without hashes.
IndexedCapture IndexSync::Hashed(IndexedCapture capture, const FileStamp& stamp,
                                 const KnownDigests& known, SyncReport& report) {
    const auto knownSha256 = known.constFind(capture.path);
    const std::optional<QByteArray> sha256 =
        knownSha256 != known.cend() ? *knownSha256 : FileSha256(capture.path);
    if (!sha256)
        return capture;
    ++report.filesHashed;
    capture.stamp = stamp;
    capture.sha256 = *sha256;
    capture.realPath = realPaths_.Of(capture.path);
    return WithPictureHash(std::move(capture));
}

IndexedCapture IndexSync::WithPictureHash(IndexedCapture capture) {
    if (pictureHasher_) {
        capture.pictureHash = pictureHasher_(capture.path);
        capture.pictureTried = true;
    }
    return capture;
}

} // namespace kelvo
