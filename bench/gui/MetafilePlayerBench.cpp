// The program's metafile player against the converter it replaced (libemf2svg, kept here alone as
// the baseline), each as the program draws a picture: played (converted) in a process of its own,
// then read into a display list. The picture is the largest real one of the tests, a LibreOffice
// drawing, without its RLE8 bitmaps, which the converter refuses.
//   MetafilePlayAndRead / MetafileConvertAndRead (at most 1.0)
#include "BenchRatio.h"

#include "gui/DrawingSvg.h"
#include "gui/EnhancedMetafile.h"

#include <benchmark/benchmark.h>

#include <QSizeF>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#ifdef VKT_HAVE_EMF2SVG
#include <emf2svg.h>

#include <cerrno>
#include <chrono>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

std::uint32_t Word(const std::string& bytes, std::size_t at)
{
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

// The picture without its STRETCHDIBITS records of RLE8 bitmaps, the header's counts mended.
const std::string& Picture()
{
    static const std::string picture = [] {
        std::ifstream file(VKT_EMF_DATA_DIR "/lo-menu.emf", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        std::string kept;
        std::uint32_t records = 0;
        for (std::size_t at = 0; at + 8 <= bytes.size();) {
            const std::uint32_t type = Word(bytes, at), size = Word(bytes, at + 4);
            if (size < 8 || at + size > bytes.size())
                break;
            const bool rle8 = type == 81 && size >= 56 && Word(bytes, at + 48) + 20 <= size &&
                              Word(bytes, at + Word(bytes, at + 48) + 16) == 1;
            if (!rle8) {
                kept.append(bytes, at, size);
                ++records;
            }
            at += size;
        }
        const auto put = [&](std::size_t at, std::uint32_t v) { std::memcpy(kept.data() + at, &v, 4); };
        if (kept.size() >= 56) {
            put(48, static_cast<std::uint32_t>(kept.size()));
            put(52, records);
        }
        return kept;
    }();
    return picture;
}

void Read(benchmark::State& state, const std::optional<std::string>& svg, const std::string& error)
{
    if (!svg) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::string failed;
    const auto drawing = platform::ReadDrawingSvg(*svg, QSizeF(768, 576), platform::kMetafileDrawingLimits, failed);
    if (!drawing)
        state.SkipWithError(failed.c_str());
    benchmark::DoNotOptimize(drawing);
}

void MetafilePlayAndRead(benchmark::State& state)
{
    for (auto _ : state) {
        std::string error;
        Read(state, platform::PlayMetafile(Picture(), 5000, error), error);
    }
}

#ifdef VKT_HAVE_EMF2SVG
// The converter as the program ran it: in a forked child with the same limits, its SVG read back
// through a pipe.
std::optional<std::string> Convert(const std::string& bytes, int width, int height, std::string& error)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        rlimit cpu{5, 5};
        setrlimit(RLIMIT_CPU, &cpu);
        generatorOptions options{};
        char nameSpace[] = "";
        options.nameSpace = nameSpace;
        options.svgDelimiter = true;
        options.emfplus = true;
        options.imgWidth = width;
        options.imgHeight = height;
        char* out = nullptr;
        std::size_t length = 0;
        if (emf2svg(const_cast<char*>(bytes.data()), bytes.size(), &out, &length, &options) != 1 || !out)
            _exit(2);
        for (std::size_t done = 0; done < length;) {
            const ssize_t n = write(fds[1], out + done, length - done);
            if (n <= 0)
                _exit(3);
            done += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string svg;
    char buffer[65536];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        svg.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || svg.empty()) {
        error = "the converter refused the picture";
        return std::nullopt;
    }
    return svg;
}

void MetafileConvertAndRead(benchmark::State& state)
{
    for (auto _ : state) {
        std::string error;
        Read(state, Convert(Picture(), 768, 576, error), error);
    }
}

BENCHMARK(MetafileConvertAndRead)->Unit(benchmark::kMillisecond);
VKT_BENCH_RATIO(MetafilePlayAndRead, MetafileConvertAndRead, 1.0);
#endif

} // namespace

BENCHMARK(MetafilePlayAndRead)->Unit(benchmark::kMillisecond);
