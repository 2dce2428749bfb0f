#include "collection/CollectionIndex.h"

#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <array>

namespace kelvo {
namespace {

// Raised when the tables change shape; an index of another version is made anew.
constexpr int kSchemaVersion = 3;
// A capture's write may meet the sync's short transaction: it waits, and so
// does the sync for it.
constexpr int kBusyWaitMs = 5000;

// The real path is kept only where it differs from the logged one: most files
// are reached without links, and the text would be stored twice.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS days (
    day TEXT PRIMARY KEY NOT NULL,
    log_size INTEGER NOT NULL,
    log_modified_ns INTEGER NOT NULL,
    finished INTEGER NOT NULL
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS captures (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    day TEXT NOT NULL,
    row INTEGER NOT NULL,
    path TEXT NOT NULL,
    capture_time TEXT NOT NULL,
    identifier TEXT NOT NULL,
    address TEXT NOT NULL,
    file_size INTEGER,
    file_modified INTEGER,
    sha256 BLOB,
    picture_hash INTEGER,
    real_path TEXT,
    picture_tried INTEGER NOT NULL DEFAULT 0,
    picture_centre INTEGER,
    UNIQUE (day, row)
);
CREATE INDEX IF NOT EXISTS captures_by_sha256 ON captures (sha256);
CREATE INDEX IF NOT EXISTS captures_by_path ON captures (path);
CREATE INDEX IF NOT EXISTS captures_by_real_path ON captures (real_path);
)";

#define KELVO_CAPTURE_COLUMNS                                                                      \
    "id, day, row, path, capture_time, identifier, address, file_size, file_modified, sha256, "    \
    "picture_hash, real_path, picture_tried, picture_centre"

// Every statement, each prepared at its first use and kept.
enum Sql {
    kBegin,
    kCommit,
    kRollback,
    kDataVersion,
    kDayStamp,
    kDays,
    kPutDay,
    kFinishDay,
    kDeleteDay,
    kDeleteDayCaptures,
    kDeleteRowsFrom,
    kDayCaptures,
    kPutCapture,
    kBySha256,
    kByPath,
    kByRealPath,
    kById,
    kPictureHashesAfter,
    kSqlCount
};

constexpr std::array<const char*, kSqlCount> kSqlTexts = {
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "PRAGMA data_version",
    "SELECT log_size, log_modified_ns, finished FROM days WHERE day = ?1",
    "SELECT day FROM days ORDER BY day DESC",
    "INSERT INTO days (day, log_size, log_modified_ns, finished) VALUES (?1, ?2, ?3, 0) "
    "ON CONFLICT (day) DO UPDATE SET log_size = excluded.log_size, "
    "log_modified_ns = excluded.log_modified_ns, finished = 0",
    "UPDATE days SET finished = 1 WHERE day = ?1",
    "DELETE FROM days WHERE day = ?1",
    "DELETE FROM captures WHERE day = ?1",
    "DELETE FROM captures WHERE day = ?1 AND row >= ?2",
    "SELECT " KELVO_CAPTURE_COLUMNS " FROM captures WHERE day = ?1 ORDER BY row",
    // A replaced row gets a new id, so an id always names the same content.
    "INSERT OR REPLACE INTO captures (day, row, path, capture_time, identifier, address, "
    "file_size, file_modified, sha256, picture_hash, real_path, picture_tried, picture_centre) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)",
    "SELECT " KELVO_CAPTURE_COLUMNS " FROM captures WHERE sha256 = ?1 ORDER BY day, row",
    "SELECT " KELVO_CAPTURE_COLUMNS " FROM captures WHERE path = ?1 ORDER BY day, row",
    "SELECT " KELVO_CAPTURE_COLUMNS " FROM captures WHERE real_path = ?1 "
    "UNION ALL SELECT " KELVO_CAPTURE_COLUMNS " FROM captures "
    "WHERE path = ?1 AND real_path IS NULL AND file_size IS NOT NULL ORDER BY day, row",
    "SELECT " KELVO_CAPTURE_COLUMNS " FROM captures WHERE id = ?1",
    "SELECT id, picture_hash, picture_centre FROM captures WHERE id > ?1",
};

#undef KELVO_CAPTURE_COLUMNS

enum CaptureColumn {
    kIdColumn,
    kDayColumn,
    kRowColumn,
    kPathColumn,
    kTimeColumn,
    kIdentifierColumn,
    kAddressColumn,
    kSizeColumn,
    kModifiedColumn,
    kSha256Column,
    kPictureHashColumn,
    kRealPathColumn,
    kPictureTriedColumn,
    kPictureCentreColumn,
};

// A statement's one run: its parameters bound, stepped, then reset for the
// next run whatever happened.
class Run {
public:
    explicit Run(sqlite3_stmt* statement) : statement_(statement) {}
    // A statement that could not be prepared is null: its every step fails.
    ~Run() {
        if (!statement_)
            return;
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    Run& Text(int at, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(statement_, at, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Run& Blob(int at, const QByteArray& bytes) {
        if (bytes.isEmpty())
            return Null(at);
        sqlite3_bind_blob(statement_, at, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Run& Int(int at, qint64 value) {
        sqlite3_bind_int64(statement_, at, value);
        return *this;
    }
    Run& Null(int at) {
        sqlite3_bind_null(statement_, at);
        return *this;
    }

    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() { return sqlite3_step(statement_); }
    // Whether it ran to its end without an error.
    bool Done() { return Step() == SQLITE_DONE; }

    bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
    qint64 IntAt(int column) const { return sqlite3_column_int64(statement_, column); }
    QString TextAt(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(statement_, column));
    }
    QByteArray BlobAt(int column) const {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return QByteArray(bytes, sqlite3_column_bytes(statement_, column));
    }

    IndexedCapture Capture() const {
        IndexedCapture capture;
        capture.day = TextAt(kDayColumn);
        capture.row = int(IntAt(kRowColumn));
        capture.path = TextAt(kPathColumn);
        capture.captureTime = TextAt(kTimeColumn);
        capture.identifier = TextAt(kIdentifierColumn);
        capture.sourceAddress = TextAt(kAddressColumn);
        if (IsNull(kSizeColumn))
            return capture;
        capture.stamp = FileStamp{IntAt(kSizeColumn), IntAt(kModifiedColumn)};
        capture.sha256 = BlobAt(kSha256Column);
        if (!IsNull(kPictureHashColumn))
            capture.pictureHash = PictureHash{std::uint64_t(IntAt(kPictureHashColumn)),
                                              std::uint64_t(IntAt(kPictureCentreColumn))};
        capture.realPath = IsNull(kRealPathColumn) ? capture.path : TextAt(kRealPathColumn);
        capture.pictureTried = IntAt(kPictureTriedColumn) != 0;
        return capture;
    }

private:
    sqlite3_stmt* statement_;
};

// The one value of a statement run once, such as a pragma's; nothing on an error.
std::optional<QString> QueryText(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return std::nullopt;
    std::optional<QString> value;
    if (sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return value;
}

bool IsDamage(int code) {
    code &= 0xFF;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

bool RemoveIndexFiles(const QString& file) {
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(file + QLatin1String(suffix));
    return !QFile::exists(file) || QFile::remove(file);
}

} // namespace

// An open database and its statements.
struct CollectionIndex::Connection {
    ~Connection() {
        for (sqlite3_stmt* statement : statements)
            sqlite3_finalize(statement);
        sqlite3_close(db);
    }

    // What opening gave: a connection, or why there is none.
    struct Opened {
        std::unique_ptr<Connection> connection;
        bool fresh = false;   // made here: there was no index
        bool damaged = false; // worth removing and making anew
        QString error;
    };

    static Opened Open(const QString& file, Access access, Check check);

    Opened Failure(const QString& what, bool damaged) {
        return {nullptr, false, damaged,
                what + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db))};
    }
    Opened Damaged(const QString& what) { return {nullptr, false, true, what}; }
    bool Execute(const char* sql) {
        return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    bool MakeTables() {
        const QByteArray version = "PRAGMA user_version = " + QByteArray::number(kSchemaVersion);
        if (!Execute("BEGIN IMMEDIATE"))
            return false;
        if (Execute(kSchema) && Execute(version.constData()) && Execute("COMMIT"))
            return true;
        Execute("ROLLBACK");
        return false;
    }
    // SQLITE_OK when the statements that name every table and column
    // compile; else the failure's code. The others wait for their first use:
    // compiling all of them costs a one-capture command more than its capture.
    int Prepare() {
        for (const Sql sql : {kDayCaptures, kPutDay}) {
            if (const int code = PrepareOne(sql); code != SQLITE_OK)
                return code;
        }
        return SQLITE_OK;
    }

    sqlite3_stmt* Statement(Sql sql) {
        if (!statements[sql])
            PrepareOne(sql);
        return statements[sql];
    }
    Run Use(Sql sql) { return Run(Statement(sql)); }

    int PrepareOne(Sql sql) {
        return sqlite3_prepare_v3(db, kSqlTexts[sql], -1, SQLITE_PREPARE_PERSISTENT,
                                  &statements[sql], nullptr);
    }

    sqlite3* db = nullptr;
    std::array<sqlite3_stmt*, kSqlCount> statements{};
};

CollectionIndex::Connection::Opened CollectionIndex::Connection::Open(const QString& file,
                                                                      Access access, Check check) {
    Opened opened;
    auto connection = std::make_unique<Connection>();
    const int flags = access == Access::ReadOnly ? SQLITE_OPEN_READONLY
                                                 : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int code =
        sqlite3_open_v2(QFile::encodeName(file).constData(), &connection->db, flags, nullptr);
    if (code != SQLITE_OK)
        return connection->Failure(QStringLiteral("cannot open ") + file, IsDamage(code));
    sqlite3_extended_result_codes(connection->db, 1);
    sqlite3_busy_timeout(connection->db, kBusyWaitMs);

    // A query that cannot run tells damage only by its code: a busy or
    // unreadable index is left alone.
    const auto failed = [&](const QString& what) {
        return connection->Failure(what, IsDamage(sqlite3_errcode(connection->db)));
    };
    const std::optional<QString> version = QueryText(connection->db, "PRAGMA user_version");
    if (!version)
        return failed(QStringLiteral("cannot read ") + file);
    if (version->toInt() == 0 && access == Access::ReadWrite) {
        // An empty file, as SQLite makes it; anything else of version 0 is foreign.
        const std::optional<QString> tables =
            QueryText(connection->db, "SELECT count(*) FROM sqlite_schema");
        if (!tables)
            return failed(QStringLiteral("cannot read ") + file);
        if (*tables != QStringLiteral("0"))
            return connection->Damaged(file + QStringLiteral(" holds other tables"));
        opened.fresh = true;
    } else if (version->toInt() != kSchemaVersion) {
        return connection->Damaged(file + QStringLiteral(" is of schema version ") + *version);
    }
    if (access == Access::ReadWrite) {
        if (!opened.fresh && check == Check::Whole) {
            const std::optional<QString> verdict = QueryText(connection->db, "PRAGMA quick_check");
            if (!verdict)
                return failed(QStringLiteral("cannot check ") + file);
            if (*verdict != QStringLiteral("ok"))
                return connection->Damaged(file + QStringLiteral(" fails its quick check: ") +
                                           *verdict);
        }
        if (QueryText(connection->db, "PRAGMA journal_mode = WAL") != QStringLiteral("wal"))
            return failed(QStringLiteral("cannot log ahead in ") + file);
        // Derived data: a commit lost to a power cut is found missing and
        // redone, so commits need not wait for the disk.
        if (!connection->Execute("PRAGMA synchronous = NORMAL"))
            return failed(QStringLiteral("cannot set up ") + file);
        // A command's few rows stay in the log ahead: its close then costs no
        // sync of the whole index. But every command that opens the index
        // reads that log whole, so it is written back once it holds the rows
        // of some ten captures, not SQLite's thousand pages.
        if (check == Check::Skip) {
            sqlite3_db_config(connection->db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            if (!connection->Execute("PRAGMA wal_autocheckpoint = 64"))
                return failed(QStringLiteral("cannot set up ") + file);
        }
        if (opened.fresh && !connection->MakeTables())
            return failed(QStringLiteral("cannot make the tables of ") + file);
    }
    // A table or column missing from an index of this version: made by no
    // release of ours.
    if (const int prepared = connection->Prepare(); prepared != SQLITE_OK)
        return connection->Failure(QStringLiteral("unexpected tables in ") + file,
                                   IsDamage(prepared) || (prepared & 0xFF) == SQLITE_ERROR);
    opened.connection = std::move(connection);
    return opened;
}

QString CollectionIndex::FilePath(const QString& homeFolder) {
    return homeFolder + QStringLiteral("collection.sqlite");
}

std::unique_ptr<CollectionIndex> CollectionIndex::Open(const QString& homeFolder, Access access,
                                                       QString* error, Check check) {
    const QString file = FilePath(homeFolder);
    Connection::Opened opened = Connection::Open(file, access, check);
    bool remade = opened.fresh;
    if (!opened.connection && opened.damaged && access == Access::ReadWrite) {
        // Nothing is lost: the logs and the files give it all again.
        if (!RemoveIndexFiles(file)) {
            if (error)
                *error = opened.error + QStringLiteral(", and cannot be removed");
            return nullptr;
        }
        opened = Connection::Open(file, access, check);
        remade = true;
    }
    if (!opened.connection) {
        if (error)
            *error = opened.error;
        return nullptr;
    }
    return std::unique_ptr<CollectionIndex>(
        new CollectionIndex(std::move(opened.connection), remade));
}

CollectionIndex::CollectionIndex(std::unique_ptr<Connection> connection, bool remade)
    : db_(std::move(connection)), remade_(remade) {}

CollectionIndex::~CollectionIndex() = default;

bool CollectionIndex::Failed(const QString& what) {
    error_ = what + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db_->db));
    return false;
}

namespace {

// A write transaction, rolled back unless committed.
class Transaction {
public:
    Transaction(Run begin, sqlite3_stmt* commit, sqlite3_stmt* rollback)
        : commit_(commit), rollback_(rollback), begun_(begin.Done()) {}
    ~Transaction() {
        if (begun_ && !committed_)
            Run(rollback_).Done();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool Begun() const { return begun_; }
    bool Commit() { return committed_ = Run(commit_).Done(); }

private:
    sqlite3_stmt* commit_;
    sqlite3_stmt* rollback_;
    bool begun_;
    bool committed_ = false;
};

FileState StateOf(const IndexedCapture& capture) {
    const std::optional<FileStamp> now = RegularFileStamp(capture.path);
    if (!now)
        return FileState::Gone;
    return capture.stamp == now ? FileState::Present : FileState::Changed;
}

} // namespace

std::vector<FoundCapture> CollectionIndex::Found(std::vector<IndexedCapture> captures) {
    std::vector<FoundCapture> found;
    found.reserve(captures.size());
    for (IndexedCapture& capture : captures) {
        const FileState state = StateOf(capture);
        found.push_back({std::move(capture), state});
    }
    return found;
}

namespace {

// Every capture the run gives; false on an error.
bool ReadCaptures(Run& run, std::vector<IndexedCapture>& captures) {
    int step;
    while ((step = run.Step()) == SQLITE_ROW)
        captures.push_back(run.Capture());
    return step == SQLITE_DONE;
}

} // namespace

std::vector<FoundCapture> CollectionIndex::WithContent(const QByteArray& sha256) {
    error_.clear();
    std::vector<IndexedCapture> captures;
    Run run = db_->Use(kBySha256);
    if (!ReadCaptures(run.Blob(1, sha256), captures))
        Failed(QStringLiteral("cannot look up a content"));
    return Found(std::move(captures));
}

std::vector<FoundCapture> CollectionIndex::AtPath(const QString& path) {
    error_.clear();
    std::vector<IndexedCapture> captures;
    Run run = db_->Use(kByPath);
    if (!ReadCaptures(run.Text(1, path), captures))
        Failed(QStringLiteral("cannot look up a path"));
    return Found(std::move(captures));
}

std::vector<FoundCapture> CollectionIndex::AtRealPath(const QString& realPath) {
    error_.clear();
    std::vector<IndexedCapture> captures;
    Run run = db_->Use(kByRealPath);
    if (!ReadCaptures(run.Text(1, realPath), captures))
        Failed(QStringLiteral("cannot look up a real path"));
    return Found(std::move(captures));
}

std::vector<SimilarCapture> CollectionIndex::SimilarTo(PictureHash hash) {
    error_.clear();
    if (!RefreshPictureHashes())
        return {};
    std::vector<SimilarCapture> similar;
    std::vector<size_t> goneSlots;
    for (size_t slot = 0; slot < pictureHashes_.size(); ++slot) {
        const int distance = HashDistance(pictureHashes_[slot], hash);
        if (distance > kSimilarDistance)
            continue;
        Run run = db_->Use(kById);
        const int step = run.Int(1, pictureIds_[slot]).Step();
        if (step == SQLITE_ROW) {
            SimilarCapture found;
            found.capture = run.Capture();
            found.state = StateOf(found.capture);
            found.distance = distance;
            similar.push_back(std::move(found));
        } else if (step == SQLITE_DONE) {
            goneSlots.push_back(slot);
        } else {
            Failed(QStringLiteral("cannot read a similar capture"));
            return {};
        }
    }
    // From the last, so that the slots still to drop keep their places.
    for (auto slot = goneSlots.rbegin(); slot != goneSlots.rend(); ++slot) {
        pictureHashes_[*slot] = pictureHashes_.back();
        pictureIds_[*slot] = pictureIds_.back();
        pictureHashes_.pop_back();
        pictureIds_.pop_back();
    }
    std::sort(similar.begin(), similar.end(), [](const SimilarCapture& a, const SimilarCapture& b) {
        if (a.distance != b.distance)
            return a.distance < b.distance;
        if (a.capture.day != b.capture.day)
            return a.capture.day > b.capture.day;
        return a.capture.row > b.capture.row;
    });
    return similar;
}

// Reads in the captures added since the last time, by id. After a rebuild
// most slots would be of captures gone: everything is read again instead.
bool CollectionIndex::RefreshPictureHashes() {
    std::optional<qint64> version;
    {
        Run run = db_->Use(kDataVersion);
        if (run.Step() == SQLITE_ROW)
            version = run.IntAt(0);
    }
    if (!version)
        return Failed(QStringLiteral("cannot tell whether the index changed"));
    if (dataVersion_ == version && !wroteSinceRefresh_)
        return true;
    const size_t slotsBefore = pictureHashes_.size();
    if (!LoadPictureHashesAfter(lastLoadedId_))
        return false;
    if (slotsBefore > 0 && pictureHashes_.size() - slotsBefore > slotsBefore / 4) {
        pictureHashes_.clear();
        pictureIds_.clear();
        if (!LoadPictureHashesAfter(0))
            return false;
    }
    dataVersion_ = version;
    wroteSinceRefresh_ = false;
    return true;
}

bool CollectionIndex::LoadPictureHashesAfter(qint64 id) {
    Run run = db_->Use(kPictureHashesAfter);
    run.Int(1, id);
    int step;
    while ((step = run.Step()) == SQLITE_ROW) {
        lastLoadedId_ = run.IntAt(0);
        if (run.IsNull(1))
            continue;
        pictureIds_.push_back(lastLoadedId_);
        pictureHashes_.push_back(
            PictureHash{std::uint64_t(run.IntAt(1)), std::uint64_t(run.IntAt(2))});
    }
    if (step != SQLITE_DONE)
        return Failed(QStringLiteral("cannot read the picture hashes"));
    return true;
}

std::optional<DayStamp> CollectionIndex::StampOfDay(const QString& day) {
    error_.clear();
    Run run = db_->Use(kDayStamp);
    const int step = run.Text(1, day).Step();
    if (step == SQLITE_ROW)
        return DayStamp{run.IntAt(0), run.IntAt(1), run.IntAt(2) != 0};
    if (step != SQLITE_DONE)
        Failed(QStringLiteral("cannot read the day ") + day);
    return std::nullopt;
}

QStringList CollectionIndex::IndexedDays() {
    error_.clear();
    QStringList days;
    Run run = db_->Use(kDays);
    int step;
    while ((step = run.Step()) == SQLITE_ROW)
        days << run.TextAt(0);
    if (step != SQLITE_DONE)
        Failed(QStringLiteral("cannot list the indexed days"));
    return days;
}

std::optional<std::vector<IndexedCapture>> CollectionIndex::CapturesOfDay(const QString& day) {
    error_.clear();
    std::vector<IndexedCapture> captures;
    Run run = db_->Use(kDayCaptures);
    if (!ReadCaptures(run.Text(1, day), captures)) {
        Failed(QStringLiteral("cannot read the captures of ") + day);
        return std::nullopt;
    }
    return captures;
}

bool CollectionIndex::StartDay(const QString& day, const DayStamp& stamp, int rowCount) {
    error_.clear();
    Transaction transaction(db_->Use(kBegin), db_->Statement(kCommit), db_->Statement(kRollback));
    if (!transaction.Begun())
        return Failed(QStringLiteral("cannot start the day ") + day);
    wroteSinceRefresh_ = true;
    if (!db_->Use(kPutDay).Text(1, day).Int(2, stamp.logSize).Int(3, stamp.logModifiedNs).Done())
        return Failed(QStringLiteral("cannot record the log of ") + day);
    if (!db_->Use(kDeleteRowsFrom).Text(1, day).Int(2, rowCount).Done())
        return Failed(QStringLiteral("cannot drop the rows past the log's end of ") + day);
    if (!transaction.Commit())
        return Failed(QStringLiteral("cannot start the day ") + day);
    return true;
}

bool CollectionIndex::PutCaptures(const std::vector<IndexedCapture>& captures) {
    error_.clear();
    Transaction transaction(db_->Use(kBegin), db_->Statement(kCommit), db_->Statement(kRollback));
    if (!transaction.Begun())
        return Failed(QStringLiteral("cannot write the captures"));
    wroteSinceRefresh_ = true;
    for (const IndexedCapture& capture : captures) {
        Run run = db_->Use(kPutCapture);
        run.Text(1, capture.day).Int(2, capture.row).Text(3, capture.path);
        run.Text(4, capture.captureTime).Text(5, capture.identifier).Text(6, capture.sourceAddress);
        if (capture.stamp) {
            run.Int(7, capture.stamp->size).Int(8, capture.stamp->modifiedSeconds);
            run.Blob(9, capture.sha256);
            if (capture.pictureHash) {
                run.Int(10, qint64(capture.pictureHash->whole));
                run.Int(13, qint64(capture.pictureHash->centre));
            }
            if (!capture.realPath.isEmpty() && capture.realPath != capture.path)
                run.Text(11, capture.realPath);
        }
        run.Int(12, capture.pictureTried ? 1 : 0);
        if (!run.Done())
            return Failed(QStringLiteral("cannot write the capture ") + capture.path);
    }
    if (!transaction.Commit())
        return Failed(QStringLiteral("cannot write the captures"));
    return true;
}

bool CollectionIndex::FinishDay(const QString& day) {
    error_.clear();
    wroteSinceRefresh_ = true;
    if (!db_->Use(kFinishDay).Text(1, day).Done())
        return Failed(QStringLiteral("cannot finish the day ") + day);
    return true;
}

bool CollectionIndex::RemoveDay(const QString& day) {
    error_.clear();
    Transaction transaction(db_->Use(kBegin), db_->Statement(kCommit), db_->Statement(kRollback));
    if (!transaction.Begun())
        return Failed(QStringLiteral("cannot remove the day ") + day);
    wroteSinceRefresh_ = true;
    if (!db_->Use(kDeleteDayCaptures).Text(1, day).Done() ||
        !db_->Use(kDeleteDay).Text(1, day).Done())
        return Failed(QStringLiteral("cannot remove the day ") + day);
    if (!transaction.Commit())
        return Failed(QStringLiteral("cannot remove the day ") + day);
    return true;
}

} // namespace kelvo
