#include "gui/EnhancedMetafile.h"

#include "gui/DrawingSvg.h"
#include "gui/PictureData.h"

#include <QSizeF>
#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

constexpr int kPlayTimeoutMs = 5000;
// What the player may write; the player stops itself there too.
constexpr std::size_t kMaxSvgBytes = std::size_t(24) << 20;
// The player's reason for a refusal: its standard error's first line, at most this long.
constexpr std::size_t kMaxReason = 200;

std::atomic<std::size_t> conversions{0};

// The player beside the program; in the build tree, the one in its bin folder.
const std::string& PlayerPath()
{
    static const std::string path = [] {
        std::error_code failed;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
        if (!failed) {
            const std::filesystem::path beside = self.parent_path() / "vkt-emfplay";
            if (access(beside.c_str(), X_OK) == 0)
                return beside.string();
        }
#ifdef VKT_EMFPLAY_BUILD_PATH
        return std::string(VKT_EMFPLAY_BUILD_PATH);
#else
        return std::string();
#endif
    }();
    return path;
}

// Closes a descriptor once.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    void Close()
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

} // namespace

std::optional<std::string> PlayMetafile(std::string_view bytes, int timeoutMs, std::string& error,
                                        std::size_t maxOutput)
{
    ++conversions;
    error.clear();
    const std::string& player = PlayerPath();
    // The picture goes in through a socket, so that writing to a player that has ended raises no
    // SIGPIPE here; the drawing and the reason come back through pipes.
    int input[2];
    int output[2];
    int reason[2];
    if (player.empty() || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) {
        error = "the player cannot be started";
        return std::nullopt;
    }
    Descriptor inputOurs(input[0]), inputTheirs(input[1]);
    if (pipe2(output, O_CLOEXEC) != 0) {
        error = "the player cannot be started";
        return std::nullopt;
    }
    Descriptor outputOurs(output[0]), outputTheirs(output[1]);
    if (pipe2(reason, O_CLOEXEC) != 0) {
        error = "the player cannot be started";
        return std::nullopt;
    }
    Descriptor reasonOurs(reason[0]), reasonTheirs(reason[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inputTheirs.Get(), 0);
    posix_spawn_file_actions_adddup2(&actions, outputTheirs.Get(), 1);
    posix_spawn_file_actions_adddup2(&actions, reasonTheirs.Get(), 2);
    char* const arguments[] = {const_cast<char*>(player.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, player.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    inputTheirs.Close();
    outputTheirs.Close();
    reasonTheirs.Close();
    if (spawned != 0) {
        error = "the player cannot be started";
        return std::nullopt;
    }
    for (const int fd : {inputOurs.Get(), outputOurs.Get(), reasonOurs.Get()})
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);

    std::string drawing;
    std::string said;
    std::size_t written = 0;
    bool killed = false;
    bool outputOpen = true;
    bool reasonOpen = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[65536];
    while (outputOpen || reasonOpen) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            error = "the conversion took too long";
            killed = true;
            break;
        }
        pollfd fds[3] = {{outputOpen ? outputOurs.Get() : -1, POLLIN, 0},
                         {reasonOpen ? reasonOurs.Get() : -1, POLLIN, 0},
                         {inputOurs.Get() >= 0 ? inputOurs.Get() : -1, POLLOUT, 0}};
        const int ready = poll(fds, 3, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            error = "the player cannot be followed";
            killed = true;
            break;
        }
        if (ready <= 0)
            continue;
        if (fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) {
            const ssize_t n = send(inputOurs.Get(), bytes.data() + written, bytes.size() - written, MSG_NOSIGNAL);
            if (n > 0)
                written += static_cast<std::size_t>(n);
            // All written, or the player reads no more: its end of input.
            if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == bytes.size())
                inputOurs.Close();
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = read(outputOurs.Get(), buffer, sizeof buffer);
            if (n > 0) {
                if (drawing.size() + static_cast<std::size_t>(n) > maxOutput) {
                    error = "the drawing is too large";
                    killed = true;
                    break;
                }
                drawing.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                outputOpen = false;
            }
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = read(reasonOurs.Get(), buffer, sizeof buffer);
            if (n > 0)
                said.append(buffer, std::min(static_cast<std::size_t>(n), kMaxReason - std::min(said.size(), kMaxReason)));
            else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                reasonOpen = false;
        }
    }
    if (killed)
        kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (killed)
        return std::nullopt;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !drawing.empty())
        return drawing;
    // The player's own reason when it gave one; a player killed by its limits read no records.
    const std::string line = said.substr(0, said.find('\n'));
    const bool plain = !line.empty() && std::all_of(line.begin(), line.end(), [](char c) {
        return c >= 0x20 && c < 0x7F;
    });
    error = WIFEXITED(status) && WEXITSTATUS(status) == 1 && plain ? line : "the records cannot be read";
    return std::nullopt;
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
    const std::optional<std::string> svg = PlayMetafile(bytes, kPlayTimeoutMs, result.Error, kMaxSvgBytes);
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
        {"the header cannot be read", "メタファイルの先頭が読み取れません。"},
        {"the picture's frame is empty", "メタファイルの大きさが空です。"},
        {"the picture's frame is too large", "メタファイルの大きさが描ける大きさを超えています。"},
        {"the picture needs more memory", "図が大きすぎて描けません。"},
        {"the picture has too many records", "図が複雑すぎて描けません。"},
        {"the metafile's frame is empty", "メタファイルの大きさが空です。"},
        {"the metafile's frame of", "メタファイルの大きさが描ける大きさを超えています。"},
        {"the records cannot be read", "メタファイルのレコードが壊れているか、読み取れません。"},
        {"the conversion took too long", "描画が時間内に終わりません。"},
        {"the drawing is too large", "図が大きすぎて描けません。"},
        {"the drawing costs too much", "図が複雑すぎて描けません。"},
        {"the player cannot be", "図を描くプログラムを起動できません。"},
    };
    for (const auto& [start, text] : problems)
        if (error.rfind(start, 0) == 0)
            return text;
    return "図の内容が読み取れません。";
}

std::size_t MetafileConversionCount() { return conversions; }

} // namespace platform
