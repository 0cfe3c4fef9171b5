#pragma once
// The coefficient memory that the workers of one folder run may hold at once. A worker turning a
// photo holds about twice its coefficient bytes; when the photos in hand would together take
// more than the machine allows, a worker waits for another to finish instead of all of them
// running the machine out of memory.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>

class MemoryBudget {
public:
    // capacity: the bytes all workers may hold together (machineCoefficientLimit() suits one
    // machine); cancel: the run's cancel flag, which a waiting worker watches.
    MemoryBudget(std::size_t capacity, const std::atomic<int>& cancel);
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    // Holds `bytes` once they fit beside what others hold, at once when nothing is held (so a
    // photo larger than the capacity still gets its turn alone). false, holding nothing, when
    // the cancel flag is set while waiting: it is looked at several times a second.
    bool reserve(std::size_t bytes);

    // Gives back bytes held by reserve and wakes the waiting workers.
    void release(std::size_t bytes);

    std::size_t held() const;

private:
    const std::size_t capacity_;
    const std::atomic<int>& cancel_;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::size_t held_ = 0;
};
