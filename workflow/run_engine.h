#pragma once
// The run engine: a plan's photos turned on several worker threads at once, their results handed
// back on the calling thread in the order of the plan. The engine owns what its workers share:
// the run's cancel flag and the coefficient memory the machine allows them together.

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "transform/memory_budget.h"
#include "workflow/plan.h"
#include "workflow/rotate_result.h"
#include "workflow/run_context.h"
#include "workflow/run_journal.h"

// Where a run stands, for a status window: "12 of 340" and the file in hand.
struct RunProgress {
    std::size_t filesDone = 0;   // results handed back so far
    std::size_t filesTotal = 0;  // photos of the plan
    std::string fileInHand;      // the first photo, in plan order, still being turned; empty when none
};

struct RunHooks {
    // Each photo's result, in the order of the plan. A photo that a cancel abandoned comes with
    // FileOutcome::Cancelled; a photo that never started does not come at all.
    std::function<void(const PlannedPhoto& photo, const RotateResult& result)> onResult;
    // After each result, and at least every 50 ms while the run waits for one; may cancel the run.
    std::function<void(const RunProgress& progress)> onProgress;
};

// Turns one planned photo of a run (turnPlannedPhoto, or a substitute in tests). It runs on the
// workers, several at once: it must not touch the calling thread's objects (a window) nor
// anything shared without a lock.
using PhotoJob = std::function<RotateResult(const PlannedPhoto& photo, const RunContext& run)>;

// The number of workers a run starts unless told otherwise: the cores this process may use.
unsigned defaultJobCount();

class RunEngine {
public:
    // Up to `jobs` workers (0: defaultJobCount()), never more than there are photos.
    explicit RunEngine(unsigned jobs = 0);
    RunEngine(const RunEngine&) = delete;
    RunEngine& operator=(const RunEngine&) = delete;

    // Stops the run from any thread, or a signal handler through cancelFlag(): no further photo
    // starts, the photos in hand are abandoned untouched, a listing stops before its next entry.
    void cancel() { cancel_ = 1; }
    bool cancelled() const { return cancel_ != 0; }
    std::atomic<int>& cancelFlag() { return cancel_; }
    // What the run's photos are turned with, and its listing watches.
    RunContext context() { return RunContext{&cancel_, &memory_, journal_.get()}; }

    // Turns the plan with `job` and blocks until every photo handed out is back, calling the hooks
    // on the calling thread meanwhile. A photo with a refusal known from its listing is refused
    // without being handed to `job`, and one the plan skips is left with FileOutcome::Skipped.
    // Whatever `job` throws becomes that photo's refusal. Each result goes into the run's journal
    // (workflow/run_journal.h) from the worker that had the photo, and the run's end after them.
    void run(const Plan& plan, const PhotoJob& job, const RunHooks& hooks);

    // Every run of a plan keeps a journal unless told not to: a dry run changes nothing.
    void keepNoJournal() { journalled_ = false; }
    // The last run's journal: its name ("" when none could be kept), and what to tell the user
    // when it could not be written ("" when it was).
    std::string journalName() const { return journal_ ? journal_->name() : ""; }
    std::string journalNote() const { return journal_ ? journalProblemNote(journal_->problem()) : ""; }

private:
    unsigned jobs_;
    std::atomic<int> cancel_{0};
    MemoryBudget memory_;
    bool journalled_ = true;
    std::unique_ptr<RunJournal> journal_;
};
