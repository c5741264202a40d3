#include "support/TestEnvironment.h"

#include "gui/EnhancedMetafile.h"
#include "gui/Services.h"
#include "gui/Settings.h"
#include "platform/ProgramFiles.h"
#include "support/TestPictures.h"

#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace vkttest {

namespace fs = std::filesystem;

namespace {

TestEnvironment*& Current()
{
    static TestEnvironment* environment = nullptr;
    return environment;
}

ScriptedServices*& Installed()
{
    static ScriptedServices* services = nullptr;
    return services;
}

std::string MakeFolder(const fs::path& path)
{
    fs::create_directories(path);
    return path.string();
}

} // namespace

ScriptedServices& Scripted()
{
    if (!Installed()) throw std::logic_error("no scripted services installed");
    return *Installed();
}

std::string NewTempFolder(const std::string& stem)
{
    static int counter = 0;
    if (!Current()) throw std::logic_error("no test environment");
    return MakeFolder(Current()->Root() / "tmp" / (stem + std::to_string(++counter)));
}

TestEnvironment::TestEnvironment()
{
    std::string pattern = (fs::temp_directory_path() / "vkt-gui-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    root_ = pattern;
    setenv("HOME", MakeFolder(root_ / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", MakeFolder(root_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", MakeFolder(root_ / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", MakeFolder(root_ / "cache").c_str(), 1);
    const std::string runtime = MakeFolder(root_ / "runtime");
    chmod(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    Current() = this;
    platform::SetProgramPrefix(VKT_BUILD_PREFIX);
    platform::SetMetafilePlayer(BuildPlayer());
}

TestEnvironment::~TestEnvironment()
{
    Uninstall();
    Current() = nullptr;
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void TestEnvironment::Install()
{
    platform::SetSettingsFolder(platform::SettingsScope::User, MakeFolder(root_ / "settings-user"));
    platform::SetSettingsFolder(platform::SettingsScope::System, MakeFolder(root_ / "settings-system"));
    services_ = std::make_unique<ScriptedServices>();
    Installed() = services_.get();
    platform::SetServices(services_.get());
}

void TestEnvironment::Uninstall()
{
    if (!services_) return;
    platform::SetServices(nullptr);
    Installed() = nullptr;
    services_.reset();
}

} // namespace vkttest
