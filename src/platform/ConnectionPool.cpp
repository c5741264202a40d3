#include "platform/ConnectionPool.h"

#include "platform/Errors.h"
#include "platform/Files.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace platform {

struct ConnectionPool::Pooled {
    Connection connection;
    FileIdentity identity;
};

namespace {

struct FileEntry {
    int retains = 0;
    std::vector<std::unique_ptr<ConnectionPool::Pooled>> idle;
};

std::mutex poolMutex;
std::map<std::string, FileEntry, std::less<>> pool;

// Connections closed outside the lock (a close may checkpoint the file).
using Closing = std::vector<std::unique_ptr<ConnectionPool::Pooled>>;

} // namespace

void ConnectionPool::Retain(const std::string& file) {
    const std::lock_guard lock(poolMutex);
    if (pool[file].retains++ == 0) RetainReadCopy(file);
}

void ConnectionPool::Release(const std::string& file) {
    Closing closing;
    {
        const std::lock_guard lock(poolMutex);
        const auto it = pool.find(file);
        if (it == pool.end()) return;
        if (--it->second.retains > 0) return;
        closing = std::move(it->second.idle);
        pool.erase(it);
        ReleaseReadCopy(file);
    }
}

bool ConnectionPool::IsRetained(const std::string& file) {
    const std::lock_guard lock(poolMutex);
    return pool.contains(file);
}

std::size_t ConnectionPool::IdleCount(const std::string& file) {
    const std::lock_guard lock(poolMutex);
    const auto it = pool.find(file);
    return it == pool.end() ? 0 : it->second.idle.size();
}

ConnectionPool::Lease ConnectionPool::Acquire(const std::string& file) {
    const FileIdentity identity = FileIdentity::Of(file);
    Closing closing;
    bool pooled = false;
    {
        const std::lock_guard lock(poolMutex);
        const auto it = pool.find(file);
        if (it != pool.end()) {
            pooled = identity.exists;
            auto& idle = it->second.idle;
            while (!idle.empty()) {
                std::unique_ptr<Pooled> connection = std::move(idle.back());
                idle.pop_back();
                if (connection->identity == identity) return Lease(std::move(connection), file, true);
                closing.push_back(std::move(connection));   // the file was replaced or removed
            }
        }
    }
    auto connection = std::make_unique<Pooled>();
    connection->connection.Open(file, OpenMode::ReadWriteOrReadOnly);
    connection->identity = identity;
    return Lease(std::move(connection), file, pooled);
}

ConnectionPool::Lease::Lease(std::unique_ptr<Pooled> connection, std::string file, bool pooled)
    : connection_(std::move(connection)), file_(std::move(file)), pooled_(pooled) {}

ConnectionPool::Lease::Lease() = default;

ConnectionPool::Lease::~Lease() { Return(); }

ConnectionPool::Lease::Lease(Lease&& other) noexcept
    : connection_(std::move(other.connection_)), file_(std::move(other.file_)),
      pooled_(std::exchange(other.pooled_, false)) {}

ConnectionPool::Lease& ConnectionPool::Lease::operator=(Lease&& other) noexcept {
    if (this != &other) {
        Return();
        connection_ = std::move(other.connection_);
        file_ = std::move(other.file_);
        pooled_ = std::exchange(other.pooled_, false);
    }
    return *this;
}

Connection& ConnectionPool::Lease::operator*() const {
    if (!connection_) throw DatabaseError("No connection is leased");
    return connection_->connection;
}

void ConnectionPool::Lease::Return() noexcept {
    std::unique_ptr<Pooled> connection = std::move(connection_);
    if (!connection) return;
    // One that reads the file as unchanging would not see later changes: each listing tries anew.
    if (!std::exchange(pooled_, false) || !connection->connection.IsIdle() || connection->connection.IsImmutable())
        return;   // closed here
    const std::lock_guard lock(poolMutex);
    const auto it = pool.find(file_);
    if (it != pool.end()) it->second.idle.push_back(std::move(connection));
}

} // namespace platform
