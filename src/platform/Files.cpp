#include "platform/Files.h"

#include "platform/Errors.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace platform {

namespace {

[[noreturn]] void ThrowFileError(const std::string& what, const std::string& path, int error)
{
    throw FileError(what + " '" + path + "': " + std::strerror(error));
}

// Closes a descriptor and removes the temporary file unless released.
class TempFile {
public:
    TempFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~TempFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int Fd() const { return fd_; }
    const std::string& Path() const { return path_; }
    int Close()
    {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }
    void Release() { path_.clear(); }

private:
    int fd_;
    std::string path_;
};

TempFile CreateTempBeside(const std::string& path)
{
    thread_local std::mt19937_64 generator{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = path + ".tmp-" + IntToHex(static_cast<std::int64_t>(generator() >> 16), 12);
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return TempFile(fd, candidate);
        if (errno != EEXIST)
            ThrowFileError("Cannot create a temporary file for", path, errno);
    }
    ThrowFileError("Cannot create a temporary file for", path, EEXIST);
}

void SyncFolderOf(const std::string& path)
{
    const std::string folder = fs::path(path).parent_path().string();
    const char* dir = folder.empty() ? "." : folder.c_str();
    const int fd = ::open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return; // the rename is done; a folder that cannot be opened only loses the durability hint
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool FolderExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

namespace {

// Whether the effective user may write the path: 0 yes, else the reason's errno (ENOENT for a
// path that does not exist).
int WriteAccess(const std::string& path)
{
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

} // namespace

WriteBarrier FindWriteBarrier(const std::string& file)
{
    std::string folder = fs::path(file).parent_path().string();
    if (folder.empty()) folder = ".";
    const struct {
        std::string path;
        WriteBarrier barrier;
    } checks[] = {{file, WriteBarrier::File},
                  {file + "-wal", WriteBarrier::File},
                  {file + "-shm", WriteBarrier::File},
                  {folder, WriteBarrier::Folder}};
    for (const auto& check : checks) {
        const int denied = WriteAccess(check.path);
        if (denied == EROFS) return WriteBarrier::Medium;
        if (denied != 0 && denied != ENOENT) return check.barrier;
    }
    return WriteBarrier::None;
}

FileIdentity FileIdentity::Of(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return {};
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), true};
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    if (path.empty())
        return false;
    const fs::file_status status = fs::status(path, ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

std::string FindFileNoCase(const std::string& folder, std::string_view name)
{
    if (name.empty())
        return {};
    const std::string exact = JoinPath(folder, name);
    if (FileExists(exact))
        return exact;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    if (ec)
        return {};
    std::string best;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const std::string entryName = it->path().filename().string();
        if (!SameText(entryName, name))
            continue;
        std::error_code typeEc;
        if (it->is_directory(typeEc))
            continue;
        if (best.empty() || entryName < best)
            best = entryName;
    }
    return best.empty() ? std::string() : JoinPath(folder, best);
}

std::string JoinPath(std::string_view folder, std::string_view name)
{
    if (folder.empty())
        return std::string(name);
    if (name.empty())
        return std::string(folder);
    std::string result(folder);
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    while (!name.empty() && name.front() == '/')
        name.remove_prefix(1);
    if (result.back() != '/')
        result += '/';
    result += name;
    return result;
}

std::string ReadFileBytes(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        ThrowFileError("Cannot open", path, errno);
    // Read straight into the string, sized by the file's length and one byte more, so that the end
    // is a read of nothing: a string grown piece by piece is copied, and takes fresh pages, each time
    // it grows. A file of unknown length (a pipe, a /proc file) or one that grew meanwhile grows it.
    struct stat info {};
    const bool sized = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    std::string bytes(sized ? static_cast<std::size_t>(info.st_size) + 1 : 65536, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(2 * bytes.size());
        const ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            ThrowFileError("Cannot read", path, error);
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(used);
    return bytes;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes)
{
    if (path.empty())
        throw FileError("Cannot write a file without a name");
    TempFile temp = CreateTempBeside(path);

    struct stat targetStat;
    if (::stat(path.c_str(), &targetStat) == 0 && S_ISREG(targetStat.st_mode))
        ::fchmod(temp.Fd(), targetStat.st_mode & 07777);

    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(temp.Fd(), data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowFileError("Cannot write", path, errno);
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(temp.Fd()) != 0)
        ThrowFileError("Cannot write", path, errno);
    if (temp.Close() != 0)
        ThrowFileError("Cannot write", path, errno);
    if (::rename(temp.Path().c_str(), path.c_str()) != 0)
        ThrowFileError("Cannot replace", path, errno);
    temp.Release();
    SyncFolderOf(path);
}

int CopyFileContent(const std::string& from, const std::string& to, std::uint64_t limit)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    TempFile out(fd, to);   // removed unless the copy completes
    std::vector<char> buffer(1 << 20);
    int error = 0;
    for (ssize_t n = 0; error == 0 && limit > 0 &&
                        (n = ::read(in, buffer.data(), static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), limit)))) != 0;) {
        if (n < 0) {
            error = errno == EINTR ? 0 : errno;
            continue;
        }
        limit -= static_cast<std::uint64_t>(n);
        for (ssize_t done = 0; error == 0 && done < n;) {
            const ssize_t written = ::write(out.Fd(), buffer.data() + done, static_cast<std::size_t>(n - done));
            if (written >= 0)
                done += written;
            else if (errno != EINTR)
                error = errno;
        }
    }
    ::close(in);
    if (out.Close() != 0 && error == 0)
        error = errno;
    if (error == 0)
        out.Release();
    return error;
}

bool RemoveFile(const std::string& path)
{
    if (::unlink(path.c_str()) == 0)
        return true;
    if (errno == ENOENT)
        return false;
    ThrowFileError("Cannot remove", path, errno);
}

} // namespace platform
