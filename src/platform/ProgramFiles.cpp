#include "platform/ProgramFiles.h"

#include <filesystem>
#include <mutex>

namespace platform {

namespace {

std::mutex prefixMutex;
std::string chosenPrefix;

// The folder above the running program's own folder; "" when /proc cannot tell.
const std::string& RunningPrefix()
{
    static const std::string prefix = [] {
        std::error_code failed;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
        return failed ? std::string() : self.parent_path().parent_path().string();
    }();
    return prefix;
}

std::string Prefix()
{
    std::lock_guard lock(prefixMutex);
    return chosenPrefix.empty() ? RunningPrefix() : chosenPrefix;
}

} // namespace

std::string ProgramDataFolder() { return Prefix() + "/share/vektara/"; }

std::string ProgramPlayerPath() { return Prefix() + "/lib/vektara/vkt-emfplay"; }

void SetProgramPrefix(const std::string& prefix)
{
    std::lock_guard lock(prefixMutex);
    chosenPrefix = prefix;
}

} // namespace platform
