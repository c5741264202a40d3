#include "support/TestPictures.h"

#include <cstdint>

namespace vkttest {

std::string MakeEmf(int frameRight, int frameBottom)
{
    std::string bytes(108, '\0');
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put(0, 1);
    put(4, 88);
    put(32, static_cast<std::uint32_t>(frameRight));
    put(36, static_cast<std::uint32_t>(frameBottom));
    put(40, 0x464D4520);
    put(44, 0x10000);
    put(48, 108);
    put(52, 2);
    put(88, 14);
    put(92, 20);
    return bytes;
}

} // namespace vkttest
