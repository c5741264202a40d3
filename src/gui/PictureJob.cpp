#include "gui/PictureJob.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <malloc.h>

#include <algorithm>

namespace platform {

void ReturnFreedMemory() { malloc_trim(0); }

JobPool::JobPool() : threads_(std::make_unique<QThreadPool>()) { threads_->setMaxThreadCount(1); }

JobPool::~JobPool() { threads_->waitForDone(); }

void JobPool::Grow(int threads)
{
    const std::lock_guard lock(mutex_);
    lanesThreads_ += threads;
    threads_->setMaxThreadCount(std::max(1, lanesThreads_));
}

JobPool& ProgramJobPool()
{
    static JobPool pool;
    return pool;
}

JobLane::JobLane(int most, Keeping keeping, JobPool& pool)
    : pool_(pool), most_(std::max(most, 1)), keeping_(keeping)
{
    pool_.Grow(most_);
}

JobLane::~JobLane()
{
    {
        std::unique_lock lock(mutex_);
        waiting_.clear();
        closing_ = true;
        started_.notify_all();
        idle_.wait(lock, [this] { return drains_ == 0; });
    }
    pool_.Grow(-most_);
}

void JobLane::Start(std::function<void()> job)
{
    {
        const std::lock_guard lock(mutex_);
        waiting_.push_back(std::move(job));
        if (drains_ >= most_) {
            started_.notify_one();
            return;
        }
        ++drains_;
    }
    pool_.threads_->start([this] { Drain(); });
}

void JobLane::Drain()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            if (keeping_ == Stays)
                started_.wait(lock, [this] { return !waiting_.empty() || closing_; });
            if (waiting_.empty()) {
                --drains_;
                idle_.notify_all();
                return;
            }
            job = std::move(waiting_.front());
            waiting_.pop_front();
            ++busy_;
        }
        // Each engine ends its jobs whatever they throw; what escapes would end the program.
        try {
            job();
        } catch (...) {
        }
        const std::lock_guard lock(mutex_);
        --busy_;
        idle_.notify_all();
    }
}

void JobLane::Clear()
{
    const std::lock_guard lock(mutex_);
    waiting_.clear();
}

void JobLane::WaitForDone()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return busy_ == 0 && waiting_.empty(); });
}

JobNotifier::Listener::Listener(JobNotifier& notifier, std::function<void()> told)
    : notifier_(notifier), told_(std::move(told))
{
    const std::lock_guard lock(notifier_.mutex_);
    notifier_.listeners_.push_back(this);
}

JobNotifier::Listener::~Listener()
{
    const std::lock_guard lock(notifier_.mutex_);
    std::erase(notifier_.listeners_, this);
}

void JobNotifier::Tell()
{
    if (posted_.exchange(true, std::memory_order_acq_rel))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            // Jobs that end from here on tell again; those ended before are told now.
            posted_.store(false, std::memory_order_release);
            {
                const std::lock_guard lock(mutex_);
                for (const Listener* listener : listeners_)
                    if (listener->told_)
                        listener->told_();
            }
            emit Ended();
        },
        Qt::QueuedConnection);
}

JobNotifier& ProgramJobNotifier()
{
    static JobNotifier notifier;
    static const bool placed = [] {
        if (const QCoreApplication* application = QCoreApplication::instance())
            notifier.moveToThread(application->thread());
        return true;
    }();
    (void)placed;
    return notifier;
}

JobWaiter::JobWaiter(std::function<void()> ended) : ended_(std::move(ended)) {}

JobWaiter::~JobWaiter() { Clear(); }

bool JobWaiter::Add(JobSource& source, const std::shared_ptr<const PictureJob>& job)
{
    if (!job || std::any_of(jobs_.begin(), jobs_.end(), [&](const auto& held) { return held.lock() == job; }))
        return false;
    if (source_ && source_ != &source)
        Clear();
    jobs_.push_back(job);
    if (!connection_) {
        source_ = &source;
        connection_ = QObject::connect(&ProgramJobNotifier(), &JobNotifier::Ended, [this] { Check(); });
    }
    return true;
}

void JobWaiter::Clear()
{
    if (source_ && !jobs_.empty())
        source_->Unwait(jobs_);
    jobs_.clear();
    QObject::disconnect(connection_);
    connection_ = {};
    source_ = nullptr;
}

void JobWaiter::Check()
{
    const std::size_t before = jobs_.size();
    std::erase_if(jobs_, [](const auto& held) {
        const std::shared_ptr<const PictureJob> job = held.lock();
        return !job || job->Ended();
    });
    if (jobs_.size() == before)
        return;
    if (jobs_.empty())
        Clear();
    // Last: the call may ask again, or end the waiter's owner.
    const std::function<void()> ended = ended_;
    ended();
}

} // namespace platform
