// What the SQLite layer's units share and no caller sees: a connection's watch over its
// transaction, the failure bookkeeping of statements and scopes, the connections' file system and
// the read copies' lookup.
#pragma once

#include "platform/Errors.h"
#include "platform/Sqlite.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <unistd.h>

struct sqlite3;

namespace platform {

struct TransactionWatch {
    int scopes = 0;                        // open Savepoints and Transactions of the connection
    std::optional<DatabaseError> lostBy;   // the first failure that ended their transaction
};

bool EqualNoCase(std::string_view a, std::string_view b);
// SQLite's message of the connection's last failure, or of `rc` without a connection.
std::string ErrorMessage(sqlite3* db, int rc);

// What a statement meets while scopes of the layer are open and their transaction is gone: the
// failure that ended it (nothing more runs in it: in autocommit each statement would be kept).
DatabaseError LostError(const TransactionWatch* watch, const std::string& where);
// Whether scopes of the layer are open while their transaction is gone.
bool Lost(const TransactionWatch* watch, bool inTransaction);
// After a statement run inside a transaction failed with `error`: a failure that ends the
// transaction ends it (when SQLite has not), and the first such failure is kept while scopes of the
// layer are open.
void NoteFailure(sqlite3* db, TransactionWatch* watch, const DatabaseError& error);

// The file system to open connections with (SqliteJournal.cpp); null (SQLite's default) when it
// could not be registered.
const char* ConnectionVfs();

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

// Whether a -wal holds frames that SQLite reads over the file's pages.
bool HoldsFrames(const std::string& wal);
// The private copy of a write-protected database file, made or shared (SqliteReadCopy.cpp).
std::shared_ptr<const ReadCopy> AcquireReadCopy(const std::string& file);

} // namespace platform
