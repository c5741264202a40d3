#include "platform/Sqlite.h"

#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Files.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

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

} // namespace

struct TransactionWatch {
    int scopes = 0;                        // open Savepoints and Transactions of the connection
    std::optional<DatabaseError> lostBy;   // the first failure that ended their transaction
};

namespace {

// Whether a failure of this code ends the transaction it happened in: the storage (no space, a
// failed read or write, a damaged file) or memory failed.
bool EndsTransaction(int code) {
    switch (KindOfFailure(code)) {
    case FailureKind::Full:
    case FailureKind::Io:
    case FailureKind::Corrupt: return true;
    default: return (code & 0xff) == SQLITE_NOMEM;
    }
}

// What a statement meets while scopes of the layer are open and their transaction is gone: the
// failure that ended it (nothing more runs in it: in autocommit each statement would be kept).
DatabaseError LostError(const TransactionWatch* watch, const std::string& where) {
    if (watch != nullptr && watch->lostBy) return *watch->lostBy;
    return DatabaseError("the transaction was ended by an earlier failure", where, SQLITE_ABORT);
}

bool Lost(const TransactionWatch* watch, bool inTransaction) {
    return !inTransaction && watch != nullptr && watch->scopes > 0;
}

// After a statement run inside a transaction failed with `error`: a failure that ends the
// transaction ends it (when SQLite has not), and the first such failure is kept while scopes of the
// layer are open.
void NoteFailure(sqlite3* db, TransactionWatch* watch, const DatabaseError& error) {
    if (sqlite3_get_autocommit(db) == 0) {
        if (!EndsTransaction(error.Code())) return;
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (watch != nullptr && watch->scopes > 0 && !watch->lostBy) watch->lostBy = error;
}

// A parameter name as SQLite reports it (":Name", "@Name", "$Name") without its prefix.
std::string_view StripParameterPrefix(std::string_view name) {
    if (!name.empty() && (name.front() == ':' || name.front() == '@' || name.front() == '$'))
        name.remove_prefix(1);
    return name;
}

bool IsWholeDay(TDateTime value) {
    return value == std::floor(value);
}


// ---- The connections' file system ------------------------------------------------------------
// SQLite's own, except for statement journals (the pages a savepoint may have to restore). SQLite
// keeps a statement journal in memory up to 64 KiB and then moves it to a temporary file for the
// rest of the transaction, so that every later savepoint of a long transaction (a batch gives each
// record one) writes its pages through the file system. Here the journal "file" is memory instead,
// in blocks reached by their offset: it grows to the largest extent the open savepoints write
// (SQLite cuts it back to a released savepoint's start) and is freed when the transaction ends.
// Only a connection that keeps its temporaries in files gets here (Connection::UseOwnStatementJournal):
// with temp_store = MEMORY SQLite keeps the whole journal in its own memory.

// The journal's block size: growing it copies nothing.
constexpr sqlite3_int64 kJournalBlock = 64 * 1024;

struct JournalFile {
    sqlite3_file base;   // first: SQLite's view of the file
    unsigned char** blocks;
    sqlite3_int64 blockCount;   // blocks allocated
    sqlite3_int64 blockSlots;   // room in `blocks`
    sqlite3_int64 size;
};

JournalFile& AsJournal(sqlite3_file* file) {
    return *reinterpret_cast<JournalFile*>(file);
}

int JournalClose(sqlite3_file* file) {
    JournalFile& f = AsJournal(file);
    for (sqlite3_int64 i = 0; i < f.blockCount; ++i) sqlite3_free(f.blocks[i]);
    sqlite3_free(f.blocks);
    f.blocks = nullptr;
    f.blockCount = f.blockSlots = f.size = 0;
    return SQLITE_OK;
}

// Calls `piece(bytes, length, done)` for each part of [offset, offset + amount) within one block,
// `done` the bytes of the range before it.
template <class Piece>
void ForEachPiece(const JournalFile& f, sqlite3_int64 offset, sqlite3_int64 amount, Piece&& piece) {
    for (sqlite3_int64 done = 0; done < amount;) {
        const sqlite3_int64 at = offset + done;
        const sqlite3_int64 length = std::min(amount - done, kJournalBlock - at % kJournalBlock);
        piece(f.blocks[at / kJournalBlock] + at % kJournalBlock, static_cast<std::size_t>(length),
              static_cast<std::size_t>(done));
        done += length;
    }
}

int JournalRead(sqlite3_file* file, void* out, int amount, sqlite3_int64 offset) {
    const JournalFile& f = AsJournal(file);
    const sqlite3_int64 have = std::clamp<sqlite3_int64>(f.size - offset, 0, amount);
    auto* bytes = static_cast<unsigned char*>(out);
    ForEachPiece(f, offset, have, [&](const unsigned char* from, std::size_t length, std::size_t done) {
        std::memcpy(bytes + done, from, length);
    });
    if (have == amount) return SQLITE_OK;
    // A short read fills the rest with zeros, as SQLite requires.
    std::memset(bytes + have, 0, static_cast<std::size_t>(amount - have));
    return SQLITE_IOERR_SHORT_READ;
}

int JournalWrite(sqlite3_file* file, const void* in, int amount, sqlite3_int64 offset) {
    JournalFile& f = AsJournal(file);
    const sqlite3_int64 end = offset + amount;
    for (const sqlite3_int64 needed = (end + kJournalBlock - 1) / kJournalBlock; f.blockCount < needed;) {
        if (f.blockCount == f.blockSlots) {
            const sqlite3_int64 slots = std::max<sqlite3_int64>(16, f.blockSlots * 2);
            void* grown = sqlite3_realloc64(f.blocks, static_cast<sqlite3_uint64>(slots) * sizeof(unsigned char*));
            if (grown == nullptr) return SQLITE_IOERR_NOMEM;
            f.blocks = static_cast<unsigned char**>(grown);
            f.blockSlots = slots;
        }
        f.blocks[f.blockCount] = static_cast<unsigned char*>(sqlite3_malloc64(kJournalBlock));
        if (f.blocks[f.blockCount] == nullptr) return SQLITE_IOERR_NOMEM;
        ++f.blockCount;
    }
    if (offset > f.size)
        ForEachPiece(f, f.size, offset - f.size, [](unsigned char* to, std::size_t length, std::size_t) {
            std::memset(to, 0, length);
        });
    const auto* bytes = static_cast<const unsigned char*>(in);
    ForEachPiece(f, offset, amount, [&](unsigned char* to, std::size_t length, std::size_t done) {
        std::memcpy(to, bytes + done, length);
    });
    f.size = std::max(f.size, end);
    return SQLITE_OK;
}

int JournalTruncate(sqlite3_file* file, sqlite3_int64 size) {
    JournalFile& f = AsJournal(file);
    f.size = std::min(f.size, size);
    return SQLITE_OK;
}

int JournalSync(sqlite3_file*, int) { return SQLITE_OK; }

int JournalFileSize(sqlite3_file* file, sqlite3_int64* size) {
    *size = AsJournal(file).size;
    return SQLITE_OK;
}

int JournalLock(sqlite3_file*, int) { return SQLITE_OK; }

int JournalCheckReservedLock(sqlite3_file*, int* reserved) {
    *reserved = 0;
    return SQLITE_OK;
}

int JournalFileControl(sqlite3_file*, int, void*) { return SQLITE_NOTFOUND; }

int JournalSectorSize(sqlite3_file*) { return 4096; }

int JournalDeviceCharacteristics(sqlite3_file*) { return 0; }

const sqlite3_io_methods kJournalMethods = {
    1, JournalClose, JournalRead, JournalWrite, JournalTruncate, JournalSync, JournalFileSize, JournalLock,
    JournalLock, JournalCheckReservedLock, JournalFileControl, JournalSectorSize, JournalDeviceCharacteristics,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

// The default file system of the process, which does everything else.
sqlite3_vfs* BaseVfs() {
    static sqlite3_vfs* const base = sqlite3_vfs_find(nullptr);
    return base;
}

int VfsOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    if ((flags & SQLITE_OPEN_SUBJOURNAL) == 0) return BaseVfs()->xOpen(BaseVfs(), name, file, flags, outFlags);
    JournalFile& f = AsJournal(file);
    f.base.pMethods = &kJournalMethods;
    f.blocks = nullptr;
    f.blockCount = f.blockSlots = f.size = 0;
    if (outFlags != nullptr) *outFlags = flags;
    return SQLITE_OK;
}
int VfsDelete(sqlite3_vfs*, const char* name, int syncDir) {
    return BaseVfs()->xDelete(BaseVfs(), name, syncDir);
}
int VfsAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
    return BaseVfs()->xAccess(BaseVfs(), name, flags, result);
}
int VfsFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return BaseVfs()->xFullPathname(BaseVfs(), name, size, out);
}
void* VfsDlOpen(sqlite3_vfs*, const char* name) { return BaseVfs()->xDlOpen(BaseVfs(), name); }
void VfsDlError(sqlite3_vfs*, int size, char* out) { BaseVfs()->xDlError(BaseVfs(), size, out); }
void (*VfsDlSym(sqlite3_vfs*, void* library, const char* symbol))(void) {
    return BaseVfs()->xDlSym(BaseVfs(), library, symbol);
}
void VfsDlClose(sqlite3_vfs*, void* library) { BaseVfs()->xDlClose(BaseVfs(), library); }
int VfsRandomness(sqlite3_vfs*, int size, char* out) { return BaseVfs()->xRandomness(BaseVfs(), size, out); }
int VfsSleep(sqlite3_vfs*, int microseconds) { return BaseVfs()->xSleep(BaseVfs(), microseconds); }
int VfsCurrentTime(sqlite3_vfs*, double* now) { return BaseVfs()->xCurrentTime(BaseVfs(), now); }
int VfsGetLastError(sqlite3_vfs*, int size, char* out) { return BaseVfs()->xGetLastError(BaseVfs(), size, out); }
int VfsCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
    return BaseVfs()->xCurrentTimeInt64(BaseVfs(), now);
}

// The name to open connections with; null (SQLite's default) when it could not be registered.
const char* ConnectionVfs() {
    static const char* const name = []() -> const char* {
        static sqlite3_vfs vfs{};
        sqlite3_vfs* base = BaseVfs();
        if (base == nullptr || base->iVersion < 2) return nullptr;
        vfs.iVersion = 2;
        vfs.szOsFile = std::max(base->szOsFile, static_cast<int>(sizeof(JournalFile)));
        vfs.mxPathname = base->mxPathname;
        vfs.zName = "vektara";
        vfs.xOpen = VfsOpen;
        vfs.xDelete = VfsDelete;
        vfs.xAccess = VfsAccess;
        vfs.xFullPathname = VfsFullPathname;
        vfs.xDlOpen = VfsDlOpen;
        vfs.xDlError = VfsDlError;
        vfs.xDlSym = VfsDlSym;
        vfs.xDlClose = VfsDlClose;
        vfs.xRandomness = VfsRandomness;
        vfs.xSleep = VfsSleep;
        vfs.xCurrentTime = VfsCurrentTime;
        vfs.xGetLastError = VfsGetLastError;
        vfs.xCurrentTimeInt64 = VfsCurrentTimeInt64;
        return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK ? vfs.zName : nullptr;
    }();
    return name;
}

} // namespace

std::string DatabaseFilePath(const std::string& folder) {
    if (folder.empty()) return kDatabaseFileName;
    return JoinPath(folder, kDatabaseFileName);
}

// ---------------------------------------------------------------------------------------------
// Statement cache

// The idle statements of one text. Lives in the cache's map (its address is stable) while
// statements of the text are idle or leased.
struct StatementCacheEntry {
    const std::string* Text = nullptr;                   // the map's key
    std::vector<std::unique_ptr<Statement>> Idle;
    std::size_t Leased = 0;
    std::uint64_t LastUse = 0;
};

// Owned by its connection and by every lease of its statements (a count, not atomic: a connection
// is used by one thread at a time); deleted with the last of them.
class StatementCache {
public:
    StatementCache(sqlite3* db, std::size_t limit, std::shared_ptr<TransactionWatch> watch)
        : db_(db), watch_(std::move(watch)), limit_(limit) {}
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    void AddRef() noexcept { ++refs_; }
    static void Unref(StatementCache* cache) noexcept {
        if (cache != nullptr && --cache->refs_ == 0) delete cache;
    }

    StatementLease Lease(std::string_view sql) {
        StatementCacheEntry* entry = Find(sql);
        if (entry == nullptr) {
            auto added = entries_.try_emplace(std::string(sql)).first;
            entry = &added->second;
            entry->Text = &added->first;
        }
        Remember(entry);
        entry->LastUse = ++clock_;
        std::unique_ptr<Statement> statement;
        if (!entry->Idle.empty()) {
            statement = std::move(entry->Idle.back());
            entry->Idle.pop_back();
            --idle_;
        } else {
            try {
                statement = std::make_unique<Statement>();
                statement->Prepare(db_, sql, SQLITE_PREPARE_PERSISTENT, watch_);
            } catch (...) {
                if (entry->Leased == 0) Erase(entry);
                throw;
            }
        }
        ++entry->Leased;
        AddRef();
        return StatementLease(this, entry, std::move(statement));
    }

    // Takes a statement back from its lease: kept idle (reset, bindings cleared) when the
    // connection is still open, the statement still holds the text and there is room.
    void Give(StatementCacheEntry* entry, std::unique_ptr<Statement> statement) noexcept {
        if (db_ == nullptr) return;   // closed since: the entry is gone, the statement is finalized
        --entry->Leased;
        if (limit_ > 0 && entry->Idle.size() < Connection::kIdlePerText && statement->IsPrepared() &&
            statement->GetSql() == *entry->Text) {
            statement->Reset();
            sqlite3_clear_bindings(statement->Handle());
            entry->Idle.push_back(std::move(statement));
            ++idle_;
            Trim();
        } else {
            statement.reset();
            if (entry->Idle.empty() && entry->Leased == 0) Erase(entry);
        }
    }

    void SetLimit(std::size_t limit) {
        limit_ = limit;
        Trim();
    }
    std::size_t IdleCount() const { return idle_; }

    // Finalizes every idle statement; the statements still leased are finalized when their lease
    // ends. The cache serves no more leases.
    void Clear() noexcept {
        recent_.fill(nullptr);
        entries_.clear();
        idle_ = 0;
        db_ = nullptr;
    }

private:
    ~StatementCache() { Clear(); }

    // The entry of a text: among the few leased last (compared whole, no hashing), else in the map.
    StatementCacheEntry* Find(std::string_view sql) {
        for (StatementCacheEntry* entry : recent_)
            if (entry != nullptr && entry->Text->size() == sql.size() &&
                std::char_traits<char>::compare(entry->Text->data(), sql.data(), sql.size()) == 0)
                return entry;
        auto found = entries_.find(sql);
        return found == entries_.end() ? nullptr : &found->second;
    }
    void Remember(StatementCacheEntry* entry) noexcept {
        if (recent_[0] == entry) return;
        std::size_t i = 1;
        while (i + 1 < recent_.size() && recent_[i] != entry) ++i;
        for (; i > 0; --i) recent_[i] = recent_[i - 1];
        recent_[0] = entry;
    }
    void Erase(StatementCacheEntry* entry) noexcept {
        for (StatementCacheEntry*& known : recent_)
            if (known == entry) known = nullptr;
        entries_.erase(*entry->Text);
    }

    // Drops the idle statements of the least recently leased texts until the limit holds.
    void Trim() noexcept {
        while (idle_ > limit_) {
            StatementCacheEntry* oldest = nullptr;
            for (auto& [text, entry] : entries_)
                if (!entry.Idle.empty() && (oldest == nullptr || entry.LastUse < oldest->LastUse)) oldest = &entry;
            if (oldest == nullptr) return;
            idle_ -= oldest->Idle.size();
            oldest->Idle.clear();
            if (oldest->Leased == 0) Erase(oldest);
        }
    }

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>()(text); }
    };

    std::size_t refs_ = 1;   // the connection's
    sqlite3* db_;            // null once the connection closed
    std::shared_ptr<TransactionWatch> watch_;
    std::size_t limit_;
    std::size_t idle_ = 0;
    std::uint64_t clock_ = 0;
    std::unordered_map<std::string, StatementCacheEntry, TextHash, std::equal_to<>> entries_;
    std::array<StatementCacheEntry*, 8> recent_{};   // most recently leased first
};

StatementLease::StatementLease(StatementCache* cache, StatementCacheEntry* entry, std::unique_ptr<Statement> statement)
    : cache_(cache), entry_(entry), statement_(std::move(statement)) {}

StatementLease::~StatementLease() {
    Return();
}

StatementLease::StatementLease(StatementLease&& other) noexcept
    : cache_(std::exchange(other.cache_, nullptr)),
      entry_(std::exchange(other.entry_, nullptr)),
      statement_(std::move(other.statement_)) {}

StatementLease& StatementLease::operator=(StatementLease&& other) noexcept {
    if (this != &other) {
        Return();
        cache_ = std::exchange(other.cache_, nullptr);
        entry_ = std::exchange(other.entry_, nullptr);
        statement_ = std::move(other.statement_);
    }
    return *this;
}

void StatementLease::Return() noexcept {
    if (!statement_) return;
    StatementCache* cache = std::exchange(cache_, nullptr);
    cache->Give(std::exchange(entry_, nullptr), std::move(statement_));
    StatementCache::Unref(cache);
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

// ---------------------------------------------------------------------------------------------
// Private copies of write-protected databases (see OpenMode)

// A copy of a database file and its -wal in a folder of its own, removed with the copy. The folder
// holds a lock file the copy keeps locked while it lives, so that a later start tells the copies of
// a program that is gone (killed) from those still read (RemoveStaleReadCopies).
class ReadCopy {
public:
    ReadCopy(std::string folder, std::string file, int lock)
        : folder_(std::move(folder)), file_(std::move(file)), lock_(lock) {}
    ~ReadCopy() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        if (lock_ >= 0) ::close(lock_);
    }
    ReadCopy(const ReadCopy&) = delete;
    ReadCopy& operator=(const ReadCopy&) = delete;

    const std::string& File() const { return file_; }

private:
    std::string folder_;
    std::string file_;
    int lock_;   // the folder's lock file, locked (flock) while the copy lives
};

namespace {

constexpr std::size_t kWalHeaderSize = 32;        // followed by the frames
constexpr std::size_t kWalFrameHeaderSize = 24;   // before each frame's page
constexpr int kCopyAttempts = 5;
constexpr const char* kCopyPrefix = "vektara-read-";
constexpr const char* kCopyLockName = "lock";
// A folder of a copy without its lock file is another program's at work on it for this long (it
// locks the file right after making the folder), or was left by a program that did not lock.
constexpr std::chrono::minutes kUnlockedCopyAge{60};
// The room a copy leaves on the temporary folder's disk, beside what it takes.
constexpr std::uint64_t kCopySpareBytes = 64ull << 20;

// The first bytes of a file, up to `count` (none when it cannot be read).
std::string FileHead(const std::string& path, std::size_t count) {
    std::string head(count, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t n = fd < 0 ? 0 : ::pread(fd, head.data(), count, 0);
    if (fd >= 0) ::close(fd);
    head.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return head;
}

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// SQLite's checksum of a -wal: pairs of 32-bit words, big- or little-endian as the magic says,
// run on from `sum`.
void WalChecksum(const unsigned char* data, std::size_t size, bool bigEndian, std::uint32_t sum[2]) {
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        std::uint32_t x0 = BigEndian32(data + i);
        std::uint32_t x1 = BigEndian32(data + i + 4);
        if (!bigEndian) {
            x0 = __builtin_bswap32(x0);
            x1 = __builtin_bswap32(x1);
        }
        sum[0] += x0 + sum[1];
        sum[1] += x1 + sum[0];
    }
}

// What SQLite reads of a -wal: its header and the frames after it, in order, that carry the
// header's salts and whose checksums run on from it, up to the last frame that ends a commit.
// Bytes 0 (nothing is read) for a missing file or one whose header is not valid.
//
//   header (32 bytes, big-endian): 0 magic 0x377f0682 (checksums of little-endian words) or
//   0x377f0683 (big-endian), 4 format 3007000, 8 page size (1 = 65536), 12 checkpoint sequence,
//   16 salt-1, 20 salt-2, 24 checksum of bytes 0-23
//   frame header (24 bytes): 0 page number, 4 database size in pages after a commit (else 0),
//   8 salt-1, 12 salt-2, 16 checksum of bytes 0-7 and the page, run on from the frame before
struct WalExtent {
    std::uint64_t bytes = 0;      // header and frames up to the last commit
    std::uint32_t pages = 0;      // database size in pages after that commit
    std::uint32_t pageSize = 0;
};

WalExtent ReadableWal(const std::string& wal) {
    WalExtent extent;
    const int fd = ::open(wal.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return extent;
    unsigned char header[kWalHeaderSize];
    if (::pread(fd, header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) {
        ::close(fd);
        return extent;
    }
    const std::uint32_t magic = BigEndian32(header);
    std::uint32_t pageSize = BigEndian32(header + 8);
    if (pageSize == 1) pageSize = 65536;
    const bool bigEndian = (magic & 1) != 0;
    std::uint32_t sum[2] = {0, 0};
    WalChecksum(header, 24, bigEndian, sum);
    if ((magic & 0xfffffffeu) != 0x377f0682u || BigEndian32(header + 4) != 3007000u || pageSize < 512 ||
        pageSize > 65536 || (pageSize & (pageSize - 1)) != 0 || sum[0] != BigEndian32(header + 24) ||
        sum[1] != BigEndian32(header + 28)) {
        ::close(fd);
        return extent;
    }
    std::vector<unsigned char> frame(kWalFrameHeaderSize + pageSize);
    std::uint64_t offset = kWalHeaderSize;
    while (::pread(fd, frame.data(), frame.size(), static_cast<off_t>(offset)) == static_cast<ssize_t>(frame.size())) {
        if (BigEndian32(frame.data()) == 0 || std::memcmp(frame.data() + 8, header + 16, 8) != 0) break;
        WalChecksum(frame.data(), 8, bigEndian, sum);
        WalChecksum(frame.data() + kWalFrameHeaderSize, pageSize, bigEndian, sum);
        if (sum[0] != BigEndian32(frame.data() + 16) || sum[1] != BigEndian32(frame.data() + 20)) break;
        offset += frame.size();
        if (const std::uint32_t pages = BigEndian32(frame.data() + 4); pages != 0) {
            extent.bytes = offset;
            extent.pages = pages;
        }
    }
    ::close(fd);
    extent.pageSize = pageSize;
    return extent;
}

// How much of the database file SQLite reads beside a -wal of that extent: its pages up to the
// size its header gives (when that size is valid) or the -wal's last commit gives, whichever is
// larger; the whole file when its header gives none.
std::uint64_t ReadableDatabaseBytes(const std::string& file, const WalExtent& wal) {
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(file, error);
    if (error) return 0;
    const std::string head = FileHead(file, 100);
    if (head.size() < 100) return size;
    const auto* h = reinterpret_cast<const unsigned char*>(head.data());
    std::uint32_t pageSize = (std::uint32_t{h[16]} << 8) | h[17];
    if (pageSize == 1) pageSize = 65536;
    const std::uint32_t pages = BigEndian32(h + 28);
    // The size in the header holds when the change counter matches the version-valid-for number.
    if (pageSize < 512 || pages == 0 || BigEndian32(h + 24) != BigEndian32(h + 92)) return size;
    const std::uint64_t read = std::uint64_t{std::max(pages, wal.pages)} * pageSize;
    return std::min(size, read);
}

// Whether a -wal holds frames that SQLite reads over the file's pages.
bool HoldsFrames(const std::string& wal) {
    return ReadableWal(wal).bytes > kWalHeaderSize;
}

[[noreturn]] void FailReadCopy(const std::string& file, const std::string& folder, int error) {
    const int code = error == ENOSPC || error == EDQUOT ? SQLITE_FULL : SQLITE_IOERR;
    throw ReadCopyError("Cannot copy the write-protected database into '" + folder + "' to read it: " +
                            std::strerror(error),
                        file, code);
}

std::string TemporaryFolder() {
    const char* temporary = std::getenv("TMPDIR");
    return temporary != nullptr && *temporary != '\0' ? temporary : "/tmp";
}

// Refuses a copy of `bytes` that would not leave kCopySpareBytes (or a tenth of the copy, when more)
// free on the temporary folder's disk.
void CheckCopyRoom(const std::string& file, const std::string& folder, std::uint64_t bytes) {
    struct statvfs disk {};
    if (::statvfs(folder.c_str(), &disk) != 0) return;   // the copy itself will tell
    const std::uint64_t free = std::uint64_t{disk.f_bavail} * disk.f_frsize;
    const std::uint64_t spare = std::max(kCopySpareBytes, bytes / 10);
    if (bytes <= free && free - bytes >= spare) return;
    constexpr std::uint64_t kMiB = 1 << 20;
    throw ReadCopyError("Not enough free space in '" + folder + "' to copy the write-protected database to read it: " +
                            std::to_string((bytes + spare + kMiB - 1) / kMiB) + " MB needed, " +
                            std::to_string(free / kMiB) + " MB free",
                        file, SQLITE_FULL);
}

// Copies the file and its -wal, as far as SQLite reads them, into a new private folder under the
// temporary folder. A copy taken while another program writes is consistent when the -wal kept its
// header (no restart) from before the file's copy to after its own: every page a checkpoint wrote
// into the file meanwhile is in the -wal copied after it, which SQLite reads up to its last whole
// commit.
std::shared_ptr<const ReadCopy> MakeReadCopy(const std::string& file) {
    static std::once_flag cleaned;
    std::call_once(cleaned, [] { RemoveStaleReadCopies(); });
    const std::string temporary = TemporaryFolder();
    const std::string wal = file + "-wal";
    WalExtent extent = ReadableWal(wal);
    CheckCopyRoom(file, temporary, ReadableDatabaseBytes(file, extent) + extent.bytes);
    std::string folder = JoinPath(temporary, std::string(kCopyPrefix) + "XXXXXX");
    if (mkdtemp(folder.data()) == nullptr) FailReadCopy(file, folder, errno);   // mode 0700
    const int lock = ::open(JoinPath(folder, kCopyLockName).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (lock >= 0) ::close(lock);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        FailReadCopy(file, folder, error);
    }
    auto copy = std::make_shared<ReadCopy>(folder, JoinPath(folder, std::filesystem::path(file).filename().string()), lock);
    const std::string copiedWal = copy->File() + "-wal";
    for (int attempt = 0; attempt < kCopyAttempts; ++attempt) {
        if (attempt > 0) extent = ReadableWal(wal);
        const FileIdentity source = FileIdentity::Of(file);
        const std::string header = FileHead(wal, kWalHeaderSize);
        int failed = CopyFileContent(file, copy->File(), ReadableDatabaseBytes(file, extent));
        if (failed == 0) failed = CopyFileContent(wal, copiedWal, extent.bytes);
        if (failed != 0) FailReadCopy(file, folder, failed);
        if (FileIdentity::Of(file) == source && FileHead(wal, kWalHeaderSize) == header &&
            FileHead(copiedWal, kWalHeaderSize) == header)
            return copy;
        ::unlink(copy->File().c_str());
        ::unlink(copiedWal.c_str());
    }
    throw ReadCopyError("The write-protected database kept changing while it was copied to read it", file,
                        SQLITE_BUSY);
}

} // namespace

void RemoveStaleReadCopies() {
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::directory_iterator it(TemporaryFolder(), error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        struct stat info {};
        if (name.rfind(kCopyPrefix, 0) != 0 || ::lstat(it->path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        const int lock = ::open(JoinPath(it->path().string(), kCopyLockName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        bool stale = false;
        if (lock >= 0) {
            stale = ::flock(lock, LOCK_EX | LOCK_NB) == 0;   // no living program holds it
        } else if (errno == ENOENT) {
            const auto age = std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(info.st_mtime);
            stale = age > kUnlockedCopyAge;
        }
        if (stale) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
        if (lock >= 0) ::close(lock);
    }
}

namespace {

// The copies of the process by source file (canonical path): the one its connections read, and
// the one kept while the file is retained.
struct CopyEntry {
    int retains = 0;
    std::shared_ptr<const ReadCopy> kept;
    std::weak_ptr<const ReadCopy> read;
};
std::mutex copiesMutex;
std::map<std::string, CopyEntry, std::less<>> copies;

std::string CopyKey(const std::string& file) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::weakly_canonical(file, error);
    return error ? file : path.string();
}

// The copy of `file` that other connections read or the pool keeps; a new one when there is none.
// Raises ReadCopyError.
std::shared_ptr<const ReadCopy> AcquireReadCopy(const std::string& file) {
    const std::lock_guard lock(copiesMutex);
    CopyEntry& entry = copies[CopyKey(file)];
    std::shared_ptr<const ReadCopy> copy = entry.read.lock();
    if (copy) return copy;
    copy = MakeReadCopy(file);
    entry.read = copy;
    if (entry.retains > 0) entry.kept = copy;
    return copy;
}

} // namespace

void RetainReadCopy(const std::string& file) {
    const std::string key = CopyKey(file);
    const std::lock_guard lock(copiesMutex);
    CopyEntry& entry = copies[key];
    if (entry.retains++ == 0) entry.kept = entry.read.lock();
}

void ReleaseReadCopy(const std::string& file) {
    const std::string key = CopyKey(file);
    const std::lock_guard lock(copiesMutex);
    const auto it = copies.find(key);
    if (it == copies.end() || it->second.retains == 0 || --it->second.retains > 0) return;
    it->second.kept.reset();
    if (it->second.read.expired()) copies.erase(it);
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
// Statement

Statement::Statement(Connection& connection, std::string_view sql) {
    Prepare(connection, sql);
}

Statement::~Statement() {
    Finalize();
}

Statement::Statement(Statement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      stmt_(std::exchange(other.stmt_, nullptr)),
      watch_(std::move(other.watch_)),
      sql_(std::move(other.sql_)),
      columnNames_(std::move(other.columnNames_)),
      parameterNames_(std::move(other.parameterNames_)),
      parameterIndexes_(std::move(other.parameterIndexes_)),
      nextParameter_(std::exchange(other.nextParameter_, 0)),
      hasRow_(std::exchange(other.hasRow_, false)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        Finalize();
        db_ = std::exchange(other.db_, nullptr);
        stmt_ = std::exchange(other.stmt_, nullptr);
        watch_ = std::move(other.watch_);
        sql_ = std::move(other.sql_);
        columnNames_ = std::move(other.columnNames_);
        parameterNames_ = std::move(other.parameterNames_);
        parameterIndexes_ = std::move(other.parameterIndexes_);
        nextParameter_ = std::exchange(other.nextParameter_, 0);
        hasRow_ = std::exchange(other.hasRow_, false);
    }
    return *this;
}

void Statement::Finalize() noexcept {
    if (stmt_ != nullptr) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    db_ = nullptr;
    watch_.reset();
    hasRow_ = false;
    columnNames_.clear();
    parameterNames_.clear();
    parameterIndexes_.clear();
    nextParameter_ = 0;
}

void Statement::Prepare(Connection& connection, std::string_view sql) {
    Prepare(connection.Handle(), sql, 0, connection.watch_);
}

void Statement::Prepare(sqlite3* db, std::string_view sql, unsigned flags, std::shared_ptr<TransactionWatch> watch) {
    Finalize();
    watch_ = std::move(watch);
    sql_.assign(sql);
    const char* tail = nullptr;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v3(db, sql_.data(), static_cast<int>(sql_.size()), flags, &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        throw DatabaseError(ErrorMessage(db, rc), sql_);
    }
    if (stmt == nullptr) throw DatabaseError("no SQL statement", sql_);
    // Whatever follows the statement may be blanks, semicolons and comments, nothing more.
    const char* end = sql_.data() + sql_.size();
    if (tail != nullptr && tail < end) {
        sqlite3_stmt* next = nullptr;
        rc = sqlite3_prepare_v2(db, tail, static_cast<int>(end - tail), &next, nullptr);
        bool extra = rc != SQLITE_OK || next != nullptr;
        sqlite3_finalize(next);
        if (extra) {
            sqlite3_finalize(stmt);
            throw DatabaseError("more than one SQL statement", sql_);
        }
    }
    db_ = db;
    stmt_ = stmt;

    const int columns = sqlite3_column_count(stmt_);
    columnNames_.reserve(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(stmt_, i);
        columnNames_.emplace_back(name != nullptr ? name : "");
    }

    const int parameters = sqlite3_bind_parameter_count(stmt_);
    for (int i = 1; i <= parameters; ++i) {
        const char* raw = sqlite3_bind_parameter_name(stmt_, i);
        if (raw == nullptr) continue;   // an anonymous "?"
        std::string_view name = StripParameterPrefix(raw);
        const int found = FindName(parameterNames_, name);
        if (found < 0) {
            parameterNames_.emplace_back(name);
            parameterIndexes_.push_back({i});
        } else {
            parameterIndexes_[static_cast<std::size_t>(found)].push_back(i);
        }
    }
}

int Statement::FindName(const std::vector<std::string>& names, std::string_view name, std::size_t from) {
    const std::size_t count = names.size();
    if (from >= count) from = 0;
    for (std::size_t n = 0, i = from; n < count; ++n, i = i + 1 == count ? 0 : i + 1)
        if (EqualNoCase(names[i], name)) return static_cast<int>(i);
    return -1;
}

void Statement::CheckPrepared() const {
    if (stmt_ == nullptr) throw DatabaseError("statement is not prepared", sql_);
}

void Statement::CheckColumn(int index) const {
    if (!hasRow_) throw DatabaseError("no current row", sql_);
    if (index < 0 || index >= ColumnCount())
        throw DatabaseError("column index out of range (" + std::to_string(index) + ")", sql_);
}

int Statement::RequireColumn(std::string_view name) const {
    int index = ColumnIndex(name);
    if (index < 0) throw DatabaseError("no column named '" + std::string(name) + "'", sql_);
    return index;
}

void Statement::Fail(int rc) const {
    throw DatabaseError(ErrorMessage(db_, rc), sql_);
}

void Statement::Check(int rc) const {
    if (rc != SQLITE_OK) Fail(rc);
}

bool Statement::HasParameter(std::string_view name) const {
    return FindName(parameterNames_, StripParameterPrefix(name)) >= 0;
}

std::vector<std::string> Statement::ParameterNames() const {
    return parameterNames_;
}

const std::vector<int>& Statement::ParameterIndexes(std::string_view name) const {
    CheckPrepared();
    const std::string_view bare = StripParameterPrefix(name);
    // Binds mostly follow the statement's order, each name spelled as in the statement.
    std::size_t at = nextParameter_;
    if (at >= parameterNames_.size() || parameterNames_[at] != bare) {
        const int found = FindName(parameterNames_, bare, at);
        if (found < 0) throw DatabaseError("parameter '" + std::string(name) + "' not found", sql_);
        at = static_cast<std::size_t>(found);
    }
    nextParameter_ = at + 1;
    return parameterIndexes_[at];
}

void Statement::BindNull(std::string_view name) {
    for (int i : ParameterIndexes(name)) Check(sqlite3_bind_null(stmt_, i));
}

void Statement::BindText(std::string_view name, std::string_view value) {
    if (value.empty()) {
        BindNull(name);
        return;
    }
    for (int i : ParameterIndexes(name))
        Check(sqlite3_bind_text(stmt_, i, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
}

void Statement::BindTextRef(std::string_view name, std::string_view value) {
    if (value.empty()) {
        BindNull(name);
        return;
    }
    for (int i : ParameterIndexes(name))
        Check(sqlite3_bind_text(stmt_, i, value.data(), static_cast<int>(value.size()), SQLITE_STATIC));
}

void Statement::BindInt64(std::string_view name, std::int64_t value) {
    for (int i : ParameterIndexes(name)) Check(sqlite3_bind_int64(stmt_, i, value));
}

void Statement::BindDouble(std::string_view name, double value) {
    for (int i : ParameterIndexes(name)) Check(sqlite3_bind_double(stmt_, i, value));
}

void Statement::BindBool(std::string_view name, bool value) {
    BindInt64(name, value ? 1 : 0);
}

void Statement::BindBlob(std::string_view name, const Bytes& value) {
    if (value.empty()) {
        BindNull(name);
        return;
    }
    for (int i : ParameterIndexes(name))
        Check(sqlite3_bind_blob(stmt_, i, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
}

void Statement::Bind(std::string_view name, const Variant& value, FieldType type) {
    if (value.IsEmptyOrNull()) {
        BindNull(name);
        return;
    }
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        BindText(name, value.AsString());
        return;
    case FieldType::SmallInt:
    case FieldType::Integer:
        BindInt64(name, value.AsInt64());
        return;
    case FieldType::Boolean:
        BindBool(name, value.AsBool());
        return;
    case FieldType::Float:
    case FieldType::Currency:
        BindDouble(name, value.AsDouble());
        return;
    case FieldType::Date:
        BindText(name, ToIsoDate(value.AsDateTime()));
        return;
    case FieldType::DateTime:
        BindText(name, ToIsoDateTime(value.AsDateTime()));
        return;
    case FieldType::Graphic:
    case FieldType::FmtMemo:
        if (value.GetKind() == Variant::Kind::Bytes) {
            BindBlob(name, value.AsBytes());
        } else {
            std::string text = value.AsString();
            BindBlob(name, Bytes(text.begin(), text.end()));
        }
        return;
    case FieldType::Unknown:
        break;
    }
    Bind(name, value);
}

void Statement::Bind(std::string_view name, const Variant& value) {
    switch (value.GetKind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
        BindNull(name);
        return;
    case Variant::Kind::Integer:
        BindInt64(name, value.AsInt64());
        return;
    case Variant::Kind::Double:
    case Variant::Kind::Currency:
        BindDouble(name, value.AsDouble());
        return;
    case Variant::Kind::Boolean:
        BindBool(name, value.AsBool());
        return;
    case Variant::Kind::Text:
        BindText(name, value.AsString());
        return;
    case Variant::Kind::DateTime: {
        TDateTime dt = value.AsDateTime();
        BindText(name, IsWholeDay(dt) ? ToIsoDate(dt) : ToIsoDateTime(dt));
        return;
    }
    case Variant::Kind::Bytes:
        BindBlob(name, value.AsBytes());
        return;
    }
}

void Statement::ClearBindings() {
    CheckPrepared();
    sqlite3_clear_bindings(stmt_);
}

bool Statement::Step() {
    CheckPrepared();
    const bool inTransaction = sqlite3_get_autocommit(db_) == 0;
    if (Lost(watch_.get(), inTransaction)) throw LostError(watch_.get(), sql_);
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        hasRow_ = true;
        return true;
    }
    hasRow_ = false;
    if (rc == SQLITE_DONE) return false;
    DatabaseError failure(ErrorMessage(db_, rc), sql_, rc);
    sqlite3_reset(stmt_);
    if (inTransaction) NoteFailure(db_, watch_.get(), failure);
    throw failure;
}

int Statement::Execute() {
    while (Step()) {
    }
    return sqlite3_changes(db_);
}

void Statement::Reset() {
    CheckPrepared();
    hasRow_ = false;
    // The result of reset repeats the error of the last step, already raised there.
    sqlite3_reset(stmt_);
}

const std::string& Statement::ColumnName(int index) const {
    if (index < 0 || index >= ColumnCount())
        throw DatabaseError("column index out of range (" + std::to_string(index) + ")", sql_);
    return columnNames_[static_cast<std::size_t>(index)];
}

int Statement::ColumnIndex(std::string_view name) const {
    return FindName(columnNames_, name);
}

StorageClass Statement::GetStorageClass(int index) const {
    CheckColumn(index);
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_INTEGER: return StorageClass::Integer;
    case SQLITE_FLOAT: return StorageClass::Real;
    case SQLITE_TEXT: return StorageClass::Text;
    case SQLITE_BLOB: return StorageClass::Blob;
    default: return StorageClass::Null;
    }
}

bool Statement::IsNull(int index) const {
    CheckColumn(index);
    return sqlite3_column_type(stmt_, index) == SQLITE_NULL;
}

std::string_view Statement::GetTextView(int index) const {
    CheckColumn(index);
    const unsigned char* text = sqlite3_column_text(stmt_, index);
    if (text == nullptr) return {};
    return {reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index))};
}

std::string Statement::GetText(int index) const {
    return std::string(GetTextView(index));
}

std::int64_t Statement::GetInt64(int index) const {
    CheckColumn(index);
    return sqlite3_column_int64(stmt_, index);
}

double Statement::GetDouble(int index) const {
    CheckColumn(index);
    return sqlite3_column_double(stmt_, index);
}

bool Statement::GetBool(int index) const {
    CheckColumn(index);
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL:
        return false;
    case SQLITE_INTEGER:
        return sqlite3_column_int64(stmt_, index) != 0;
    case SQLITE_TEXT: {
        std::string_view text = GetTextView(index);
        if (EqualNoCase(text, "true")) return true;
        if (EqualNoCase(text, "false")) return false;
        return sqlite3_column_double(stmt_, index) != 0.0;
    }
    default:
        return sqlite3_column_double(stmt_, index) != 0.0;
    }
}

Bytes Statement::GetBlob(int index) const {
    CheckColumn(index);
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, index));
    if (data == nullptr) return {};
    return Bytes(data, data + sqlite3_column_bytes(stmt_, index));
}

Variant Statement::GetVariant(int index, FieldType type) const {
    CheckColumn(index);
    const int storage = sqlite3_column_type(stmt_, index);
    if (storage == SQLITE_NULL) return Variant::Null();
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return Variant(GetText(index));
    case FieldType::SmallInt:
    case FieldType::Integer:
        return Variant(GetInt64(index));
    case FieldType::Boolean:
        return Variant(GetBool(index));
    case FieldType::Float:
        return Variant(GetDouble(index));
    case FieldType::Currency:
        return Variant(Currency::FromDouble(GetDouble(index)));
    case FieldType::Date:
    case FieldType::DateTime:
        if (storage == SQLITE_TEXT || storage == SQLITE_BLOB) {
            std::string_view text = GetTextView(index);
            if (text.empty()) return Variant::Null();
            return Variant::FromDateTime(FromIsoText(text));
        }
        return Variant::FromDateTime(GetDouble(index));
    case FieldType::Graphic:
    case FieldType::FmtMemo:
        return Variant(GetBlob(index));
    case FieldType::Unknown:
        break;
    }
    switch (storage) {
    case SQLITE_INTEGER: return Variant(GetInt64(index));
    case SQLITE_FLOAT: return Variant(GetDouble(index));
    case SQLITE_BLOB: return Variant(GetBlob(index));
    default: return Variant(GetText(index));
    }
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
