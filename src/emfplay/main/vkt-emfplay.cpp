// vkt-emfplay: plays the enhanced metafile on standard input and writes its drawing to standard
// output (exit 0), or one line saying why it cannot to standard error (exit 1). It limits itself
// first, in processor time and address space (PlayerLimits.h). The program starts it per picture.
#include "emfplay/EmfPlayer.h"
#include "emfplay/PlayerLimits.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VKT_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VKT_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

int Fail(const std::string& reason)
{
    const std::string line = reason + "\n";
    WriteAll(STDERR_FILENO, line.data(), line.size());
    return 1;
}

} // namespace

int main()
{
    rlimit cpu{emfplay::kCpuSeconds, emfplay::kCpuSeconds};
    setrlimit(RLIMIT_CPU, &cpu);
#ifndef VKT_ADDRESS_SANITIZER
    rlimit memory{emfplay::kAddressSpaceBytes, emfplay::kAddressSpaceBytes};
    setrlimit(RLIMIT_AS, &memory);
#endif
    std::string bytes;
    try {
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return Fail("the picture cannot be read");
            if (n == 0)
                break;
            if (bytes.size() + static_cast<std::size_t>(n) > emfplay::kMaxInputBytes)
                return Fail("the picture is larger than 256 MB");
            // Grown by doubling, but never past the largest picture taken.
            if (bytes.size() + static_cast<std::size_t>(n) > bytes.capacity())
                bytes.reserve(
                    std::min(emfplay::kMaxInputBytes, std::max(bytes.capacity() * 2, std::size_t(1) << 20)));
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        return Fail("the picture needs more memory than it may have");
    }
    std::string drawing;
    std::string error;
    if (!emfplay::PlayEnhancedMetafile(bytes, drawing, error))
        return Fail(error);
    if (!WriteAll(STDOUT_FILENO, drawing.data(), drawing.size()))
        return Fail("the drawing cannot be written");
    return 0;
}
