#pragma once
// File-system helpers over std::filesystem. Paths are UTF-8 strings. The tests of existence never
// raise; reading and writing raise FileError naming the path and the system's reason.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace platform {

// True when the path names an existing folder (a symbolic link to one counts).
bool FolderExists(const std::string& path);
// True when the path names an existing file that is not a folder.
bool FileExists(const std::string& path);

// Which file a path names now (device and inode); a missing file or a folder has no identity.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool exists = false;

    static FileIdentity Of(const std::string& path);
    bool operator==(const FileIdentity&) const = default;
};

// What keeps this process (its effective user) from writing a file: the medium holding it is
// mounted read-only; the file, or its "-wal" or "-shm" companion, is not writable for the user;
// the folder is not (a file kept with companions needs to make them there). None when nothing is
// found (the file may still be locked or damaged).
enum class WriteBarrier { None, Medium, File, Folder };
WriteBarrier FindWriteBarrier(const std::string& file);

// Looks in `folder` (not below it) for a file whose name equals `name` ignoring ASCII letter case;
// returns its real path (folder joined with the name as stored), or "" when there is none. An exact
// match wins; otherwise the first match in byte order of the names.
std::string FindFileNoCase(const std::string& folder, std::string_view name);

// Joins two path pieces with exactly one '/' between them; an empty piece yields the other.
std::string JoinPath(std::string_view folder, std::string_view name);

// The whole content of a file as bytes.
std::string ReadFileBytes(const std::string& path);

// Replaces the file's content atomically: writes a temporary file in the same folder, flushes it
// to disk and renames it over the target, so readers see the old or the new content, never a mix.
// A target that exists keeps its permission bits. On failure the temporary file is removed, the
// target is untouched and FileError is raised.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// Copies the content of `from` into `to`, made anew (mode 0600; an existing `to` is a failure), at
// most its first `limit` bytes. Returns 0, or the errno of the failure, `to` removed then.
int CopyFileContent(const std::string& from, const std::string& to,
                    std::uint64_t limit = std::numeric_limits<std::uint64_t>::max());

// Removes a file; returns false when there was none. Other failures raise FileError.
bool RemoveFile(const std::string& path);

} // namespace platform
