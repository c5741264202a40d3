#pragma once
// Picture files built in memory for the tests.
#include <string>

namespace vkttest {

// A minimal enhanced metafile: the header record (frame in hundredths of a millimetre) and EOF.
std::string MakeEmf(int frameRight, int frameBottom);

} // namespace vkttest
