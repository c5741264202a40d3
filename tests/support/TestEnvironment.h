#pragma once
// An isolated environment for a GUI test process: a fresh temporary root holding HOME, the XDG
// folders (runtime 0700) and both settings folders, and scripted services while it is installed.
#include "support/ScriptedServices.h"

#include <filesystem>
#include <memory>

namespace vkttest {

class TestEnvironment {
public:
    // Makes the root and points HOME and XDG_* into it, and the program at the build tree's
    // metafile player; before the application is created.
    TestEnvironment();
    // Removes the root.
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    // With the application created: settings folders in the root, scripted services in force.
    void Install();
    // Restores the real services (before the application goes).
    void Uninstall();

    const std::filesystem::path& Root() const { return root_; }

private:
    std::filesystem::path root_;
    std::unique_ptr<ScriptedServices> services_;
};

} // namespace vkttest
