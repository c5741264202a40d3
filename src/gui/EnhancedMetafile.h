#pragma once
// Drawing of enhanced metafiles (EMF). The records are played by the program's player
// (src/emfplay, the program vkt-emfplay) in a process of its own, started per picture, so that
// hostile bytes can crash, hang or exhaust memory only there: it limits its own CPU time and memory
// and is killed at the time limit. What it writes is as untrusted as the picture: its drawing
// elements alone are recorded (DrawingSvg.h), once, into a display list, which every canvas
// (screen, bitmap, PDF, printer) replays at any size.
//
// Screens do not wait for a player: a picture is handed to one of a few worker threads, each of
// which starts a player and reads its drawing (a lane of the picture path's pool, PictureJob.h),
// and the GUI thread is told when it has ended (ProgramJobNotifier); meanwhile a frame stands in
// its place. Printing waits, letting events through when its run's pump is passed (RunPump.h). A
// rendering is made whole on its worker and handed over as an immutable shared value; nothing else
// is shared.
//
// The workers take the most urgent picture first: those asked for in the latest turn of the event
// loop (in the order asked), a picture waited for before any. A play lives while someone holds it
// (an asker): one whose askers have all let go before a worker took it is dropped.
#include "gui/DisplayList.h"
#include "gui/PageRecording.h"
#include "gui/PictureJob.h"
#include "platform/PictureLimits.h"

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>


namespace platform {

class RunPump;

struct MetafileRendering {
    PageRecording Drawing; // empty when the bytes cannot be drawn
    std::string Error; // why not, for the one line said about it
};

// Renders the enhanced metafile `bytes` at its frame size (96 dpi). Never throws; a failure leaves
// Drawing empty and names the cause.
MetafileRendering RenderEnhancedMetafile(std::string_view bytes);

// What a picture's drawing may hold and cost (PictureLimits.h).
constexpr DrawingLimits kMetafileDrawingLimits{kMaxDrawingBytes, kMaxDrawingWork};

// How many pictures play at once, each on a worker thread with a player process of its own.
constexpr int kMetafilePlayers = 4;

// One picture given to a player (PictureJob.h): queued, played by a worker (or by a caller that
// must wait and finds no worker has taken it yet), then made, or refused with the reason in its
// rendering; dropped unplayed when the cache stops. Its askers hold it; the cache only refers to it.
class MetafilePlay : public PictureJob {
private:
    friend class MetafileCache;
    std::size_t size_ = 0;
    std::size_t hash_ = 0;
    // Its own copy of the picture while queued; empty once played, or when its caller plays it.
    std::string bytes_;
    // Under the cache's mutex: its place in the queue (the higher, the sooner) and whether a worker
    // or a caller has taken it from there.
    std::uint64_t rank_ = 0;
    bool taken_ = false;
    std::mutex mutex_;
    std::condition_variable endedSignal_;
    std::shared_ptr<const MetafileRendering> rendering_;
};

// Renderings by the size and hash of their bytes, the latest first, within `budget` bytes of
// drawings; a drawing over the budget is refused. The budget counts every drawing the cache made
// that something still holds (a shown page's pictures, a raster job): past it, those held by
// nothing else go first, and the cache keeps no more than the budget itself; one it lets go while
// held elsewhere stays counted until it has gone, and is taken back when asked for again rather
// than played anew. A refused picture is remembered apart: it is
// never rendered again and its failure is said once (one line on standard error). A picture is
// rendered once even when asked for again while it plays. Made and asked on the GUI thread; it
// renders on up to `players` worker threads of its own besides, the most urgent play first.
class MetafileCache : public JobSource {
public:
    using Renderer = std::function<MetafileRendering(std::string_view)>;
    MetafileCache(std::size_t budget, Renderer render, int players = kMetafilePlayers);
    // Stops first (Stop).
    ~MetafileCache();
    MetafileCache(const MetafileCache&) = delete;
    MetafileCache& operator=(const MetafileCache&) = delete;

    // The rendering, waited for: from the cache, from the worker playing it, or rendered now on this
    // thread; with a pump in force, played by the workers, before any other, as Wait does.
    std::shared_ptr<const MetafileRendering> Get(std::string_view bytes, RunPump* pump = nullptr);
    // Without waiting: the rendering when it is known; else null, the picture given to a worker (or
    // found playing already) and its play in `play`, which asks for it while it is held.
    std::shared_ptr<const MetafileRendering> Find(std::string_view bytes, std::shared_ptr<MetafilePlay>& play);
    // The rendering of a play, waited for: rendered on this thread when no worker has taken it yet,
    // unless `pump` is in force (RunPump::InForce). Then the play goes before every other, this
    // thread does not play it itself, and the pump is called every few milliseconds until it has
    // ended; a pump that gives the wait up has it return a rendering that draws nothing (the
    // picture's frame), the play going on for the cache.
    std::shared_ptr<const MetafileRendering> Wait(MetafilePlay& play, RunPump* pump = nullptr);
    // Waits until every play has ended, those not yet taken played before any other, telling the
    // pump how many have ended; false when it gave the wait up. Without a pump in force the plays
    // are waited for in turn.
    bool WaitAll(const std::vector<std::shared_ptr<const MetafilePlay>>& plays, RunPump* pump = nullptr);
    // The bytes of the drawings kept, and of those let go that something else still holds.
    std::size_t HeldBytes() const;
    // Plays held by an asker (or running) and not yet told ended on the window's thread.
    std::size_t Playing() const;
    // How often a caller has been held waiting for a play, or has played one itself, without a pump.
    std::size_t HeldWaits() const { return heldWaits_.load(std::memory_order_relaxed); }
    // Nothing: a play lives while its askers hold it, not while it is waited for.
    void Unwait(const std::vector<std::weak_ptr<const PictureJob>>&) override {}
    // Drops the plays no worker has taken and waits for the running ones.
    void Stop();

private:
    struct Key {
        std::size_t Size;
        std::size_t Hash;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const { return key.Hash ^ (key.Size * 0x9E3779B97F4A7C15ull); }
    };
    struct Entry {
        struct Key Key;
        std::shared_ptr<const MetafileRendering> Rendering;
        std::size_t Cost;
    };

    // A drawing let go while something else held it: counted until it has gone.
    struct Held {
        std::weak_ptr<const DisplayList> Drawing;
        int Width = 0;
        int Height = 0;
        std::size_t Cost = 0;
    };

    // The kept, held or refused rendering; null when none. Under mutex_.
    std::shared_ptr<const MetafileRendering> Lookup(const Key& key);
    // Lets the longest unused drawings go while over the budget, and forgets those held ones that
    // have gone. Under mutex_.
    void Trim();
    // The play of `key` that is asked for, or null. Under mutex_.
    std::shared_ptr<MetafilePlay> Asked(const Key& key);
    // Queues `play` at the place of a picture asked for now, or (`first`) before every other; a
    // queued one is moved there. Under mutex_.
    void Queue(const std::shared_ptr<MetafilePlay>& play, bool first);
    // The most urgent queued play that is still asked for, taken; null when none. Under mutex_.
    std::shared_ptr<MetafilePlay> TakeNext();
    // Renders `bytes` for `play`, keeps the result, ends the play and tells ProgramJobNotifier.
    void Run(MetafilePlay& play, std::string_view bytes);
    // Ends `play` with `rendering` and tells ProgramJobNotifier.
    void End(MetafilePlay& play, JobState state, std::shared_ptr<const MetafileRendering> rendering);
    std::shared_ptr<const MetafileRendering> Keep(const Key& key, std::shared_ptr<MetafileRendering> rendering);

    std::size_t budget_;
    Renderer render_;
    mutable std::mutex mutex_;
    std::list<Entry> drawn_;
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
    std::unordered_map<Key, Held, KeyHash> held_;
    std::size_t bytes_ = 0;
    std::size_t heldBytes_ = 0;
    std::unordered_map<Key, std::shared_ptr<const MetafileRendering>, KeyHash> refused_;
    std::deque<Key> refusedOrder_;
    // Plays asked for and not yet told ended, and those of them no worker or caller has taken.
    std::unordered_map<Key, std::weak_ptr<MetafilePlay>, KeyHash> playing_;
    std::map<std::uint64_t, std::weak_ptr<MetafilePlay>> queue_;
    // The turn of the event loop plays are asked in, and how many were asked in it; a new turn is
    // noted once the loop has gone on.
    std::uint64_t turn_ = 1;
    std::uint32_t askedInTurn_ = 0;
    bool turnNoted_ = false;
    std::uint64_t waitedFor_ = 0;
    std::size_t running_ = 0; // plays the workers run
    std::atomic<std::size_t> heldWaits_{0};
    // Forgets the plays told ended.
    JobNotifier::Listener told_;
    // Where a new turn is noted, on the window's thread; it goes with the cache.
    std::unique_ptr<QObject> turns_;
    // Last: its jobs end before the rest goes.
    std::unique_ptr<JobLane> workers_;
};

// Why a picture is not drawn, from the rendering's error: a sentence for the user.
std::string MetafileProblem(const std::string& error);

// The program's cache of renderings (its workers end when the application does).
MetafileCache& ProgramMetafileCache();

// RenderEnhancedMetafile through the program's cache, so that a picture drawn page after page is
// played once; waits while it plays (letting events through by `pump`, as MetafileCache::Get).
std::shared_ptr<const MetafileRendering> RenderEnhancedMetafileCached(std::string_view bytes, RunPump* pump = nullptr);

// Gives the bytes, when they are a metafile not yet played, to a player without waiting: a later
// drawing that waits for them takes its rendering while the play returned is held.
[[nodiscard]] std::shared_ptr<const MetafilePlay> PlayMetafileAhead(std::string_view bytes);

// Waits for the plays (null ones are none) as MetafileCache::WaitAll does; false when given up.
bool WaitForMetafilePlays(const std::vector<std::shared_ptr<const MetafilePlay>>& plays, RunPump* pump = nullptr);

// Calls `done` with the picture's rendering on the GUI thread: at once when it is known, else when
// its player has ended (one started now when none plays it).
void WhenMetafilePlayed(std::string_view bytes, std::function<void(const MetafileRendering&)> done);

// How many playings have been started in this process.
std::size_t MetafileConversionCount();

// The player started for each picture: by default the program's own (ProgramPlayerPath; none, so
// that every picture fails to play, when it is not executable there); a test points at its own. An empty path goes back to the default.
void SetMetafilePlayer(const std::string& path);

// The player alone: the drawing, or nothing (with `error` set: the player's own reason, or why it
// failed) when it refuses the picture, fails, is killed once it has used `timeoutMs` of processor
// time or taken `kPlayWallFactor` times that in all (or `timeoutMs` after closing its output without
// ending), or writes more than `maxOutput` bytes. Safe on any thread.
std::optional<std::string> PlayMetafile(std::string_view bytes, int timeoutMs, std::string& error,
                                        std::size_t maxOutput = kMaxPlayerOutputBytes);

} // namespace platform
