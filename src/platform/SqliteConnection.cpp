// A connection, its savepoints and transactions, backup and quoting.
#include "platform/SqliteInternal.h"
#include "platform/SqliteStatementCache.h"

#include "platform/Files.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

namespace platform {

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (a == b) return true;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

std::string ErrorMessage(sqlite3* db, int rc) {
    if (db != nullptr) return sqlite3_errmsg(db);
    return sqlite3_errstr(rc);
}

namespace {

// Whether a failure of this code ends the transaction it happened in: the storage (no space, a
// failed read or write, a damaged file) or memory failed.
bool EndsTransaction(int code) {
    switch (KindOfFailure(code)) {
    case FailureKind::Full:
    case FailureKind::Io:
    case FailureKind::Corrupt:
    case FailureKind::Memory: return true;
    default: return false;
    }
}

} // namespace

DatabaseError LostError(const TransactionWatch* watch, const std::string& where) {
    if (watch != nullptr && watch->lostBy) return *watch->lostBy;
    return DatabaseError("the transaction was ended by an earlier failure", where, SQLITE_ABORT);
}

bool Lost(const TransactionWatch* watch, bool inTransaction) {
    return !inTransaction && watch != nullptr && watch->scopes > 0;
}

void NoteFailure(sqlite3* db, TransactionWatch* watch, const DatabaseError& error) {
    if (sqlite3_get_autocommit(db) == 0) {
        if (!EndsTransaction(error.Code())) return;
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (watch != nullptr && watch->scopes > 0 && !watch->lostBy) watch->lostBy = error;
}

std::string DatabaseFilePath(const std::string& folder) {
    if (folder.empty()) return kDatabaseFileName;
    return JoinPath(folder, kDatabaseFileName);
}

// ---------------------------------------------------------------------------------------------
// Connection

Connection::Connection(const std::string& file, OpenMode mode) {
    Open(file, mode);
}

Connection::~Connection() {
    Close();
}

Connection::Connection(Connection&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      path_(std::move(other.path_)),
      immutable_(std::exchange(other.immutable_, false)),
      copy_(std::move(other.copy_)),
      watch_(std::move(other.watch_)),
      cache_(std::exchange(other.cache_, nullptr)),
      cacheLimit_(other.cacheLimit_),
      savepointSlots_(std::move(other.savepointSlots_)),
      savepointTexts_(std::move(other.savepointTexts_)) {
    other.path_.clear();
    other.savepointSlots_.clear();
    other.savepointTexts_.clear();
}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        Close();
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
        other.path_.clear();
        immutable_ = std::exchange(other.immutable_, false);
        copy_ = std::move(other.copy_);
        watch_ = std::move(other.watch_);
        cache_ = std::exchange(other.cache_, nullptr);
        cacheLimit_ = other.cacheLimit_;
        savepointSlots_ = std::move(other.savepointSlots_);
        other.savepointSlots_.clear();
        savepointTexts_ = std::move(other.savepointTexts_);
        other.savepointTexts_.clear();
    }
    return *this;
}

Connection Connection::OpenFolder(const std::string& folder, OpenMode mode) {
    return Connection(DatabaseFilePath(folder), mode);
}

namespace {

// A file name as a URI ("file:" + the path with '%', '?' and '#' escaped) with one parameter.
std::string FileUri(const std::string& file, const char* parameter) {
    std::string uri = "file:";
    for (const char c : file) {
        if (c == '%') uri += "%25";
        else if (c == '?') uri += "%3f";
        else if (c == '#') uri += "%23";
        else uri += c;
    }
    return uri + "?" + parameter;
}

// Opens and sets up one connection; null with `message` set when that fails. The setup reads the
// file: a file that is not a database fails here.
sqlite3* OpenConnection(const std::string& name, int flags, const char* setup, std::string& message) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(name.c_str(), &db, flags, ConnectionVfs());
    if (rc != SQLITE_OK) {
        message = ErrorMessage(db, rc);
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, Connection::kBusyTimeoutMs);
    char* error = nullptr;
    rc = sqlite3_exec(db, setup, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        message = error != nullptr ? error : ErrorMessage(db, rc);
        sqlite3_free(error);
        sqlite3_close_v2(db);
        return nullptr;
    }
    return db;
}

} // namespace

// Every connection keeps its temporary sorts and indexes in memory: spilled to a file on disk they
// slow a sorted listing of many records down.
void Connection::Open(const std::string& file, OpenMode mode) {
    if (mode == OpenMode::ReadWriteOrReadOnly) {
        if (!TryOpen(file, OpenMode::ReadWrite)) Open(file, OpenMode::ReadOnly);
        return;
    }
    Close();
    bool immutable = false;
    std::shared_ptr<const ReadCopy> copy;
    const int threading = SQLITE_OPEN_NOMUTEX;   // one thread at a time (see the class)
    std::string message;
    sqlite3* db = nullptr;
    if (mode == OpenMode::ReadOnly) {
        const char* setup = "PRAGMA foreign_keys = OFF; PRAGMA temp_store = MEMORY; "
                            "SELECT count(*) FROM sqlite_master;";
        db = OpenConnection(file, SQLITE_OPEN_READONLY | threading, setup, message);
        // A WAL database in a write-protected folder cannot get its shared-memory file: read a
        // private copy of the file and its -wal, or, when the -wal holds no frame, the file as one
        // nobody changes (SQLite would not read the -wal then).
        std::error_code ignored;
        if (db == nullptr && std::filesystem::is_regular_file(file, ignored)) {
            if (HoldsFrames(file + "-wal")) {
                copy = AcquireReadCopy(file);
                db = OpenConnection(copy->File(), SQLITE_OPEN_READONLY | threading, setup, message);
            } else {
                db = OpenConnection(FileUri(file, "immutable=1"),
                                    SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | threading, setup, message);
            }
            immutable = db != nullptr;
        }
    } else {
        const int flags = SQLITE_OPEN_READWRITE | (mode == OpenMode::Create ? SQLITE_OPEN_CREATE : 0) | threading;
        db = OpenConnection(file, flags, "PRAGMA foreign_keys = OFF; PRAGMA temp_store = MEMORY; PRAGMA journal_mode = WAL;",
                            message);
    }
    if (db == nullptr) throw DatabaseError(message + ": " + file);
    db_ = db;
    path_ = file;
    immutable_ = immutable;
    copy_ = std::move(copy);
    watch_ = std::make_shared<TransactionWatch>();
}

bool Connection::TryOpen(const std::string& file, OpenMode mode) {
    try {
        Open(file, mode);
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}

void Connection::Close() noexcept {
    if (cache_ != nullptr) {
        cache_->Clear();   // finalized before the close; leased ones when their lease ends
        StatementCache::Unref(std::exchange(cache_, nullptr));
    }
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    path_.clear();
    immutable_ = false;
    copy_.reset();   // its files go with the last connection (open ones stay readable on POSIX)
    watch_.reset();  // scopes still open keep theirs
}

sqlite3* Connection::Handle() const {
    if (db_ == nullptr) throw DatabaseError("database connection is not open");
    return db_;
}

void Connection::Execute(std::string_view sql) {
    std::string text(sql);
    char* error = nullptr;
    const bool inTransaction = sqlite3_get_autocommit(Handle()) == 0;
    if (Lost(watch_.get(), inTransaction)) throw LostError(watch_.get(), path_);
    int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error != nullptr ? error : ErrorMessage(db_, rc);
        sqlite3_free(error);
        DatabaseError failure(message, text, sqlite3_extended_errcode(db_));
        if (inTransaction) NoteFailure(db_, watch_.get(), failure);
        throw failure;
    }
}

std::int64_t Connection::LastInsertRowid() const {
    return sqlite3_last_insert_rowid(Handle());
}

int Connection::Changes() const {
    return sqlite3_changes(Handle());
}

bool Connection::TableExists(std::string_view name) {
    Statement query(*this, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = :Name COLLATE NOCASE");
    query.BindText("Name", name);
    return query.Step();
}

std::vector<std::string> Connection::TableNames() {
    Statement query(*this, "SELECT name FROM sqlite_master WHERE type = 'table' "
                           "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    std::vector<std::string> names;
    while (query.Step()) names.push_back(query.GetText(0));
    return names;
}

bool Connection::InTransaction() const {
    return sqlite3_get_autocommit(Handle()) == 0;
}

bool Connection::IsIdle() const {
    if (!IsOpen() || InTransaction()) return false;
    for (sqlite3_stmt* st = sqlite3_next_stmt(db_, nullptr); st != nullptr; st = sqlite3_next_stmt(db_, st))
        if (sqlite3_stmt_busy(st)) return false;
    return true;
}

bool Connection::IsReadOnly() const {
    return sqlite3_db_readonly(Handle(), "main") == 1;
}

// SQLite keeps statement journals in its own memory whenever temporaries are kept in memory.
void Connection::UseOwnStatementJournal() { Execute("PRAGMA temp_store = FILE"); }

namespace {

void RefuseReadOnly(const Connection& connection) {
    if (connection.IsReadOnly())
        throw DatabaseError("The database is write-protected: it can be read but not changed", connection.GetPath(),
                            SQLITE_READONLY);
}

} // namespace

StatementLease Connection::Lease(std::string_view sql) {
    if (cache_ == nullptr) cache_ = new StatementCache(Handle(), cacheLimit_, watch_);
    return cache_->Lease(sql);
}

void Connection::SetStatementCacheLimit(std::size_t limit) {
    cacheLimit_ = limit;
    if (cache_ != nullptr) cache_->SetLimit(limit);
}

std::size_t Connection::CachedStatementCount() const {
    return cache_ != nullptr ? cache_->IdleCount() : 0;
}

void Connection::ExecuteCached(std::string_view sql) {
    StatementLease statement = Lease(sql);
    statement->Execute();
}

int Connection::AcquireSavepointSlot() {
    std::size_t slot = 0;
    while (slot < savepointSlots_.size() && savepointSlots_[slot]) ++slot;
    if (slot == savepointSlots_.size()) {
        const std::string name = "vkt_sp_" + std::to_string(slot);
        savepointTexts_.push_back({name, "SAVEPOINT " + name, "RELEASE " + name, "ROLLBACK TO " + name});
        savepointSlots_.push_back(true);
    } else {
        savepointSlots_[slot] = true;
    }
    return static_cast<int>(slot);
}

void Connection::ReleaseSavepointSlot(int slot) noexcept {
    if (slot >= 0 && static_cast<std::size_t>(slot) < savepointSlots_.size())
        savepointSlots_[static_cast<std::size_t>(slot)] = false;
}

std::shared_ptr<TransactionWatch> Connection::EnterScope() {
    if (watch_->scopes++ == 0) watch_->lostBy.reset();
    return watch_;
}

void Connection::LeaveScope(const std::shared_ptr<TransactionWatch>& watch) noexcept {
    if (watch && watch->scopes > 0 && --watch->scopes == 0) watch->lostBy.reset();
}

bool Connection::TransactionLost() const {
    return IsOpen() && Lost(watch_.get(), InTransaction());
}

DatabaseError Connection::LostTransactionError() const {
    return LostError(watch_.get(), path_);
}

// ---------------------------------------------------------------------------------------------
// Savepoint and Transaction

Savepoint::Savepoint(Connection& connection) : connection_(connection), slot_(connection.AcquireSavepointSlot()) {
    const Connection::SavepointTexts& texts = connection_.SavepointSlotTexts(slot_);
    name_ = texts.Name;
    try {
        // The outermost one takes the write lock at once: a deferred transaction that read first
        // could not wait for the lock once another connection had written since its read.
        RefuseReadOnly(connection_);
        outermost_ = !connection_.InTransaction();
        // Under open scopes whose transaction a failure ended, it would be a transaction of its own.
        if (outermost_ && connection_.TransactionLost()) throw connection_.LostTransactionError();
        connection_.ExecuteCached(outermost_ ? std::string_view("BEGIN IMMEDIATE") : std::string_view(texts.Begin));
    } catch (...) {
        connection_.ReleaseSavepointSlot(slot_);
        throw;
    }
    active_ = true;
    watch_ = connection_.EnterScope();
}

Savepoint::~Savepoint() {
    if (!active_) return;
    try {
        Rollback();
    } catch (...) {
        // A destructor reports nothing; the transaction may already be gone.
    }
}

void Savepoint::End() noexcept {
    active_ = false;
    connection_.ReleaseSavepointSlot(std::exchange(slot_, -1));
    Connection::LeaveScope(std::exchange(watch_, nullptr));
}

void Savepoint::Release() {
    if (!active_) throw DatabaseError("savepoint is not active", name_);
    if (connection_.IsOpen() && !connection_.InTransaction()) {
        DatabaseError lost = connection_.LostTransactionError();
        End();
        throw lost;
    }
    // Stays active when this fails.
    connection_.ExecuteCached(outermost_ ? std::string_view("COMMIT")
                                         : std::string_view(connection_.SavepointSlotTexts(slot_).Release));
    End();
}

void Savepoint::Rollback() {
    if (!active_) throw DatabaseError("savepoint is not active", name_);
    const Connection::SavepointTexts& texts = connection_.SavepointSlotTexts(slot_);
    End();   // the texts stay: slots are never removed
    // An error may have ended the whole transaction already: nothing is left to undo then.
    if (!connection_.IsOpen() || !connection_.InTransaction()) return;
    if (outermost_) {
        connection_.ExecuteCached("ROLLBACK");
        return;
    }
    connection_.ExecuteCached(texts.Rollback);
    connection_.ExecuteCached(texts.Release);
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
    RefuseReadOnly(connection_);
    if (connection_.TransactionLost()) throw connection_.LostTransactionError();
    connection_.ExecuteCached("BEGIN IMMEDIATE");
    active_ = true;
    watch_ = connection_.EnterScope();
}

void Transaction::End() noexcept {
    active_ = false;
    Connection::LeaveScope(std::exchange(watch_, nullptr));
}

Transaction::~Transaction() {
    if (!active_) return;
    try {
        Rollback();
    } catch (...) {
        // A destructor reports nothing.
    }
}

void Transaction::Commit() {
    if (!active_) throw DatabaseError("transaction is not active");
    if (connection_.IsOpen() && !connection_.InTransaction()) {
        DatabaseError lost = connection_.LostTransactionError();
        End();
        throw lost;
    }
    connection_.ExecuteCached("COMMIT");   // stays active (to roll back) when this fails
    End();
}

void Transaction::Rollback() {
    if (!active_) throw DatabaseError("transaction is not active");
    End();
    if (!connection_.IsOpen() || !connection_.InTransaction()) return;
    connection_.ExecuteCached("ROLLBACK");
}

// ---------------------------------------------------------------------------------------------
// Backup and quoting

void BackupDatabase(Connection& source, Connection& destination) {
    sqlite3* dst = destination.Handle();
    sqlite3_backup* backup = sqlite3_backup_init(dst, "main", source.Handle(), "main");
    if (backup == nullptr) throw DatabaseError(sqlite3_errmsg(dst), "backup " + source.GetPath());
    int rc = SQLITE_OK;
    int waited = 0;
    constexpr int kWaitStepMs = 20;
    for (;;) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_DONE) break;
        bool busy = rc == SQLITE_BUSY || rc == SQLITE_LOCKED ||
                    (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
        if (rc != SQLITE_OK && !(busy && waited < Connection::kBusyTimeoutMs)) break;
        if (busy) {
            sqlite3_sleep(kWaitStepMs);
            waited += kWaitStepMs;
        }
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        std::string message = sqlite3_errcode(dst) != SQLITE_OK ? sqlite3_errmsg(dst) : sqlite3_errstr(rc);
        throw DatabaseError(message, "backup " + source.GetPath() + " to " + destination.GetPath());
    }
}

FailureKind KindOfFailure(int code) {
    switch (code & 0xff) {
    case SQLITE_OK:
    case SQLITE_ERROR: return FailureKind::Statement;
    case SQLITE_READONLY: return FailureKind::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return FailureKind::Busy;
    case SQLITE_FULL: return FailureKind::Full;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN: return FailureKind::Io;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return FailureKind::Corrupt;
    case SQLITE_NOMEM: return FailureKind::Memory;
    default: return FailureKind::Other;
    }
}

namespace {
std::string QuoteWith(std::string_view text, char quote) {
    std::string out;
    out.reserve(text.size() + 2);
    out += quote;
    for (char c : text) {
        if (c == quote) out += quote;
        out += c;
    }
    out += quote;
    return out;
}
} // namespace

std::string QuoteSql(std::string_view text) {
    return QuoteWith(text, '\'');
}

std::string QuoteIdentifier(std::string_view name) {
    return QuoteWith(name, '"');
}

} // namespace platform
