#include "platform/SqliteStatementCache.h"

namespace platform {

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

} // namespace platform
