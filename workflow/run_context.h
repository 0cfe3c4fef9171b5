#pragma once
// What every photo of a run is turned with: the run's cancel flag and the coefficient memory its
// workers share. Both belong to the run engine; a photo turned outside a run has neither.

#include <atomic>

class MemoryBudget;
class RunJournal;

struct RunContext {
    // Set to 1 to stop the run: no further photo starts and the one in hand is abandoned
    // untouched. A lock-free atomic, so that a signal handler may set it.
    std::atomic<int>* cancel = nullptr;
    MemoryBudget* memory = nullptr;  // null: each photo on its own, within the machine's limit
    RunJournal* journal = nullptr;   // null: the run keeps no journal (a dry run, a photo on its own)

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed) != 0; }
    void stop() const {
        if (cancel) *cancel = 1;
    }
};
static_assert(std::atomic<int>::is_always_lock_free, "the cancel flag is set from a signal handler");
