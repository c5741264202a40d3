#pragma once
// Write-protected folders in tests. Root writes whatever the modes say, so a test running as root
// takes the effective user and group of nobody for a scope; any other user is stopped by the
// modes already. The saved ids stay root's: the scope's end takes them back.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <unistd.h>

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
