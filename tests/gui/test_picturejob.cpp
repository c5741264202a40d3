// The picture jobs' pool and notifier: a lane runs at most its share of jobs at once, in the order
// started, a staying lane on one thread; jobs not begun are dropped; ends coming together are told
// once on the notifier's thread.
#include "gui/PictureJob.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

using namespace platform;

TEST(PictureJob, ALaneRunsAtMostItsShareInTheOrderStarted)
{
    struct Row {
        int Most;
        JobLane::Keeping Keeping;
        int Jobs;
        std::size_t MostThreads; // of the pool, ever used by the lane
    };
    const Row rows[] = {
        {1, JobLane::Leaves, 6, 6},
        {1, JobLane::Stays, 6, 1},
        {3, JobLane::Leaves, 12, 12},
    };
    for (const Row& row : rows) {
        std::mutex mutex;
        std::vector<int> order;
        std::set<std::thread::id> threads;
        std::atomic<int> running{0}, most{0};
        {
            JobLane lane(row.Most, row.Keeping);
            for (int i = 0; i < row.Jobs; ++i)
                lane.Start([&, i] {
                    const int now = ++running;
                    for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(3));
                    {
                        const std::lock_guard lock(mutex);
                        order.push_back(i);
                        threads.insert(std::this_thread::get_id());
                    }
                    --running;
                });
            lane.WaitForDone();
            EXPECT_EQ(int(order.size()), row.Jobs);
            EXPECT_LE(most.load(), row.Most);
            EXPECT_LE(threads.size(), row.MostThreads);
            if (row.Most == 1) {
                EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << "one at a time, in the order started";
            }
        }
    }
}

TEST(PictureJob, ALaneDropsWhatIsNotBegunAndItsEndsAreToldOnce)
{
    std::atomic<bool> begun{false}, release{false};
    std::atomic<int> ran{0};
    {
        JobLane lane(1);
        lane.Start([&] {
            begun = true;
            while (!release.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ++ran;
        });
        for (int i = 0; i < 3; ++i)
            lane.Start([&] { ++ran; });
        while (!begun.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        lane.Clear();
        release = true;
        lane.WaitForDone();
    }
    EXPECT_EQ(ran.load(), 1) << "the jobs not begun are dropped";

    // Two engines' bookkeeping, each done before the waiters are called.
    int told = 0, toldToo = 0, ended = 0, toldBeforeEnded = 0;
    JobNotifier notifier;
    const JobNotifier::Listener listener(notifier, [&] { ++told; });
    const JobNotifier::Listener another(notifier, [&] { ++toldToo; });
    QObject::connect(&notifier, &JobNotifier::Ended, [&] {
        ++ended;
        toldBeforeEnded += told == ended && toldToo == ended;
    });
    std::vector<std::thread> workers;
    for (int i = 0; i < 4; ++i)
        workers.emplace_back([&] { notifier.Tell(); });
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(ended, 0) << "told on the notifier's thread, not the worker's";
    QCoreApplication::processEvents();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(toldToo, 1);
    EXPECT_EQ(ended, 1) << "ends that came together are told once";
    notifier.Tell();
    QCoreApplication::processEvents();
    EXPECT_EQ(ended, 2) << "an end after the notice is told again";
    EXPECT_EQ(toldBeforeEnded, 2) << "every listener's work runs before Ended";
}

} // namespace
