#pragma once
// The review's plan applied: the photos it changes turned on the run engine (every core) while the
// run window shows the progress, the switches (backup, times) as the folder command applies them.
// A photo whose tile was made from the file is turned only while the file is still in the state
// it was shown in; one that changed is left for the next run, to be shown again first.

#include <functional>
#include <string>

#include "app/shell/result_messages.h"
#include "app/shell/review_plan.h"
#include "app/shell/run_window.h"
#include "app/shell/shell_commands.h"
#include "workflow/run_engine.h"
#include "workflow/run_state.h"

namespace shell {

class ReviewRun {
public:
    // `jobs` photos turned at once (0: one for each core).
    ReviewRun(RunWindow& window, FileRotator rotate, unsigned jobs = 0);

    // Turns what `plan` changes, records each photo's result in it, and says how the run went
    // as the folder command says it (106 or 107, the failures behind the details), for `folder`.
    ResultMessage apply(ReviewPlan& plan, const ProcessingOptions& options, const std::string& folder);
    // The journal of the last apply ("" when none was kept): what undo puts back.
    const std::string& lastJournal() const { return lastJournal_; }
    // Puts back what the run of `journal` turned, records each photo put back in `plan`, and says
    // how the undo went.
    ResultMessage undo(ReviewPlan& plan, const ProcessingOptions& options, const std::string& journal);
    // The status window's Cancel: no further photo starts.
    void cancel() {
        if (engine_) engine_->cancel();
    }
    bool running() const { return engine_ != nullptr; }

private:
    // `run` on an engine of its own while the window shows the progress; `onResult` in plan order.
    // False when it was cancelled before every photo had its result.
    bool runPlan(const Plan& run, const PhotoJob& job,
                 const std::function<void(const PlannedPhoto&, const RotateResult&)>& onResult);
    RunWindow& window_;
    FileRotator rotate_;
    unsigned jobs_;
    RunEngine* engine_ = nullptr;
    std::string lastJournal_;
    std::string journalNote_;  // the journal's trouble, said after the result
};

}  // namespace shell
