#include "timesync/sync_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace kronvik {
namespace {

using namespace std::chrono_literals;

TEST(SyncWorkerTest, WakingRunsExactlyOneExchangeAndABusyWorkerIgnoresWakes) {
    std::atomic<int> runs{0};
    std::promise<void> entered;
    std::promise<void> release;
    auto release_future = release.get_future().share();
    bool first = true;
    SyncWorker worker([&] {
        ++runs;
        if (first) {
            first = false;
            entered.set_value();
            release_future.wait();
        }
    });
    EXPECT_FALSE(worker.Busy());
    EXPECT_EQ(runs.load(), 0);   // created idle

    ASSERT_TRUE(worker.Wake());
    entered.get_future().wait();
    EXPECT_TRUE(worker.Busy());
    EXPECT_FALSE(worker.Wake());   // the request is not kept
    release.set_value();

    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (worker.Busy() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    ASSERT_FALSE(worker.Busy());
    EXPECT_EQ(runs.load(), 1);

    ASSERT_TRUE(worker.Wake());
    while (worker.Busy() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(runs.load(), 2);
}

}  // namespace
}  // namespace kronvik
