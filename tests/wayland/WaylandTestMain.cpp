// The main of the Wayland session test: the GUI test main on Qt's Wayland platform, or, given
// --vkt_clipboard_helper, the other program of the clipboard's round trip (ClipboardHelper).
#include "WaylandSession.h"

#include "gui/Application.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "wayland", 1);
    if (argc > 1 && std::strcmp(argv[1], "--vkt_clipboard_helper") == 0) {
        platform::Application app(argc, argv);
        return vkttest::ClipboardHelper();
    }
    vkttest::TestEnvironment environment;
    testing::InitGoogleTest(&argc, argv);
    platform::Application app(argc, argv);
    environment.Install();
    const int result = RUN_ALL_TESTS();
    environment.Uninstall();
    return result;
}
