#pragma once
// The state of a job of the picture path done off the window's thread (a picture played, a
// drawing rasterised at one size). Each job goes one way through it, its end told once:
//
//   New ──▶ Queued ──▶ Running ──▶ Made
//             │           │
//             │           └──────▶ Refused   (over its time, out of memory, anything thrown: the
//             │                               reason kept with it)
//             └──────────────────▶ Dropped   (pushed out of the queue, its view closed, the engine
//                                             stopped: not begun, no refusal)
//
// Made, Refused and Dropped are ends: a job ended is never queued again.
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QThreadPool;

namespace platform {

enum class JobState : std::uint8_t { New, Queued, Running, Made, Refused, Dropped };

constexpr bool Ended(JobState state)
{
    return state == JobState::Made || state == JobState::Refused || state == JobState::Dropped;
}

// Gives the memory freed by the jobs back to the system: called by the worker that ends the last
// job queued. Each worker thread allocates from an arena of its own, which keeps what its jobs
// freed (a player's output, a reading's text, a replay's paths) for reuse: 50 pictures played
// and zoomed kept 76 MB so, beyond any budget (bench/README.md).
void ReturnFreedMemory();

// A job of the picture path: its state, set by its engine under the engine's lock or by the worker
// that runs it, read from any thread.
class PictureJob {
public:
    JobState State() const { return state_.load(std::memory_order_acquire); }
    bool Ended() const { return platform::Ended(State()); }

protected:
    PictureJob() = default;
    ~PictureJob() = default;
    void SetState(JobState state) { state_.store(state, std::memory_order_release); }

private:
    std::atomic<JobState> state_{JobState::New};
};

// Worker threads shared by every kind of job of the picture path, made once for the program. A
// lane's jobs run on them at most `most` at once, in the order started; each lane adds its `most`
// threads to the pool while it lives, so no lane waits for threads another holds.
class JobPool {
public:
    JobPool();
    ~JobPool();
    JobPool(const JobPool&) = delete;
    JobPool& operator=(const JobPool&) = delete;

private:
    friend class JobLane;
    void Grow(int threads);
    std::mutex mutex_;
    int lanesThreads_ = 0; // under mutex_: the sum of the lanes' `most`
    std::unique_ptr<QThreadPool> threads_;
};

// The program's pool; its threads end when the application does.
JobPool& ProgramJobPool();

// The jobs of one engine (a cache of plays, of pixels, the paints aside) on the pool. A lane that
// stays keeps its threads between jobs (what a thread resolves once, fonts, serves every job).
class JobLane {
public:
    enum Keeping { Leaves, Stays };
    explicit JobLane(int most, Keeping keeping = Leaves, JobPool& pool = ProgramJobPool());
    // Drops what is not begun and waits for what runs.
    ~JobLane();
    JobLane(const JobLane&) = delete;
    JobLane& operator=(const JobLane&) = delete;

    void Start(std::function<void()> job);
    // Drops the jobs not begun.
    void Clear();
    // Returns when no job runs or waits.
    void WaitForDone();

private:
    void Drain();

    JobPool& pool_;
    const int most_;
    const Keeping keeping_;
    std::mutex mutex_;
    std::condition_variable idle_;
    std::condition_variable started_;
    std::deque<std::function<void()>> waiting_;
    int drains_ = 0; // threads of the pool taken by the lane
    int busy_ = 0;   // jobs running
    bool closing_ = false;
};

// Tells the thread it lives on (the window's) that jobs have ended: a notice is posted by the first
// end after the last was handled, so each end is told once however many come together. On that
// thread the `told` work of every listener runs first (an engine's bookkeeping of what was told),
// then Ended is emitted (the waiters).
class JobNotifier : public QObject {
    Q_OBJECT
public:
    // Its `told` runs at each notice while it lives; made and ended on any thread but not within a
    // `told`.
    class Listener {
    public:
        Listener(JobNotifier& notifier, std::function<void()> told);
        ~Listener();
        Listener(const Listener&) = delete;
        Listener& operator=(const Listener&) = delete;

    private:
        friend class JobNotifier;
        JobNotifier& notifier_;
        const std::function<void()> told_;
    };

    JobNotifier() = default;
    // From any thread, once the job's state is its end.
    void Tell();

signals:
    void Ended();

private:
    std::atomic<bool> posted_{false};
    std::mutex mutex_; // over listeners_, held while their `told` runs
    std::vector<const Listener*> listeners_;
};

// The one notifier of the picture path's engines and waiters, on the window's thread (the
// application's once there is one).
JobNotifier& ProgramJobNotifier();

// An engine of picture jobs as a waiter sees it (its ends told by ProgramJobNotifier).
class JobSource {
public:
    // A waiter no longer waits for these of its jobs (on the notifier's thread).
    virtual void Unwait(const std::vector<std::weak_ptr<const PictureJob>>& jobs) = 0;

protected:
    ~JobSource() = default;
};

// Calls back on the window's thread when jobs it waits for (its view's) have ended: once for any
// number of them since the last call. Its owner passes it to whatever asks for the jobs; it holds
// none of them. Cleared or destroyed, it calls nothing, and tells the engine it waits no more (a
// job no one else waits for may then be dropped).
class JobWaiter {
public:
    explicit JobWaiter(std::function<void()> ended);
    ~JobWaiter();
    JobWaiter(const JobWaiter&) = delete;
    JobWaiter& operator=(const JobWaiter&) = delete;

    bool IsWaiting() const { return !jobs_.empty(); }
    // Waits for `job` of `source` (one engine at a time: another's clears it first); false when it
    // is null or waited for already.
    bool Add(JobSource& source, const std::shared_ptr<const PictureJob>& job);
    void Clear();

private:
    void Check();

    std::function<void()> ended_;
    std::vector<std::weak_ptr<const PictureJob>> jobs_;
    JobSource* source_ = nullptr;
    QMetaObject::Connection connection_;
};

} // namespace platform
