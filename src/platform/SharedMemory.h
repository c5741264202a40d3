#pragma once
// Named blocks of POSIX shared memory (shm_open) that one process publishes and others test for
// and read.
//
// The publisher holds an exclusive flock on the block for as long as it keeps the block, and
// removes the name when it closes it. The lock dies with the process, so a block whose publisher
// crashed is recognised as stale: IsSharedMappingLive answers false for it and removes its name.
// flock locks belong to an open file description, so the test works inside the publishing
// process too.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The POSIX name for a text name: "/" followed by the text with '/' and NUL replaced by '_', cut
// to 255 bytes; an empty text, "." and ".." get a '_' appended ("Quillore Vektara" gives
// "/Quillore Vektara").
std::string SharedMemoryName(std::string_view name);

// A mapped view of a named block. A default-constructed (or failed) mapping has no view.
struct SharedMapping {
    int Handle = -1;          // the descriptor of the block
    void* View = nullptr;     // Size bytes, mapped shared
    std::size_t Size = 0;
    std::string Name;         // the POSIX name
    bool Publisher = false;   // holds the lock; closing removes the name

    bool IsValid() const { return View != nullptr; }
};

// Publishes a block of `size` bytes (at least 1) under the name, read-write: creates it, or takes
// over a stale block of that name. When a live publisher already holds the name, the result maps
// that block as it is (its own size) without becoming its publisher. Failures give no view.
SharedMapping CreateSharedMapping(std::string_view name, std::size_t size);
// Maps the whole existing block of that name; failures (no such block) give no view.
SharedMapping OpenSharedMapping(std::string_view name, bool writable);
// Unmaps and closes; a publisher first removes the name. The mapping is left empty.
void CloseSharedMapping(SharedMapping& mapping);
// True when a block of that name exists and its publisher is alive. A block left by a publisher
// that ended without closing it is removed, and the answer is false.
bool IsSharedMappingLive(std::string_view name);

} // namespace platform
