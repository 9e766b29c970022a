// The pool that loads a log on several cores: every piece runs exactly once,
// progress is told on the calling thread, a piece's exception reaches the caller,
// and one thread means the calling thread alone.
#include "core/model/Parallel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

class ParallelTest : public ::testing::Test {
protected:
    void TearDown() override { SetWorkerThreads(0); }
};

TEST_F(ParallelTest, EveryPieceRunsOnceAndProgressEndsOnTheCallingThread)
{
    const std::thread::id caller = std::this_thread::get_id();
    for (int threads : {1, 2, 8}) {
        for (int count : {0, 1, 3, 100}) {
            SetWorkerThreads(threads);
            std::vector<int> runs(static_cast<std::size_t>(count), 0);  // each piece writes its own slot
            std::vector<int> told;
            bool elsewhere = false;
            ParallelFor(
                count, [&](int i) { ++runs[static_cast<std::size_t>(i)]; },
                [&](int done) {
                    elsewhere = elsewhere || std::this_thread::get_id() != caller;
                    told.push_back(done);
                });
            EXPECT_EQ(runs, std::vector<int>(static_cast<std::size_t>(count), 1)) << threads << " " << count;
            ASSERT_FALSE(told.empty());
            EXPECT_EQ(told.back(), count);
            for (std::size_t k = 1; k < told.size(); ++k)
                EXPECT_LE(told[k - 1], told[k]);
            EXPECT_FALSE(elsewhere);
        }
    }
}

TEST_F(ParallelTest, OneThreadRunsEveryPieceOnTheCallingThreadInOrder)
{
    SetWorkerThreads(1);
    EXPECT_EQ(WorkerThreads(), 1);
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<int> order;
    std::vector<int> told;
    bool elsewhere = false;
    ParallelFor(
        5,
        [&](int i) {
            elsewhere = elsewhere || std::this_thread::get_id() != caller;
            order.push_back(i);
        },
        [&](int done) { told.push_back(done); });
    EXPECT_FALSE(elsewhere);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(told, (std::vector<int>{1, 2, 3, 4, 5}));
    SetWorkerThreads(0);
    EXPECT_EQ(WorkerThreads(), static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
}

TEST_F(ParallelTest, PiecesRunSideBySide)
{
    // Each of two pieces waits for the other to start: only two threads at once
    // let both see the other.
    SetWorkerThreads(2);
    std::atomic<int> started{0};
    std::vector<int> sawOther(2, 0);
    ParallelFor(2, [&](int i) {
        ++started;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (started.load() < 2 && std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
        sawOther[static_cast<std::size_t>(i)] = started.load() == 2 ? 1 : 0;
    });
    EXPECT_EQ(sawOther, (std::vector<int>{1, 1}));
}

TEST_F(ParallelTest, APiecesExceptionReachesTheCallerAfterEveryPieceRan)
{
    for (int threads : {1, 4}) {
        SetWorkerThreads(threads);
        std::vector<int> runs(40, 0);
        EXPECT_THROW(ParallelFor(40,
                                 [&](int i) {
                                     ++runs[static_cast<std::size_t>(i)];
                                     if (i == 7)
                                         throw std::runtime_error("piece 7");
                                 }),
                     std::runtime_error);
        EXPECT_EQ(runs, std::vector<int>(40, 1)) << threads;
        // The pool is usable again afterwards.
        int after = 0;
        ParallelFor(1, [&](int) { ++after; });
        EXPECT_EQ(after, 1);
    }
}

TEST_F(ParallelTest, ACallFromInsideAPieceRunsOnThatPiecesThread)
{
    SetWorkerThreads(4);
    std::vector<std::vector<int>> inner(8, std::vector<int>(5, 0));
    std::vector<int> sameThread(8, 0);
    ParallelFor(8, [&](int i) {
        const std::thread::id outer = std::this_thread::get_id();
        bool same = true;
        ParallelFor(5, [&](int j) {
            same = same && std::this_thread::get_id() == outer;
            ++inner[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
        });
        sameThread[static_cast<std::size_t>(i)] = same ? 1 : 0;
    });
    EXPECT_EQ(inner, std::vector<std::vector<int>>(8, std::vector<int>(5, 1)));
    EXPECT_EQ(sameThread, std::vector<int>(8, 1));
}

}  // namespace
