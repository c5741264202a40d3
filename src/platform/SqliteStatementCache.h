// A connection's idle prepared statements, leased by their text.
#pragma once

#include "platform/Sqlite.h"
#include "platform/SqliteInternal.h"

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {

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

} // namespace platform
