#include "platform/SharedMemory.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t kMaxNameBytes = 255;
constexpr int kAttempts = 5;

// True when `name` still refers to the block open on `fd` (a checker may have removed a stale
// block between our open and our lock, or a new publisher may have replaced it).
bool NameRefersTo(int fd, const std::string& name)
{
    struct stat mine {};
    if (fstat(fd, &mine) != 0)
        return false;
    const int other = shm_open(name.c_str(), O_RDONLY, 0);
    if (other < 0)
        return false;
    struct stat theirs {};
    const bool same = fstat(other, &theirs) == 0 && theirs.st_dev == mine.st_dev && theirs.st_ino == mine.st_ino;
    close(other);
    return same;
}

bool MapWhole(SharedMapping& mapping, std::size_t size, bool writable)
{
    if (size == 0)
        return false;
    const int protection = writable ? PROT_READ | PROT_WRITE : PROT_READ;
    void* view = mmap(nullptr, size, protection, MAP_SHARED, mapping.Handle, 0);
    if (view == MAP_FAILED)
        return false;
    mapping.View = view;
    mapping.Size = size;
    return true;
}

std::size_t BlockSize(int fd)
{
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_size <= 0)
        return 0;
    return static_cast<std::size_t>(info.st_size);
}

} // namespace

std::string SharedMemoryName(std::string_view name)
{
    std::string result = "/";
    for (char c : name.substr(0, kMaxNameBytes - 1))
        result += c == '/' || c == '\0' ? '_' : c;
    if (result == "/" || result == "/." || result == "/..")
        result += '_';
    return result;
}

SharedMapping CreateSharedMapping(std::string_view name, std::size_t size)
{
    SharedMapping mapping;
    if (size == 0)
        return mapping;
    mapping.Name = SharedMemoryName(name);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        mapping.Handle = shm_open(mapping.Name.c_str(), O_RDWR | O_CREAT, 0600);
        if (mapping.Handle < 0)
            break;
        if (flock(mapping.Handle, LOCK_EX | LOCK_NB) == 0) {
            if (!NameRefersTo(mapping.Handle, mapping.Name)) {
                close(mapping.Handle);   // removed under us as stale: start again
                mapping.Handle = -1;
                continue;
            }
            mapping.Publisher = true;
            if (ftruncate(mapping.Handle, static_cast<off_t>(size)) == 0 && MapWhole(mapping, size, true))
                return mapping;
            shm_unlink(mapping.Name.c_str());
            break;
        }
        if (errno != EWOULDBLOCK)
            break;
        // Held: by a live publisher, or for a moment by a checker removing a stale block.
        if (attempt + 1 < kAttempts) {
            close(mapping.Handle);
            mapping.Handle = -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (MapWhole(mapping, BlockSize(mapping.Handle), true))
            return mapping;
        break;
    }
    if (mapping.Handle >= 0)
        close(mapping.Handle);
    return SharedMapping{};
}

SharedMapping OpenSharedMapping(std::string_view name, bool writable)
{
    SharedMapping mapping;
    mapping.Name = SharedMemoryName(name);
    mapping.Handle = shm_open(mapping.Name.c_str(), writable ? O_RDWR : O_RDONLY, 0);
    if (mapping.Handle < 0)
        return SharedMapping{};
    if (!MapWhole(mapping, BlockSize(mapping.Handle), writable)) {
        close(mapping.Handle);
        return SharedMapping{};
    }
    return mapping;
}

void CloseSharedMapping(SharedMapping& mapping)
{
    if (mapping.View != nullptr)
        munmap(mapping.View, mapping.Size);
    if (mapping.Handle >= 0) {
        // Remove the name while still holding the lock, and only when it is still ours.
        if (mapping.Publisher && NameRefersTo(mapping.Handle, mapping.Name))
            shm_unlink(mapping.Name.c_str());
        close(mapping.Handle);
    }
    mapping = SharedMapping{};
}

bool IsSharedMappingLive(std::string_view name)
{
    const std::string posixName = SharedMemoryName(name);
    const int fd = shm_open(posixName.c_str(), O_RDONLY, 0);
    if (fd < 0)
        return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return held;
    }
    // Nobody holds the block: its publisher is gone. Remove it unless it was replaced meanwhile.
    if (NameRefersTo(fd, posixName))
        shm_unlink(posixName.c_str());
    close(fd);
    return false;
}

} // namespace platform
