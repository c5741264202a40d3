#pragma once
// A test's own folder under the system's temporary folder, for the test programs below the GUI
// (the GUI tests take theirs from NewTempFolder, inside their environment's root).
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace vkttest {

class TempFolder {
public:
    TempFolder() = default;
    ~TempFolder() { Remove(); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Makes a new empty folder named after `stem`, removing the one made before; its path.
    const std::string& Make(const std::string& stem = "vkt")
    {
        Remove();
        std::string pattern = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
        return path_;
    }

    // Removes the folder with all it holds, the sub-folders a test write-protected included.
    void Remove()
    {
        if (path_.empty()) return;
        namespace fs = std::filesystem;
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
             it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::remove_all(path_, ignored);
        path_.clear();
    }

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace vkttest
