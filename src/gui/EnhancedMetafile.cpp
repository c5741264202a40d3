#include "gui/EnhancedMetafile.h"

#include "gui/DrawingSvg.h"
#include "gui/PictureData.h"

#include <QByteArray>
#include <QSizeF>
#include <QtGlobal>

#include <emf2svg.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VKT_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VKT_ADDRESS_SANITIZER 1
#endif
#endif

namespace platform {

namespace {

constexpr int kConvertTimeoutMs = 5000;
// What the converter may write.
constexpr std::size_t kMaxSvgBytes = std::size_t(24) << 20;

std::atomic<std::size_t> conversions{0};

// The child: convert, write the SVG to `fd`, exit. Only the converter and write(2) run here; the
// bytes are the parent's, in the child's copy of its memory.
[[noreturn]] void RunConverter(int fd, std::string_view bytes, int width, int height)
{
    rlimit cpu{5, 5};
    setrlimit(RLIMIT_CPU, &cpu);
#ifndef VKT_ADDRESS_SANITIZER
    // The sanitizer's shadow memory already exceeds any such limit.
    rlimit memory{rlim_t(1) << 30, rlim_t(1) << 30};
    setrlimit(RLIMIT_AS, &memory);
#endif
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
        const ssize_t n = write(fd, out + done, length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            _exit(3);
        done += static_cast<std::size_t>(n);
    }
    _exit(0);
}

} // namespace

std::optional<std::string> ConvertMetafileToSvg(std::string_view bytes, int width, int height, int timeoutMs,
                                                std::string& error, std::size_t maxOutput)
{
    ++conversions;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = "the converter cannot be started";
        return std::nullopt;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        error = "the converter cannot be started";
        return std::nullopt;
    }
    if (pid == 0) {
        close(fds[0]);
        RunConverter(fds[1], bytes, width, height);
    }
    close(fds[1]);
    std::string svg;
    bool killed = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            error = "the conversion took too long";
            killed = true;
            break;
        }
        pollfd poller{fds[0], POLLIN, 0};
        const int ready = poll(&poller, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            continue; // the deadline is checked above
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (svg.size() + static_cast<std::size_t>(n) > maxOutput) {
            error = "the drawing is too large";
            killed = true;
            break;
        }
        svg.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (killed)
        kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (killed)
        return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || svg.empty()) {
        error = "the records cannot be read";
        return std::nullopt;
    }
    return svg;
}

MetafileRendering RenderEnhancedMetafile(std::string_view bytes)
{
    MetafileRendering result;
    int width = 0;
    int height = 0;
    if (!PictureData::MetafileSize(bytes, width, height)) {
        result.Error = "the metafile header cannot be read";
        return result;
    }
    if (width <= 0 || height <= 0) {
        result.Error = "the metafile's frame is empty";
        return result;
    }
    if (width > kMaxMetafileSide || height > kMaxMetafileSide ||
        static_cast<long long>(width) * height > kMaxMetafileArea) {
        result.Error = "the metafile's frame of " + std::to_string(width) + " × " + std::to_string(height) +
                       " pixels is too large to draw";
        return result;
    }
    const std::optional<std::string> svg = ConvertMetafileToSvg(bytes, width, height, kConvertTimeoutMs,
                                                                result.Error, kMaxSvgBytes);
    if (!svg)
        return result;
    std::optional<DisplayList> drawing =
        ReadDrawingSvg(*svg, QSizeF(width, height), kMetafileDrawingLimits, result.Error);
    if (drawing)
        result.Drawing = Metafile(std::make_shared<const DisplayList>(std::move(*drawing)), width, height);
    return result;
}

MetafileCache::MetafileCache(std::size_t budget, Renderer render) : budget_(budget), render_(std::move(render)) {}

std::shared_ptr<const MetafileRendering> MetafileCache::Get(std::string_view bytes)
{
    const Key key{bytes.size(), std::hash<std::string_view>{}(bytes)};
    {
        std::lock_guard lock(mutex_);
        if (const auto it = refused_.find(key); it != refused_.end())
            return it->second;
        if (const auto it = index_.find(key); it != index_.end()) {
            drawn_.splice(drawn_.begin(), drawn_, it->second);
            return it->second->Rendering;
        }
    }
    auto rendering = std::make_shared<MetafileRendering>(render_(bytes));
    const std::size_t cost = rendering->Drawing.Bytes() + 256;
    if (!rendering->Drawing.IsEmpty() && cost > budget_) {
        rendering->Drawing = Metafile();
        rendering->Error = "the drawing is too large to keep";
    }
    std::lock_guard lock(mutex_);
    if (rendering->Drawing.IsEmpty()) {
        qWarning("Vektara: a metafile picture is not drawn: %s.", rendering->Error.c_str());
        if (refusedOrder_.size() >= kMaxRefused) {
            refused_.erase(refusedOrder_.front());
            refusedOrder_.pop_front();
        }
        if (refused_.emplace(key, rendering).second)
            refusedOrder_.push_back(key);
        return rendering;
    }
    if (index_.count(key))
        return rendering;
    drawn_.push_front({key, rendering, cost});
    index_.emplace(key, drawn_.begin());
    bytes_ += cost;
    while (bytes_ > budget_) {
        bytes_ -= drawn_.back().Cost;
        index_.erase(drawn_.back().Key);
        drawn_.pop_back();
    }
    return rendering;
}

std::size_t MetafileCache::HeldBytes() const
{
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::shared_ptr<const MetafileRendering> RenderEnhancedMetafileCached(std::string_view bytes)
{
    static MetafileCache cache(kMaxDrawingBytes, RenderEnhancedMetafile);
    return cache.Get(bytes);
}

std::string MetafileProblem(const std::string& error)
{
    static const std::pair<const char*, const char*> problems[] = {
        {"the metafile header", "メタファイルの先頭が読み取れません。"},
        {"the metafile's frame is empty", "メタファイルの大きさが空です。"},
        {"the metafile's frame of", "メタファイルの大きさが描ける大きさを超えています。"},
        {"the records cannot be read", "メタファイルのレコードが壊れているか、読み取れません。"},
        {"the conversion took too long", "描画が時間内に終わりません。"},
        {"the drawing is too large", "図が大きすぎて描けません。"},
        {"the drawing costs too much", "図が複雑すぎて描けません。"},
        {"the converter cannot be started", "図を描くプログラムを起動できません。"},
    };
    for (const auto& [start, text] : problems)
        if (error.rfind(start, 0) == 0)
            return text;
    return "図の内容が読み取れません。";
}

std::size_t MetafileConversionCount() { return conversions; }

} // namespace platform
