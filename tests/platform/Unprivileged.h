#pragma once
// Write-protected folders in tests. Root writes whatever the modes say, so a test running as root
// takes the effective user and group of nobody for a scope; any other user is stopped by the
// modes already. The saved ids stay root's: the scope's end takes them back.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <unistd.h>

#include "platform/Files.h"

class Unprivileged {
public:
    static constexpr uid_t kNobody = 65534;

    Unprivileged() {
        if (geteuid() != 0) return;
        groups_.resize(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
        if (getgroups(static_cast<int>(groups_.size()), groups_.data()) < 0) groups_.clear();
        dropped_ = true;
        if (setgroups(0, nullptr) != 0 || setegid(kNobody) != 0 || seteuid(kNobody) != 0) Restore();
    }
    ~Unprivileged() { Restore(); }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

    // Whether the effective user may write the path.
    static bool CanWrite(const std::string& path) {
        return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    }

private:
    void Restore() {
        if (!dropped_) return;
        dropped_ = false;
        // Back to root first: only root may set the group and the groups again.
        if (seteuid(0) != 0 || setegid(0) != 0 || setgroups(groups_.size(), groups_.data()) != 0) std::abort();
    }

    bool dropped_ = false;
    std::vector<gid_t> groups_;
};

// Adds (or removes) the write bits of everyone on a folder and every file in it.
inline void SetWritable(const std::string& folder, bool writable) {
    namespace fs = std::filesystem;
    const fs::perms bits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const fs::perm_options option = writable ? fs::perm_options::add : fs::perm_options::remove;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) fs::permissions(entry.path(), bits, option);
    fs::permissions(folder, bits, option);
}

// Each file of a folder with its bytes.
inline std::map<std::string, std::string> FolderContent(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = platform::ReadFileBytes(entry.path().string());
    return files;
}

// Points TMPDIR (where private copies of write-protected databases go) at a folder for a scope.
class TempFolderScope {
public:
    explicit TempFolderScope(const std::string& folder) {
        if (const char* outer = std::getenv("TMPDIR")) outer_ = outer;
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TempFolderScope() { outer_ ? setenv("TMPDIR", outer_->c_str(), 1) : unsetenv("TMPDIR"); }
    TempFolderScope(const TempFolderScope&) = delete;
    TempFolderScope& operator=(const TempFolderScope&) = delete;

private:
    std::optional<std::string> outer_;
};
