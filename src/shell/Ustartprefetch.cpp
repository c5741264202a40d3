#include "shell/Ustartprefetch.h"

#include "gui/QtSupport.h"

#include <QLibraryInfo>

#include <filesystem>
#include <system_error>

#include <dlfcn.h>

namespace {

// fontconfig's FcInit, reached through the libraries already loaded (Qt's font backend links it).
void ReadFontConfiguration()
{
    using InitFunction = int (*)();
    if (const auto init = reinterpret_cast<InitFunction>(dlsym(RTLD_DEFAULT, "FcInit"))) init();
}

// The handles are kept: Qt's own loading of the same files then finds them in memory.
void LoadLibrariesIn(const std::string& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() != ".so") continue;
        dlopen(entry.path().c_str(), RTLD_LAZY | RTLD_LOCAL);
    }
}

template <typename Work>
std::thread StartWorker(Work work)
{
    try {
        return std::thread(std::move(work));
    } catch (const std::system_error&) {
        return {};   // no thread: the main thread does the work when it needs it
    }
}

} // namespace

TStartPrefetch::TStartPrefetch() : fonts_(StartWorker([] { ReadFontConfiguration(); })) {}

TStartPrefetch::~TStartPrefetch()
{
    WaitFonts();
    if (plugins_.joinable()) plugins_.join();
}

void TStartPrefetch::LoadPlugins(const std::string& folder)
{
    if (plugins_.joinable()) return;
    plugins_ = StartWorker([folder] { LoadLibrariesIn(folder); });
}

void TStartPrefetch::WaitFonts()
{
    if (fonts_.joinable()) fonts_.join();
}

std::string PrintSupportPluginFolder()
{
    return platform::FromQString(QLibraryInfo::path(QLibraryInfo::PluginsPath)) + "/printsupport";
}
