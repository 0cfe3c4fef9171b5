#include "transform/memory_budget.h"

#include <chrono>

namespace {

// The cancel flag may be set from a signal handler, which cannot notify: waiting is done in
// slices short enough for a cancel to act within half a second.
constexpr std::chrono::milliseconds kCancelCheckInterval{100};

}  // namespace

MemoryBudget::MemoryBudget(std::size_t capacity, const std::atomic<int>& cancel)
    : capacity_(capacity), cancel_(cancel) {}

bool MemoryBudget::reserve(std::size_t bytes) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto fits = [&] { return held_ == 0 || (held_ <= capacity_ && bytes <= capacity_ - held_); };
    while (!fits()) {
        if (cancel_.load() != 0) return false;
        released_.wait_for(lock, kCancelCheckInterval);
    }
    held_ += bytes;
    return true;
}

void MemoryBudget::release(std::size_t bytes) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        held_ -= bytes < held_ ? bytes : held_;
    }
    released_.notify_all();
}

std::size_t MemoryBudget::held() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_;
}
