#include "gui/EnhancedMetafile.h"

#include "gui/DrawingSvg.h"
#include "gui/PictureData.h"
#include "gui/PictureJob.h"
#include "gui/RunPump.h"
#include "platform/ProgramFiles.h"

#include <QCoreApplication>
#include <QSizeF>
#include <QtGlobal>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

// The player's reason for a refusal: its standard error's first line, at most this long.
constexpr std::size_t kMaxReason = 200;
// How often a waiting player's follower looks whether the program is ending.
constexpr int kStopCheckMs = 50;

std::atomic<std::size_t> conversions{0};
// The program is ending: players still running are killed.
std::atomic<bool> stopping{false};

std::mutex playerMutex;
std::string chosenPlayer;

// The program's own player, or "" when it is not executable.
std::string ProgramPlayer()
{
    const std::string path = ProgramPlayerPath();
    return access(path.c_str(), X_OK) == 0 ? path : std::string();
}

std::string PlayerPath()
{
    std::lock_guard lock(playerMutex);
    return chosenPlayer.empty() ? ProgramPlayer() : chosenPlayer;
}

// Processor time the process has used, in milliseconds; 0 when it cannot be read.
long long ProcessorMilliseconds(clockid_t clock)
{
    timespec used{};
    if (clock_gettime(clock, &used) != 0)
        return 0;
    return static_cast<long long>(used.tv_sec) * 1000 + used.tv_nsec / 1000000;
}

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return static_cast<int>(std::max<decltype(left)>(left, 0));
}

// Waits for the player's end until the deadline (or the program's end); false when it has not
// ended by then. A descriptor of the process is polled where the system has them; elsewhere the
// process is looked at every millisecond.
bool AwaitEnd(pid_t pid, int& status, std::chrono::steady_clock::time_point deadline)
{
#ifdef SYS_pidfd_open
    const int process = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    const int process = -1;
#endif
    bool ended = false;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            ended = true;
            break;
        }
        const int left = MillisecondsLeft(deadline);
        if (left <= 0 || stopping)
            break;
        pollfd fd{process, POLLIN, 0};
        poll(&fd, process >= 0 ? 1 : 0, process >= 0 ? std::min(left, kStopCheckMs) : 1);
    }
    if (process >= 0)
        close(process);
    return ended;
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
    const std::string player = PlayerPath();
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
    // In a process group of its own, which is killed with it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    char* const arguments[] = {const_cast<char*>(player.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, player.c_str(), &actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
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

    // Its time is the processor's it uses, so that a loaded machine does not cost it its picture;
    // a player kept from running, or one that waits, is killed at several times that in all.
    clockid_t cpuClock{};
    const bool timed = clock_getcpuclockid(pid, &cpuClock) == 0;
    const auto overrun = [&] { return timeoutMs <= 0 || (timed && ProcessorMilliseconds(cpuClock) >= timeoutMs); };
    std::string drawing;
    std::string said;
    std::size_t written = 0;
    bool killed = false;
    bool outputOpen = true;
    bool reasonOpen = true;
    const int allowedMs = timeoutMs <= 0 ? 0 : (timed ? kPlayWallFactor : 1) * timeoutMs;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(allowedMs);
    char buffer[65536];
    while (outputOpen || reasonOpen) {
        const int left = MillisecondsLeft(deadline);
        if (left <= 0 || stopping || overrun()) {
            error = stopping ? "the player was stopped" : "the conversion took too long";
            killed = true;
            break;
        }
        pollfd fds[3] = {{outputOpen ? outputOurs.Get() : -1, POLLIN, 0},
                         {reasonOpen ? reasonOurs.Get() : -1, POLLIN, 0},
                         {inputOurs.Get() >= 0 ? inputOurs.Get() : -1, POLLOUT, 0}};
        const int ready = poll(fds, 3, std::min(left, kStopCheckMs));
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
    int status = 0;
    // A player that has closed its output has only to end: it is waited for no longer than its
    // time from then.
    const auto ending = std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs));
    if (!killed && !AwaitEnd(pid, status, ending)) {
        error = stopping ? "the player was stopped" : "the conversion took too long";
        killed = true;
    }
    if (killed) {
        kill(-pid, SIGKILL);
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return std::nullopt;
    }
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
    const std::optional<std::string> svg = PlayMetafile(bytes, kPlayTimeoutMs, result.Error, kMaxPlayerOutputBytes);
    if (!svg)
        return result;
    std::optional<DisplayList> drawing =
        ReadDrawingSvg(*svg, QSizeF(width, height), kMetafileDrawingLimits, result.Error);
    if (drawing)
        result.Drawing = PageRecording(std::make_shared<const DisplayList>(std::move(*drawing)), width, height);
    return result;
}

MetafileCache::MetafileCache(std::size_t budget, Renderer render, int players)
    : budget_(budget), render_(std::move(render)),
      told_(ProgramJobNotifier(),
            [this] {
                std::lock_guard lock(mutex_);
                std::erase_if(playing_, [](const auto& entry) {
                    const std::shared_ptr<MetafilePlay> play = entry.second.lock();
                    return !play || play->Ended();
                });
            }),
      turns_(std::make_unique<QObject>()), workers_(std::make_unique<JobLane>(players))
{
    turns_->moveToThread(ProgramJobNotifier().thread());
}

MetafileCache::~MetafileCache() { Stop(); }

void MetafileCache::Stop()
{
    workers_->Clear();
    workers_->WaitForDone();
    std::vector<std::shared_ptr<MetafilePlay>> dropped;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [rank, held] : queue_)
            if (std::shared_ptr<MetafilePlay> play = held.lock())
                dropped.push_back(std::move(play));
        queue_.clear();
    }
    // Whoever waits for them stops waiting, drawing nothing.
    static const auto none = std::make_shared<const MetafileRendering>(
        MetafileRendering{PageRecording(), "the picture was not played: the program is ending"});
    for (const auto& play : dropped)
        End(*play, JobState::Dropped, none);
}

std::shared_ptr<const MetafileRendering> MetafileCache::Lookup(const Key& key)
{
    if (const auto it = refused_.find(key); it != refused_.end())
        return it->second;
    if (const auto it = index_.find(key); it != index_.end()) {
        drawn_.splice(drawn_.begin(), drawn_, it->second);
        return it->second->Rendering;
    }
    const auto held = held_.find(key);
    if (held == held_.end())
        return nullptr;
    std::shared_ptr<const DisplayList> drawing = held->second.Drawing.lock();
    if (!drawing)
        return nullptr;
    // Taken back, counted as it was.
    auto rendering = std::make_shared<const MetafileRendering>(
        MetafileRendering{PageRecording(std::move(drawing), held->second.Width, held->second.Height), {}});
    drawn_.push_front({key, rendering, held->second.Cost});
    index_.emplace(key, drawn_.begin());
    bytes_ += held->second.Cost;
    heldBytes_ -= held->second.Cost;
    held_.erase(held);
    Trim();
    return rendering;
}

void MetafileCache::Trim()
{
    for (auto it = held_.begin(); it != held_.end();) {
        if (it->second.Drawing.expired()) {
            heldBytes_ -= it->second.Cost;
            it = held_.erase(it);
        } else {
            ++it;
        }
    }
    // Past the budget with what others hold counted, the longest unused that nothing else holds
    // go first (the one just made is its caller's)...
    const auto heldElsewhere = [](const Entry& entry) {
        return entry.Rendering.use_count() > 1 || entry.Rendering->Drawing.SharedDrawing().use_count() > 1;
    };
    for (auto it = drawn_.end(); it != drawn_.begin() && bytes_ + heldBytes_ > budget_;) {
        --it;
        if (heldElsewhere(*it))
            continue;
        bytes_ -= it->Cost;
        index_.erase(it->Key);
        it = drawn_.erase(it);
    }
    // ...and what the cache holds itself stays within it: those past it are left to their holders,
    // counted until they have gone.
    while (bytes_ > budget_ && !drawn_.empty()) {
        const Entry& last = drawn_.back();
        const Key key = last.Key;
        Held held{last.Rendering->Drawing.SharedDrawing(), last.Rendering->Drawing.GetWidth(),
                  last.Rendering->Drawing.GetHeight(), last.Cost};
        bytes_ -= last.Cost;
        index_.erase(key);
        drawn_.pop_back();
        if (!held.Drawing.expired()) {
            heldBytes_ += held.Cost;
            held_.insert_or_assign(key, std::move(held));
        }
    }
}

std::shared_ptr<MetafilePlay> MetafileCache::Asked(const Key& key)
{
    const auto it = playing_.find(key);
    if (it == playing_.end())
        return nullptr;
    std::shared_ptr<MetafilePlay> play = it->second.lock();
    if (!play)
        playing_.erase(it);
    return play;
}

void MetafileCache::Queue(const std::shared_ptr<MetafilePlay>& play, bool first)
{
    const bool queued = play->rank_ != 0;
    if (queued)
        queue_.erase(play->rank_);
    if (first) {
        play->rank_ = std::uint64_t(1) << 63 | ++waitedFor_;
    } else {
        // Asked in a later turn, sooner; in one turn, in the order asked.
        play->rank_ = turn_ << 32 | (0xFFFFFFFFu - askedInTurn_++);
        if (!turnNoted_) {
            turnNoted_ = true;
            QMetaObject::invokeMethod(
                turns_.get(),
                [this] {
                    std::lock_guard lock(mutex_);
                    ++turn_;
                    askedInTurn_ = 0;
                    turnNoted_ = false;
                },
                Qt::QueuedConnection);
        }
    }
    queue_.emplace(play->rank_, play);
    if (queued)
        return;
    play->SetState(JobState::Queued);
    // One start per play queued: each takes the most urgent play left, if any.
    workers_->Start([this] {
        std::shared_ptr<MetafilePlay> next;
        {
            std::lock_guard lock(mutex_);
            next = TakeNext();
            if (!next)
                return;
            ++running_;
        }
        Run(*next, next->bytes_);
        bool last = false;
        {
            std::lock_guard lock(mutex_);
            last = --running_ == 0 && queue_.empty();
        }
        if (last)
            ReturnFreedMemory();
    });
}

std::shared_ptr<MetafilePlay> MetafileCache::TakeNext()
{
    while (!queue_.empty()) {
        const auto last = std::prev(queue_.end());
        std::shared_ptr<MetafilePlay> play = last->second.lock();
        queue_.erase(last);
        if (!play) {
            // No one asks for it any more: dropped unplayed.
            std::erase_if(playing_, [](const auto& entry) { return entry.second.expired(); });
            continue;
        }
        play->rank_ = 0;
        play->taken_ = true;
        play->SetState(JobState::Running);
        return play;
    }
    return nullptr;
}

std::shared_ptr<const MetafileRendering> MetafileCache::Get(std::string_view bytes, RunPump* pump)
{
    std::shared_ptr<MetafilePlay> play;
    if (RunPump::InForce(pump)) {
        // Played by the workers, before any other, while the pump lets events through.
        if (auto rendering = Find(bytes, play))
            return rendering;
        return Wait(*play, pump);
    }
    const Key key{bytes.size(), std::hash<std::string_view>{}(bytes)};
    bool ours = false;
    {
        std::lock_guard lock(mutex_);
        if (auto rendering = Lookup(key))
            return rendering;
        play = Asked(key);
        if (!play) {
            // Played here, from the caller's bytes; whoever asks meanwhile waits for it.
            play = std::make_shared<MetafilePlay>();
            play->size_ = key.Size;
            play->hash_ = key.Hash;
            play->taken_ = true;
            play->SetState(JobState::Running);
            playing_.insert_or_assign(key, play);
            ++heldWaits_;
            ours = true;
        }
    }
    if (!ours)
        return Wait(*play);
    Run(*play, bytes);
    return play->rendering_;
}

std::shared_ptr<const MetafileRendering> MetafileCache::Find(std::string_view bytes,
                                                             std::shared_ptr<MetafilePlay>& play)
{
    const Key key{bytes.size(), std::hash<std::string_view>{}(bytes)};
    std::lock_guard lock(mutex_);
    if (auto rendering = Lookup(key))
        return rendering;
    play = Asked(key);
    if (play)
        return nullptr;
    play = std::make_shared<MetafilePlay>();
    play->size_ = key.Size;
    play->hash_ = key.Hash;
    play->bytes_.assign(bytes);
    playing_.insert_or_assign(key, play);
    Queue(play, false);
    return nullptr;
}

std::shared_ptr<const MetafileRendering> MetafileCache::Wait(MetafilePlay& play, RunPump* pump)
{
    pump = RunPump::InForce(pump);
    if (!play.Ended()) {
        std::unique_lock lock(mutex_);
        if (!play.taken_ && pump) {
            // The queue holds it by reference: the caller's play is the one moved.
            if (const auto it = queue_.find(play.rank_); it != queue_.end())
                if (const std::shared_ptr<MetafilePlay> held = it->second.lock())
                    Queue(held, true);
        } else if (!play.taken_) {
            queue_.erase(play.rank_);
            play.rank_ = 0;
            play.taken_ = true;
            play.SetState(JobState::Running);
            lock.unlock();
            ++heldWaits_;
            Run(play, play.bytes_);
        } else if (!pump) {
            ++heldWaits_;
        }
    }
    std::unique_lock lock(play.mutex_);
    if (pump) {
        while (!play.Ended()) {
            lock.unlock();
            if (!pump->Waiting(0, 1)) {
                static const auto abandoned = std::make_shared<const MetafileRendering>(
                    MetafileRendering{PageRecording(), "the wait for the picture was given up"});
                return abandoned;
            }
            lock.lock();
            play.endedSignal_.wait_for(lock, RunPump::kInterval, [&] { return play.Ended(); });
        }
    }
    play.endedSignal_.wait(lock, [&] { return play.Ended(); });
    return play.rendering_;
}

bool MetafileCache::WaitAll(const std::vector<std::shared_ptr<const MetafilePlay>>& plays, RunPump* pump)
{
    std::vector<const MetafilePlay*> waited;
    for (const auto& play : plays)
        if (play && !play->Ended())
            waited.push_back(play.get());
    if (waited.empty())
        return true;
    pump = RunPump::InForce(pump);
    if (!pump) {
        for (const MetafilePlay* play : waited)
            Wait(const_cast<MetafilePlay&>(*play));
        return true;
    }
    {
        // The queue holds them by reference: the callers' plays are the ones moved to its front.
        std::lock_guard lock(mutex_);
        for (const MetafilePlay* play : waited)
            if (!play->taken_)
                if (const auto it = queue_.find(play->rank_); it != queue_.end())
                    if (const std::shared_ptr<MetafilePlay> held = it->second.lock())
                        Queue(held, true);
    }
    for (;;) {
        const auto ended = static_cast<std::size_t>(
            std::count_if(waited.begin(), waited.end(), [](const MetafilePlay* play) { return play->Ended(); }));
        if (!pump->Waiting(ended, waited.size()))
            return false;
        if (ended == waited.size())
            return true;
        // The pump lets time pass: the rest may have ended meanwhile, to be counted on the next turn.
        const auto next = std::find_if(waited.begin(), waited.end(),
                                       [](const MetafilePlay* play) { return !play->Ended(); });
        if (next == waited.end())
            continue;
        auto& play = const_cast<MetafilePlay&>(**next);
        std::unique_lock lock(play.mutex_);
        play.endedSignal_.wait_for(lock, RunPump::kInterval, [&] { return play.Ended(); });
    }
}

void MetafileCache::Run(MetafilePlay& play, std::string_view bytes)
{
    // A play ends whatever its rendering throws: a worker's exception would end the program, and
    // a play left unended would hold every caller that waits for it.
    auto rendering = std::make_shared<MetafileRendering>();
    try {
        *rendering = render_(bytes);
    } catch (const std::bad_alloc&) {
        *rendering = MetafileRendering();
        rendering->Error = "the picture needs more memory than it may take";
    } catch (const std::exception& e) {
        *rendering = MetafileRendering();
        rendering->Error = std::string("the picture cannot be drawn: ") + e.what();
    } catch (...) {
        *rendering = MetafileRendering();
        rendering->Error = "the picture cannot be drawn";
    }
    std::shared_ptr<const MetafileRendering> kept;
    try {
        kept = Keep({play.size_, play.hash_}, std::move(rendering));
    } catch (...) {
        // Out of memory keeping it: the play ends all the same, drawing nothing.
        static const auto none = std::make_shared<const MetafileRendering>(
            MetafileRendering{PageRecording(), "the picture needs more memory than it may take"});
        kept = none;
    }
    const JobState end = kept->Drawing.IsEmpty() ? JobState::Refused : JobState::Made;
    End(play, end, std::move(kept));
}

void MetafileCache::End(MetafilePlay& play, JobState state,
                        std::shared_ptr<const MetafileRendering> rendering)
{
    {
        std::lock_guard lock(play.mutex_);
        play.rendering_ = std::move(rendering);
        play.bytes_ = std::string();
        play.SetState(state);
    }
    play.endedSignal_.notify_all();
    ProgramJobNotifier().Tell();
}

std::shared_ptr<const MetafileRendering> MetafileCache::Keep(const Key& key,
                                                             std::shared_ptr<MetafileRendering> rendering)
{
    const std::size_t cost = rendering->Drawing.Bytes() + 256;
    if (!rendering->Drawing.IsEmpty() && cost > budget_) {
        rendering->Drawing = PageRecording();
        rendering->Error = "the drawing is too large to keep";
    }
    std::lock_guard lock(mutex_);
    if (rendering->Drawing.IsEmpty()) {
        // A program that is ending says nothing of the players it stopped.
        if (stopping)
            return rendering;
        qWarning("Vektara: a metafile picture is not drawn: %s.", rendering->Error.c_str());
        if (refusedOrder_.size() >= kMaxRefused) {
            refused_.erase(refusedOrder_.front());
            refusedOrder_.pop_front();
        }
        if (refused_.emplace(key, rendering).second)
            refusedOrder_.push_back(key);
        return rendering;
    }
    // Played again while the first was kept or held (a caller raced a worker): the first is given.
    if (auto kept = Lookup(key))
        return kept;
    drawn_.push_front({key, rendering, cost});
    index_.emplace(key, drawn_.begin());
    bytes_ += cost;
    Trim();
    return rendering;
}

std::size_t MetafileCache::HeldBytes() const
{
    std::lock_guard lock(mutex_);
    std::size_t bytes = bytes_ + heldBytes_;
    for (const auto& [key, held] : held_)
        if (held.Drawing.expired())
            bytes -= held.Cost;
    return bytes;
}

std::size_t MetafileCache::Playing() const
{
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(playing_.begin(), playing_.end(), [](const auto& entry) { return !entry.second.expired(); }));
}

MetafileCache& ProgramMetafileCache()
{
    static MetafileCache cache(kPictureDrawingBytes, RenderEnhancedMetafile);
    static const bool stopsWithTheProgram = [] {
        // Before the application's objects go: the players still running are killed, the queued
        // pictures dropped.
        if (QCoreApplication::instance())
            qAddPostRoutine([] {
                stopping = true;
                cache.Stop();
            });
        return true;
    }();
    (void)stopsWithTheProgram;
    return cache;
}

std::shared_ptr<const MetafileRendering> RenderEnhancedMetafileCached(std::string_view bytes, RunPump* pump)
{
    return ProgramMetafileCache().Get(bytes, pump);
}

std::shared_ptr<const MetafilePlay> PlayMetafileAhead(std::string_view bytes)
{
    std::shared_ptr<MetafilePlay> play;
    if (PictureData::KindOf(bytes) == PictureKind::Metafile)
        ProgramMetafileCache().Find(bytes, play);
    return play;
}

bool WaitForMetafilePlays(const std::vector<std::shared_ptr<const MetafilePlay>>& plays, RunPump* pump)
{
    return ProgramMetafileCache().WaitAll(plays, pump);
}

void WhenMetafilePlayed(std::string_view bytes, std::function<void(const MetafileRendering&)> done)
{
    MetafileCache& cache = ProgramMetafileCache();
    std::shared_ptr<MetafilePlay> play;
    if (const auto rendering = cache.Find(bytes, play)) {
        done(*rendering);
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&ProgramJobNotifier(), &JobNotifier::Ended, [connection, play, done] {
        if (!play->Ended())
            return;
        QObject::disconnect(*connection);
        done(*ProgramMetafileCache().Wait(*play));
    });
}

void SetMetafilePlayer(const std::string& path)
{
    std::lock_guard lock(playerMutex);
    chosenPlayer = path;
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
