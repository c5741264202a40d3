// The main of every GUI test program: offscreen Qt unless told otherwise, a fresh temporary home
// with its own XDG and settings folders per process (CTest runs cases in parallel), scripted
// services and the application object.
#include "gui/Application.h"
#include "gui/Services.h"
#include "gui/Settings.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vkttest {

namespace {

std::filesystem::path& TestRoot()
{
    static std::filesystem::path root;
    return root;
}

ScriptedServices*& ScriptedInstance()
{
    static ScriptedServices* services = nullptr;
    return services;
}

std::filesystem::path MakeFolder(const std::filesystem::path& path)
{
    std::filesystem::create_directories(path);
    return path;
}

} // namespace

ScriptedServices& Scripted() { return *ScriptedInstance(); }

std::string NewTempFolder(const std::string& stem)
{
    static int counter = 0;
    return MakeFolder(TestRoot() / "tmp" / (stem + std::to_string(++counter))).string();
}

} // namespace vkttest

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

    std::string pattern = (fs::temp_directory_path() / "vkt-gui-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 2;
    const fs::path root = pattern;
    vkttest::TestRoot() = root;
    const auto folder = [&](const char* name) { return vkttest::MakeFolder(root / name).string(); };
    setenv("HOME", folder("home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", folder("config").c_str(), 1);
    setenv("XDG_DATA_HOME", folder("data").c_str(), 1);
    setenv("XDG_CACHE_HOME", folder("cache").c_str(), 1);
    const std::string runtime = folder("runtime");
    chmod(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);

    testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        platform::Application app(argc, argv);
        platform::SetSettingsFolder(platform::SettingsScope::User, folder("settings-user"));
        platform::SetSettingsFolder(platform::SettingsScope::System, folder("settings-system"));
        vkttest::ScriptedServices services;
        vkttest::ScriptedInstance() = &services;
        platform::SetServices(&services);
        result = RUN_ALL_TESTS();
        platform::SetServices(nullptr);
        vkttest::ScriptedInstance() = nullptr;
    }
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return result;
}
