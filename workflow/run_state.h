#pragma once
// What a run shares between its front end, the folder walk and the workers: the counters and
// the cancel flag.

#include <atomic>
#include <cstdint>

// Set to 1 to stop a run (the status window's Cancel, Ctrl-C): the folder walk stops before its
// next entry and the file in hand is abandoned untouched. Cleared at the start of every run.
// A lock-free atomic, so that a signal handler may set it and every worker thread may read it.
extern std::atomic<int> cancelRequested;
static_assert(std::atomic<int>::is_always_lock_free, "the cancel flag is set from a signal handler");

struct RunCounters {
    std::int32_t filesRead = 0;     // files handed to the workflow (or found unreadable)
    std::int32_t filesRotated = 0;  // files the workflow reported as rotated
};
