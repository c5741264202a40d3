#pragma once
// Running a command-line tool from a test.
#include <string>

namespace vkttest {

// The standard output of a shell command; empty when it cannot be started.
std::string Capture(const std::string& command);

} // namespace vkttest
