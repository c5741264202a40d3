#pragma once
// Heap accounting of the benchmark process: every allocation of C++ code (the replaced global
// operator new / delete) and of SQLite (its allocator routed here before it starts) is counted in
// the usable bytes of the block, so one counter sees the whole peak of an operation.
#include <cstdint>

namespace bench {

// Routes SQLite's allocations through the counter. Call first thing in main, before any SQLite
// use; false when SQLite refused (it was already started).
bool InstallSqliteCounter();

// Bytes allocated now.
std::int64_t HeapBytesNow();
// Highest HeapBytesNow() since the last ResetHeapPeak().
std::int64_t HeapBytesPeak();
// Starts a new peak at the current level.
void ResetHeapPeak();

} // namespace bench
