#pragma once
// ConnectionPool: read connections to a database file kept open while the file is retained.
//
// Retain / Release are counted per file path (the text as given; callers use DatabaseFilePath).
// While a file is retained, Acquire hands out an idle pooled connection (opened on first need)
// and takes it back when its lease ends; leases alive at once (a nested listing) get distinct
// connections. A file not retained gets a connection of its own, closed when the lease ends. The
// last Release closes the idle connections; one leased then closes when its lease ends.
//
// A pooled connection goes back only when no transaction is open on it: its user ends (resets
// or finalizes) its statements first, so an idle connection holds no read snapshot and later
// reads see committed writes. One that sees no later change (a write-protected folder,
// Connection::IsImmutable) never goes back: it would not see them; the private copy such a
// connection may read is kept while the file is retained (RetainReadCopy), so that each listing
// opens the same copy again. A file replaced or removed since a connection was opened drops
// that connection instead of reusing it. The pool is guarded by a mutex; a leased connection
// itself is used by one thread at a time, as every Connection.
#include "platform/Sqlite.h"

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

class ConnectionPool {
public:
    class Lease;

    static void Retain(const std::string& file);
    // Uncounts one Retain; a file not retained is left alone.
    static void Release(const std::string& file);
    static bool IsRetained(const std::string& file);
    // A connection to `file` opened ReadWriteOrReadOnly (the file is never created); raises
    // DatabaseError as Connection::Open does.
    static Lease Acquire(const std::string& file);
    // Idle pooled connections of the file.
    static std::size_t IdleCount(const std::string& file);

    struct Pooled;   // a pooled connection and the identity of the file it opened (ConnectionPool.cpp)
};

// A connection handed out by ConnectionPool::Acquire; gives it back (or closes it) when it ends.
class ConnectionPool::Lease {
public:
    Lease();
    ~Lease();
    Lease(Lease&& other) noexcept;
    Lease& operator=(Lease&& other) noexcept;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    Connection& operator*() const;
    Connection* operator->() const { return &**this; }
    // Whether the connection came from (and goes back to) the pool.
    bool IsPooled() const { return pooled_; }
    // Ends the lease now; harmless when nothing is leased.
    void Return() noexcept;

private:
    friend class ConnectionPool;
    Lease(std::unique_ptr<Pooled> connection, std::string file, bool pooled);

    std::unique_ptr<Pooled> connection_;
    std::string file_;
    bool pooled_ = false;
};

} // namespace platform
