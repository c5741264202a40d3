// The connections' file system: SQLite's own but for statement journals, kept in memory blocks.
#include "platform/SqliteInternal.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

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

} // namespace

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

} // namespace platform
