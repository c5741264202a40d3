// The main of every GUI test program: offscreen Qt unless told otherwise, an isolated environment
// per process (CTest runs cases in parallel), scripted services and the application object.
#include "gui/Application.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    vkttest::TestEnvironment environment;
    testing::InitGoogleTest(&argc, argv);
    platform::Application app(argc, argv);
    environment.Install();
    const int result = RUN_ALL_TESTS();
    environment.Uninstall();
    return result;
}
