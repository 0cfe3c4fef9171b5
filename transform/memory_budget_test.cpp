#include "transform/memory_budget.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

TEST(MemoryBudget, GrantsWhatFitsAndAnythingWhenNothingIsHeld) {
    std::atomic<int> cancel{0};
    MemoryBudget budget(100, cancel);
    EXPECT_TRUE(budget.reserve(500));  // more than the capacity, but alone
    budget.release(500);
    EXPECT_TRUE(budget.reserve(60));
    EXPECT_TRUE(budget.reserve(40));
    EXPECT_EQ(budget.held(), 100u);
    budget.release(100);
    EXPECT_EQ(budget.held(), 0u);
}

// A waiter goes on once enough is released; a cancel, which sets the flag without notifying
// (as a signal handler does), makes a waiter give up holding nothing.
TEST(MemoryBudget, AWaiterGoesOnAfterAReleaseAndGivesUpOnCancel) {
    std::atomic<int> cancel{0};
    MemoryBudget budget(100, cancel);
    ASSERT_TRUE(budget.reserve(70));
    auto waiter = std::async(std::launch::async, [&] { return budget.reserve(50); });
    EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(150)), std::future_status::timeout);
    budget.release(70);
    EXPECT_TRUE(waiter.get());
    EXPECT_EQ(budget.held(), 50u);

    auto cancelled = std::async(std::launch::async, [&] { return budget.reserve(80); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cancel = 1;
    EXPECT_FALSE(cancelled.get());
    EXPECT_EQ(budget.held(), 50u);
}

}  // namespace
