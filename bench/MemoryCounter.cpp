#include "MemoryCounter.h"

#include <malloc.h>
#include <sqlite3.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace bench {

namespace {

std::atomic<std::int64_t> now{0};
std::atomic<std::int64_t> peak{0};

void Counted(void* block) {
    if (!block) return;
    const std::int64_t level =
        now.fetch_add(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed) +
        static_cast<std::int64_t>(malloc_usable_size(block));
    std::int64_t high = peak.load(std::memory_order_relaxed);
    while (level > high && !peak.compare_exchange_weak(high, level, std::memory_order_relaxed)) {}
}

void Uncounted(void* block) {
    if (block) now.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
}

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (!block) throw std::bad_alloc();
    Counted(block);
    return block;
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    void* block = nullptr;
    if (posix_memalign(&block, static_cast<std::size_t>(alignment), size == 0 ? 1 : size) != 0) throw std::bad_alloc();
    Counted(block);
    return block;
}

void Release(void* block) noexcept {
    Uncounted(block);
    std::free(block);
}

// SQLite's allocator methods over the same counter.
void* SqliteMalloc(int size) {
    void* block = std::malloc(static_cast<std::size_t>(size));
    Counted(block);
    return block;
}
void SqliteFree(void* block) { Release(block); }
void* SqliteRealloc(void* block, int size) {
    Uncounted(block);
    void* moved = std::realloc(block, static_cast<std::size_t>(size));
    Counted(moved ? moved : block);
    return moved;
}
int SqliteSize(void* block) { return block ? static_cast<int>(malloc_usable_size(block)) : 0; }
int SqliteRoundup(int size) { return (size + 7) & ~7; }
int SqliteInit(void*) { return SQLITE_OK; }
void SqliteShutdown(void*) {}

} // namespace

bool InstallSqliteCounter() {
    static const sqlite3_mem_methods methods = {SqliteMalloc,  SqliteFree, SqliteRealloc,  SqliteSize,
                                                SqliteRoundup, SqliteInit, SqliteShutdown, nullptr};
    return sqlite3_config(SQLITE_CONFIG_MALLOC, &methods) == SQLITE_OK;
}

std::int64_t HeapBytesNow() { return now.load(std::memory_order_relaxed); }

std::int64_t HeapBytesPeak() { return peak.load(std::memory_order_relaxed); }

void ResetHeapPeak() { peak.store(now.load(std::memory_order_relaxed), std::memory_order_relaxed); }

} // namespace bench

// The replaced global allocation functions (all forms route to the four helpers above).
void* operator new(std::size_t size) { return bench::Allocate(size); }
void* operator new[](std::size_t size) { return bench::Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return bench::Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return bench::Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment) { return bench::AllocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return bench::AllocateAligned(size, alignment); }
void operator delete(void* block) noexcept { bench::Release(block); }
void operator delete[](void* block) noexcept { bench::Release(block); }
void operator delete(void* block, std::size_t) noexcept { bench::Release(block); }
void operator delete[](void* block, std::size_t) noexcept { bench::Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { bench::Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { bench::Release(block); }
void operator delete(void* block, std::align_val_t) noexcept { bench::Release(block); }
void operator delete[](void* block, std::align_val_t) noexcept { bench::Release(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { bench::Release(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { bench::Release(block); }
