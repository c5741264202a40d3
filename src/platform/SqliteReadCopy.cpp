// Private copies of write-protected databases (see OpenMode): what SQLite would read of a file and
// its -wal, in a locked folder of its own that goes with the program.
#include "platform/SqliteInternal.h"

#include "platform/Files.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t kWalHeaderSize = 32;        // followed by the frames
constexpr std::size_t kWalFrameHeaderSize = 24;   // before each frame's page
constexpr int kCopyAttempts = 5;
constexpr const char* kCopyPrefix = "vektara-read-";
constexpr const char* kCopyLockName = "lock";
// A folder of a copy without its lock file is another program's at work on it for this long (it
// locks the file right after making the folder), or was left by a program that did not lock.
constexpr std::chrono::minutes kUnlockedCopyAge{60};
// The room a copy leaves on the temporary folder's disk, beside what it takes.
constexpr std::uint64_t kCopySpareBytes = 64ull << 20;

// The first bytes of a file, up to `count` (none when it cannot be read).
std::string FileHead(const std::string& path, std::size_t count) {
    std::string head(count, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t n = fd < 0 ? 0 : ::pread(fd, head.data(), count, 0);
    if (fd >= 0) ::close(fd);
    head.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return head;
}

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// SQLite's checksum of a -wal: pairs of 32-bit words, big- or little-endian as the magic says,
// run on from `sum`.
void WalChecksum(const unsigned char* data, std::size_t size, bool bigEndian, std::uint32_t sum[2]) {
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        std::uint32_t x0 = BigEndian32(data + i);
        std::uint32_t x1 = BigEndian32(data + i + 4);
        if (!bigEndian) {
            x0 = __builtin_bswap32(x0);
            x1 = __builtin_bswap32(x1);
        }
        sum[0] += x0 + sum[1];
        sum[1] += x1 + sum[0];
    }
}

// What SQLite reads of a -wal: its header and the frames after it, in order, that carry the
// header's salts and whose checksums run on from it, up to the last frame that ends a commit.
// Bytes 0 (nothing is read) for a missing file or one whose header is not valid.
//
//   header (32 bytes, big-endian): 0 magic 0x377f0682 (checksums of little-endian words) or
//   0x377f0683 (big-endian), 4 format 3007000, 8 page size (1 = 65536), 12 checkpoint sequence,
//   16 salt-1, 20 salt-2, 24 checksum of bytes 0-23
//   frame header (24 bytes): 0 page number, 4 database size in pages after a commit (else 0),
//   8 salt-1, 12 salt-2, 16 checksum of bytes 0-7 and the page, run on from the frame before
struct WalExtent {
    std::uint64_t bytes = 0;      // header and frames up to the last commit
    std::uint32_t pages = 0;      // database size in pages after that commit
    std::uint32_t pageSize = 0;
};

WalExtent ReadableWal(const std::string& wal) {
    WalExtent extent;
    const int fd = ::open(wal.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return extent;
    unsigned char header[kWalHeaderSize];
    if (::pread(fd, header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) {
        ::close(fd);
        return extent;
    }
    const std::uint32_t magic = BigEndian32(header);
    std::uint32_t pageSize = BigEndian32(header + 8);
    if (pageSize == 1) pageSize = 65536;
    const bool bigEndian = (magic & 1) != 0;
    std::uint32_t sum[2] = {0, 0};
    WalChecksum(header, 24, bigEndian, sum);
    if ((magic & 0xfffffffeu) != 0x377f0682u || BigEndian32(header + 4) != 3007000u || pageSize < 512 ||
        pageSize > 65536 || (pageSize & (pageSize - 1)) != 0 || sum[0] != BigEndian32(header + 24) ||
        sum[1] != BigEndian32(header + 28)) {
        ::close(fd);
        return extent;
    }
    std::vector<unsigned char> frame(kWalFrameHeaderSize + pageSize);
    std::uint64_t offset = kWalHeaderSize;
    while (::pread(fd, frame.data(), frame.size(), static_cast<off_t>(offset)) == static_cast<ssize_t>(frame.size())) {
        if (BigEndian32(frame.data()) == 0 || std::memcmp(frame.data() + 8, header + 16, 8) != 0) break;
        WalChecksum(frame.data(), 8, bigEndian, sum);
        WalChecksum(frame.data() + kWalFrameHeaderSize, pageSize, bigEndian, sum);
        if (sum[0] != BigEndian32(frame.data() + 16) || sum[1] != BigEndian32(frame.data() + 20)) break;
        offset += frame.size();
        if (const std::uint32_t pages = BigEndian32(frame.data() + 4); pages != 0) {
            extent.bytes = offset;
            extent.pages = pages;
        }
    }
    ::close(fd);
    extent.pageSize = pageSize;
    return extent;
}

// How much of the database file SQLite reads beside a -wal of that extent: its pages up to the
// size its header gives (when that size is valid) or the -wal's last commit gives, whichever is
// larger; the whole file when its header gives none.
std::uint64_t ReadableDatabaseBytes(const std::string& file, const WalExtent& wal) {
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(file, error);
    if (error) return 0;
    const std::string head = FileHead(file, 100);
    if (head.size() < 100) return size;
    const auto* h = reinterpret_cast<const unsigned char*>(head.data());
    std::uint32_t pageSize = (std::uint32_t{h[16]} << 8) | h[17];
    if (pageSize == 1) pageSize = 65536;
    const std::uint32_t pages = BigEndian32(h + 28);
    // The size in the header holds when the change counter matches the version-valid-for number.
    if (pageSize < 512 || pages == 0 || BigEndian32(h + 24) != BigEndian32(h + 92)) return size;
    const std::uint64_t read = std::uint64_t{std::max(pages, wal.pages)} * pageSize;
    return std::min(size, read);
}

} // namespace

bool HoldsFrames(const std::string& wal) {
    return ReadableWal(wal).bytes > kWalHeaderSize;
}

namespace {

[[noreturn]] void FailReadCopy(const std::string& file, const std::string& folder, int error) {
    const int code = error == ENOSPC || error == EDQUOT ? SQLITE_FULL : SQLITE_IOERR;
    throw ReadCopyError("Cannot copy the write-protected database into '" + folder + "' to read it: " +
                            std::strerror(error),
                        file, code);
}

std::string TemporaryFolder() {
    const char* temporary = std::getenv("TMPDIR");
    return temporary != nullptr && *temporary != '\0' ? temporary : "/tmp";
}

// Refuses a copy of `bytes` that would not leave kCopySpareBytes (or a tenth of the copy, when more)
// free on the temporary folder's disk.
void CheckCopyRoom(const std::string& file, const std::string& folder, std::uint64_t bytes) {
    struct statvfs disk {};
    if (::statvfs(folder.c_str(), &disk) != 0) return;   // the copy itself will tell
    const std::uint64_t free = std::uint64_t{disk.f_bavail} * disk.f_frsize;
    const std::uint64_t spare = std::max(kCopySpareBytes, bytes / 10);
    if (bytes <= free && free - bytes >= spare) return;
    constexpr std::uint64_t kMiB = 1 << 20;
    throw ReadCopyError("Not enough free space in '" + folder + "' to copy the write-protected database to read it: " +
                            std::to_string((bytes + spare + kMiB - 1) / kMiB) + " MB needed, " +
                            std::to_string(free / kMiB) + " MB free",
                        file, SQLITE_FULL);
}

// Copies the file and its -wal, as far as SQLite reads them, into a new private folder under the
// temporary folder. A copy taken while another program writes is consistent when the -wal kept its
// header (no restart) from before the file's copy to after its own: every page a checkpoint wrote
// into the file meanwhile is in the -wal copied after it, which SQLite reads up to its last whole
// commit.
std::shared_ptr<const ReadCopy> MakeReadCopy(const std::string& file) {
    static std::once_flag cleaned;
    std::call_once(cleaned, [] { RemoveStaleReadCopies(); });
    const std::string temporary = TemporaryFolder();
    const std::string wal = file + "-wal";
    WalExtent extent = ReadableWal(wal);
    CheckCopyRoom(file, temporary, ReadableDatabaseBytes(file, extent) + extent.bytes);
    std::string folder = JoinPath(temporary, std::string(kCopyPrefix) + "XXXXXX");
    if (mkdtemp(folder.data()) == nullptr) FailReadCopy(file, folder, errno);   // mode 0700
    const int lock = ::open(JoinPath(folder, kCopyLockName).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (lock >= 0) ::close(lock);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        FailReadCopy(file, folder, error);
    }
    auto copy = std::make_shared<ReadCopy>(folder, JoinPath(folder, std::filesystem::path(file).filename().string()), lock);
    const std::string copiedWal = copy->File() + "-wal";
    for (int attempt = 0; attempt < kCopyAttempts; ++attempt) {
        if (attempt > 0) extent = ReadableWal(wal);
        const FileIdentity source = FileIdentity::Of(file);
        const std::string header = FileHead(wal, kWalHeaderSize);
        int failed = CopyFileContent(file, copy->File(), ReadableDatabaseBytes(file, extent));
        if (failed == 0) failed = CopyFileContent(wal, copiedWal, extent.bytes);
        if (failed != 0) FailReadCopy(file, folder, failed);
        if (FileIdentity::Of(file) == source && FileHead(wal, kWalHeaderSize) == header &&
            FileHead(copiedWal, kWalHeaderSize) == header)
            return copy;
        ::unlink(copy->File().c_str());
        ::unlink(copiedWal.c_str());
    }
    throw ReadCopyError("The write-protected database kept changing while it was copied to read it", file,
                        SQLITE_BUSY);
}

} // namespace

void RemoveStaleReadCopies() {
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::directory_iterator it(TemporaryFolder(), error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        struct stat info {};
        if (name.rfind(kCopyPrefix, 0) != 0 || ::lstat(it->path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        const int lock = ::open(JoinPath(it->path().string(), kCopyLockName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        bool stale = false;
        if (lock >= 0) {
            stale = ::flock(lock, LOCK_EX | LOCK_NB) == 0;   // no living program holds it
        } else if (errno == ENOENT) {
            const auto age = std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(info.st_mtime);
            stale = age > kUnlockedCopyAge;
        }
        if (stale) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
        if (lock >= 0) ::close(lock);
    }
}

namespace {

// The copies of the process by source file (canonical path): the one its connections read, and
// the one kept while the file is retained.
struct CopyEntry {
    int retains = 0;
    std::shared_ptr<const ReadCopy> kept;
    std::weak_ptr<const ReadCopy> read;
};
std::mutex copiesMutex;
std::map<std::string, CopyEntry, std::less<>> copies;

std::string CopyKey(const std::string& file) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::weakly_canonical(file, error);
    return error ? file : path.string();
}

} // namespace

// The copy of `file` that other connections read or the pool keeps; a new one when there is none.
// Raises ReadCopyError.
std::shared_ptr<const ReadCopy> AcquireReadCopy(const std::string& file) {
    const std::lock_guard lock(copiesMutex);
    CopyEntry& entry = copies[CopyKey(file)];
    std::shared_ptr<const ReadCopy> copy = entry.read.lock();
    if (copy) return copy;
    copy = MakeReadCopy(file);
    entry.read = copy;
    if (entry.retains > 0) entry.kept = copy;
    return copy;
}

void RetainReadCopy(const std::string& file) {
    const std::string key = CopyKey(file);
    const std::lock_guard lock(copiesMutex);
    CopyEntry& entry = copies[key];
    if (entry.retains++ == 0) entry.kept = entry.read.lock();
}

void ReleaseReadCopy(const std::string& file) {
    const std::string key = CopyKey(file);
    const std::lock_guard lock(copiesMutex);
    const auto it = copies.find(key);
    if (it == copies.end() || it->second.retains == 0 || --it->second.retains > 0) return;
    it->second.kept.reset();
    if (it->second.read.expired()) copies.erase(it);
}

} // namespace platform
