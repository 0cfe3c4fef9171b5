#pragma once
// The review's plan applied: the photos it changes turned on the run engine (every core) while the
// run window shows the progress, the switches (backup, times) as the folder command applies them.
// A photo whose tile was made from the file is turned only while the file is still in the state
// it was shown in; one that changed is left for the next run, to be shown again first.

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
    // The status window's Cancel: no further photo starts.
    void cancel() {
        if (engine_) engine_->cancel();
    }
    bool running() const { return engine_ != nullptr; }

private:
    RunWindow& window_;
    FileRotator rotate_;
    unsigned jobs_;
    RunEngine* engine_ = nullptr;
};

}  // namespace shell
