#pragma once
// The SQLite layer: connections, prepared statements with named parameters, savepoints,
// transactions and the backup of a whole database.
//
// Every SQLite failure raises DatabaseError carrying SQLite's message and the statement text.
// A Statement keeps the raw handle of its connection: it must be finalized (destroyed) before the
// connection's last user goes away; closing a connection with statements still alive defers the
// real close until they are finalized (sqlite3_close_v2).
//
// A connection keeps a cache of prepared statements keyed by their exact text (Connection::Lease):
// a lease hands out a statement that is reset with no bindings, and gives it back to the cache,
// reset and cleared, when it ends. A statement is never handed out twice at once: the same text
// leased again while an earlier lease of it is alive gets a statement of its own.
#include "platform/Errors.h"
#include "platform/FieldType.h"
#include "platform/Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

// Name of the database file inside a database folder.
inline constexpr const char* kDatabaseFileName = "vektara.db";
// The database file of a folder: folder + "/" + kDatabaseFileName.
std::string DatabaseFilePath(const std::string& folder);

// ReadWrite opens an existing file only (SQLite opens a file it may not write for reading only);
// Create makes the file when it is missing; ReadOnly opens an existing file for reading only;
// ReadWriteOrReadOnly opens as ReadWrite and, when that fails, as ReadOnly.
//
// ReadOnly in a write-protected folder where the file's -shm can be neither made nor read: a file
// whose -wal holds no frame is read as unchanging; one whose -wal holds frames (committed rows a
// killed writer left there) is read through a private copy of the file and its -wal, made in a
// folder of its own (mode 0700) under the temporary folder ($TMPDIR, else /tmp), as far as SQLite
// reads them (the -wal's frames up to its last commit that its salts and checksums hold; the file's
// pages up to the size it then has), and only when that leaves room on the disk. The process's
// connections to a file share one copy, which shows the file as it was when copied; it is removed
// when the last of them closes, unless RetainReadCopy keeps it. Nothing is ever written beside the
// file. Such connections see no later change (IsImmutable). When the copy cannot be made the open
// raises ReadCopyError rather than show the file without the rows of its -wal.
enum class OpenMode { ReadWrite, Create, ReadOnly, ReadWriteOrReadOnly };

// A ReadOnly open that needed a private copy (see OpenMode) and could not make it. Code() tells
// why as for a failed write: SQLITE_FULL (no space), SQLITE_BUSY (the file kept changing while it
// was copied) or SQLITE_IOERR (anything else; the message names the file and the system's reason).
// SQLITE_FULL also when the copy would not leave room to spare on the temporary folder's disk.
class ReadCopyError : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

// Keeps the private copy of `file` (the text as given to Open), also while no connection reads it,
// until as many ReleaseReadCopy calls; a copy made later while kept is kept too. ConnectionPool
// keeps the copy of a file while it retains the file, so that an open database is copied once.
void RetainReadCopy(const std::string& file);
void ReleaseReadCopy(const std::string& file);

// Removes the private copies (see OpenMode) that programs of this user left in the temporary folder
// when they were killed: those whose folder's lock no living program holds. A program calls it when
// it starts; the first copy a process makes calls it too.
void RemoveStaleReadCopies();

class StatementLease;
struct TransactionWatch;     // a connection's open scopes and what ended their transaction (SqliteInternal.h)
class ReadCopy;              // a private copy of a database file and its -wal (SqliteInternal.h)
class StatementCache;        // a connection's idle prepared statements (SqliteStatementCache.h)
struct StatementCacheEntry;  // the cache's slot of one statement text

// One connection to a database file: WAL journaling, a busy timeout of kBusyTimeoutMs, foreign
// keys off, extended result codes. Statement journals (what savepoints restore) stay in memory
// however large they grow, until their transaction ends.
//
// A statement that fails for the storage (no space, a failed read or write, a damaged file) or for
// memory ends the transaction it ran in: SQLite ends it itself in most such cases, the layer in the
// others, so that such a transaction is never committed in part. While a Savepoint or Transaction
// of the connection is open, that first failure is kept: their Release and Commit raise it (not
// the "no such savepoint" or "no transaction" that would follow), and no Savepoint or Transaction
// begins under them (a savepoint begun then would be a new transaction of its own). A connection, its statements and leases
// are used by one thread at a time (SQLite's own mutex of the connection is left out); threads
// use connections of their own.
class Connection {
public:
    static constexpr int kBusyTimeoutMs = 5000;

    Connection() = default;
    // Opens `file`; raises DatabaseError when it cannot (a missing file without Create, a missing
    // folder, a file that is not a database).
    explicit Connection(const std::string& file, OpenMode mode = OpenMode::ReadWrite);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the database file of a folder.
    static Connection OpenFolder(const std::string& folder, OpenMode mode = OpenMode::ReadWrite);

    // Closes a connection already open, then opens `file`; raises DatabaseError.
    void Open(const std::string& file, OpenMode mode = OpenMode::ReadWrite);
    // As Open, returning false instead of raising; never creates a file unless mode is Create.
    bool TryOpen(const std::string& file, OpenMode mode = OpenMode::ReadWrite);
    // Closes the connection; harmless when closed.
    void Close() noexcept;
    bool IsOpen() const { return db_ != nullptr; }
    // The file as given to Open (empty when closed).
    const std::string& GetPath() const { return path_; }

    // Runs one or more statements that produce no result wanted by the caller.
    void Execute(std::string_view sql);
    std::int64_t LastInsertRowid() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int Changes() const;
    // Whether the file holds a table of that name (compared regardless of case, as SQLite does).
    bool TableExists(std::string_view name);
    // Names of all tables of the file (internal sqlite_ tables left out).
    std::vector<std::string> TableNames();
    bool InTransaction() const;
    // Whether a Savepoint or Transaction is open while SQLite has no transaction: a failure ended it
    // (see the class comment).
    bool TransactionLost() const;
    // The failure that ended the transaction of the open scopes (a generic one when none was seen).
    DatabaseError LostTransactionError() const;
    // Open, no transaction and no statement in the middle of its rows (none holds a read snapshot).
    bool IsIdle() const;
    // Whether the connection cannot write (opened ReadOnly, or a write-protected file). Savepoints
    // and transactions refuse to begin on it. It stays so while open, also when the file becomes
    // writable: only a connection opened afresh can write then.
    bool IsReadOnly() const;
    // Whether the connection sees neither its own process's nor other programs' later changes:
    // it reads the file as unchanging, or a private copy of it (see OpenMode).
    bool IsImmutable() const { return immutable_; }
    // For the connection that writes batches: its statement journals (of each savepoint, and of
    // each statement that may have to undo itself) go to a buffer of the connection's that a
    // release or rollback reaches directly, instead of SQLite's in-memory journal, a list of 1 KiB
    // pieces that SQLite walks from its start at each release or rollback nested in a savepoint
    // (a batch's savepoint per record took a time growing with the square of its records). Its
    // temporary sorts and indexes then go to temporary files where they outgrow the page cache.
    // Call it outside a transaction.
    void UseOwnStatementJournal();

    // A prepared statement of exactly `sql` from the connection's cache (prepared persistent when
    // the cache has none idle), reset and without bindings. Raises DatabaseError as a Statement's
    // Prepare does, and when the connection is closed.
    StatementLease Lease(std::string_view sql);
    // Idle statements the cache keeps at most (least recently leased texts go first); 0 keeps
    // none. Statements of one text are kept at most kIdlePerText.
    static constexpr std::size_t kDefaultStatementCacheLimit = 128;
    static constexpr std::size_t kIdlePerText = 4;
    void SetStatementCacheLimit(std::size_t limit);
    // Idle statements in the cache now.
    std::size_t CachedStatementCount() const;

    // The raw handle, for SQLite calls this layer does not wrap. Raises DatabaseError when closed.
    sqlite3* Handle() const;

private:
    friend class Savepoint;
    friend class Transaction;
    friend class Statement;
    // Savepoint names: the lowest number no open Savepoint of this connection holds.
    int AcquireSavepointSlot();
    void ReleaseSavepointSlot(int slot) noexcept;
    // The statements of a slot's savepoint: "SAVEPOINT n", "RELEASE n", "ROLLBACK TO n".
    struct SavepointTexts {
        std::string Name, Begin, Release, Rollback;
    };
    const SavepointTexts& SavepointSlotTexts(int slot) const {
        return savepointTexts_[static_cast<std::size_t>(slot)];
    }
    // Runs one statement of a fixed text through the cache.
    void ExecuteCached(std::string_view sql);
    // The layer's scopes (Savepoint, Transaction): entered once begun, left once ended. The first
    // scope entered starts a watch of its own; the scopes keep the watch they entered.
    std::shared_ptr<TransactionWatch> EnterScope();
    static void LeaveScope(const std::shared_ptr<TransactionWatch>& watch) noexcept;

    sqlite3* db_ = nullptr;
    std::string path_;
    bool immutable_ = false;
    std::shared_ptr<const ReadCopy> copy_;   // the private copy read, if any
    std::shared_ptr<TransactionWatch> watch_;   // shared with the statements prepared on it
    StatementCache* cache_ = nullptr;         // one reference; made on first Lease, dropped on Close
    std::size_t cacheLimit_ = kDefaultStatementCacheLimit;
    std::vector<bool> savepointSlots_;        // slot -> held by an open Savepoint
    std::vector<SavepointTexts> savepointTexts_;   // parallel to savepointSlots_
};

// Storage class of a column value in the current row.
enum class StorageClass { Null, Integer, Real, Text, Blob };

// A prepared statement. Parameters are named ":Name" (names compared regardless of case; one name
// may appear several times in the text and binds all its occurrences). Column names are compared
// regardless of case; a name that several columns carry means the first of them.
//
// Binding rules shared by the typed binds: empty text binds NULL (an empty text is stored as NULL),
// booleans bind 0/1, currency binds REAL, dates bind "yyyy-mm-dd" and date-times
// "yyyy-mm-dd hh:mm:ss", empty bytes bind NULL. Bindings stay across Reset until rebound or cleared.
class Statement {
public:
    Statement() = default;
    // Prepares exactly one statement; raises DatabaseError on a syntax error, an empty text or a
    // text holding more than one statement.
    Statement(Connection& connection, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Prepare(Connection& connection, std::string_view sql);
    // Finalizes the statement; harmless when not prepared.
    void Finalize() noexcept;
    bool IsPrepared() const { return stmt_ != nullptr; }
    const std::string& GetSql() const { return sql_; }

    // Parameters.
    bool HasParameter(std::string_view name) const;
    // Distinct parameter names without their prefix, in order of first appearance.
    std::vector<std::string> ParameterNames() const;
    // Each raises DatabaseError for a name the statement does not hold.
    void BindNull(std::string_view name);
    void BindText(std::string_view name, std::string_view value);   // "" binds NULL
    // As BindText without copying the text: it must stay alive and unchanged until the parameter
    // is bound again or cleared, or the statement is finalized (a lease's end clears it).
    void BindTextRef(std::string_view name, std::string_view value);
    void BindInt64(std::string_view name, std::int64_t value);
    void BindDouble(std::string_view name, double value);
    void BindBool(std::string_view name, bool value);
    void BindBlob(std::string_view name, const Bytes& value);       // empty binds NULL
    // Binds a value as a field of `type` stores it (see the class comment); FieldType::Unknown binds
    // as Bind(name, value). Raises VariantError when the value does not convert.
    void Bind(std::string_view name, const Variant& value, FieldType type);
    // Binds by the variant's own kind; a date-time without a time of day binds "yyyy-mm-dd".
    void Bind(std::string_view name, const Variant& value);
    void ClearBindings();

    // Runs one step: true when a row is available; false when the statement is done.
    bool Step();
    // Runs the statement to its end (the rows, if any, are dropped) and returns Changes().
    int Execute();
    // Rewinds the statement for another run; bindings stay.
    void Reset();

    // Columns of the result.
    int ColumnCount() const { return static_cast<int>(columnNames_.size()); }
    const std::string& ColumnName(int index) const;
    const std::vector<std::string>& ColumnNames() const { return columnNames_; }
    // Index of the column, -1 when there is none.
    int ColumnIndex(std::string_view name) const;

    // Values of the current row by index. NULL reads as "", 0, 0.0, false, no bytes.
    StorageClass GetStorageClass(int index) const;
    bool IsNull(int index) const;
    std::string GetText(int index) const;
    // The text without a copy; valid until the next Step, Reset or read of the same column as
    // another type.
    std::string_view GetTextView(int index) const;
    std::int64_t GetInt64(int index) const;
    int GetInt(int index) const { return static_cast<int>(GetInt64(index)); }
    double GetDouble(int index) const;
    // Integers are true when non-zero; the texts "true"/"false" (any case) read as such.
    bool GetBool(int index) const;
    Bytes GetBlob(int index) const;
    // The value as a field of `type` holds it: NULL gives Variant::Null(); strings and memos text;
    // smallint/integer Integer; boolean Boolean; float Double; currency Currency; date and
    // date-time a DateTime (read from ISO text, or a number of days); graphic and formatted memo
    // Bytes; Unknown the value's own storage class.
    Variant GetVariant(int index, FieldType type) const;

    // The same by column name; a name that no column carries raises DatabaseError.
    bool IsNull(std::string_view name) const { return IsNull(RequireColumn(name)); }
    std::string GetText(std::string_view name) const { return GetText(RequireColumn(name)); }
    std::int64_t GetInt64(std::string_view name) const { return GetInt64(RequireColumn(name)); }
    int GetInt(std::string_view name) const { return GetInt(RequireColumn(name)); }
    double GetDouble(std::string_view name) const { return GetDouble(RequireColumn(name)); }
    bool GetBool(std::string_view name) const { return GetBool(RequireColumn(name)); }
    Bytes GetBlob(std::string_view name) const { return GetBlob(RequireColumn(name)); }
    Variant GetVariant(std::string_view name, FieldType type) const { return GetVariant(RequireColumn(name), type); }

    sqlite3_stmt* Handle() const { return stmt_; }

private:
    friend class StatementCache;
    // Prepares with sqlite3_prepare_v3's flags; failures that end a transaction go to `watch`.
    void Prepare(sqlite3* db, std::string_view sql, unsigned flags, std::shared_ptr<TransactionWatch> watch);

    // Position of a name of `names` equal to `name` regardless of (ASCII) case, -1 when none is.
    // The search starts at `from` and wraps around: the first match from there, which is the only
    // one for distinct names.
    static int FindName(const std::vector<std::string>& names, std::string_view name, std::size_t from = 0);

    void CheckPrepared() const;
    void CheckColumn(int index) const;
    int RequireColumn(std::string_view name) const;
    // Raw SQLite parameter indexes (1-based) of a name; raises DatabaseError for an unknown name.
    const std::vector<int>& ParameterIndexes(std::string_view name) const;
    [[noreturn]] void Fail(int rc) const;
    void Check(int rc) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    std::shared_ptr<TransactionWatch> watch_;
    std::string sql_;
    std::vector<std::string> columnNames_;
    std::vector<std::string> parameterNames_;
    std::vector<std::vector<int>> parameterIndexes_;   // parallel to parameterNames_
    mutable std::size_t nextParameter_ = 0;             // after the last one looked up: binds go in order
    bool hasRow_ = false;                               // the last Step gave a row
};

// A statement leased from its connection's cache. Owns the statement while it lives; when it ends
// (destroyed, moved over, or Return) the statement is reset, its bindings are cleared and it goes
// back to the cache, or is finalized when the cache is full or its connection has closed since.
// A lease may outlive its connection's Close (the statement is finalized when the lease ends). A
// leased statement is open like any other: end the lease before a savepoint around it ends.
class StatementLease {
public:
    StatementLease() = default;
    ~StatementLease();
    StatementLease(StatementLease&& other) noexcept;
    StatementLease& operator=(StatementLease&& other) noexcept;
    StatementLease(const StatementLease&) = delete;
    StatementLease& operator=(const StatementLease&) = delete;

    bool IsLeased() const { return statement_ != nullptr; }
    Statement& operator*() const { return *statement_; }
    Statement* operator->() const { return statement_.get(); }
    // Ends the lease now; harmless when nothing is leased.
    void Return() noexcept;

private:
    friend class StatementCache;
    StatementLease(StatementCache* cache, StatementCacheEntry* entry, std::unique_ptr<Statement> statement);

    StatementCache* cache_ = nullptr;         // holds a reference while leased
    StatementCacheEntry* entry_ = nullptr;
    std::unique_ptr<Statement> statement_;
};

// A savepoint: opened on construction under a name no other open Savepoint of the connection
// holds ("vkt_sp_<n>", the lowest free n: names are reused, so their statements stay cached).
// Release() keeps its changes (they are committed when no outer transaction is open); Rollback()
// undoes them and ends the savepoint. The destructor of a savepoint neither released nor rolled
// back rolls it back; it never throws. Savepoints nest: an inner one must end before its outer one.
// The outermost one (no transaction open) is a transaction begun IMMEDIATE instead: it waits for
// the write lock (up to the busy timeout) when it begins, and Release commits it.
// When a failure has ended the transaction under it (see Connection), Release raises that failure
// and ends the savepoint; Rollback ends it quietly (nothing is left to undo).
class Savepoint {
public:
    explicit Savepoint(Connection& connection);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    void Release();
    void Rollback();
    bool IsActive() const { return active_; }
    const std::string& GetName() const { return name_; }

private:
    void End() noexcept;

    Connection& connection_;
    std::shared_ptr<TransactionWatch> watch_;   // the scope entered while active
    int slot_ = -1;
    std::string name_;
    bool active_ = false;
    bool outermost_ = false;   // began the transaction
};

// A transaction: BEGIN IMMEDIATE on construction, Commit() or Rollback() ends it; the destructor
// rolls back a transaction still open and never throws.
// Ended under it by a failure (see Connection), Commit raises that failure and ends it.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();
    void Rollback();
    bool IsActive() const { return active_; }

private:
    void End() noexcept;

    Connection& connection_;
    std::shared_ptr<TransactionWatch> watch_;   // the scope entered while active
    bool active_ = false;
};

// Replaces the whole content of `destination` by that of `source` (SQLite's online backup of the
// main databases). Raises DatabaseError; the destination is unchanged when the copy fails.
void BackupDatabase(Connection& source, Connection& destination);

// What a failed statement ran into, by its result code (DatabaseError::Code): a statement that
// cannot run as written (an unknown table or column, a syntax error, an error raised outside
// SQLite, code 0), a database it may not write, one another connection holds, a full disk, a
// failed read or write of the disk, a damaged file, memory that ran out, or anything else the
// database refused (a constraint, a trigger).
enum class FailureKind { Statement, ReadOnly, Busy, Full, Io, Corrupt, Memory, Other };
FailureKind KindOfFailure(int code);

// SQL text of a literal: 'O''Neil' for O'Neil.
std::string QuoteSql(std::string_view text);
// SQL text of an identifier: "Name", inner double quotes doubled.
std::string QuoteIdentifier(std::string_view name);

} // namespace platform
