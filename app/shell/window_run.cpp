#include "app/shell/window_run.h"

#include <chrono>

#include "app/shell/progress_text.h"

namespace shell {

WindowRunCount runInWindow(RunEngine& engine, const Plan& plan, const PhotoJob& job, RunWindow& window,
                           const std::function<void(const PlannedPhoto&, const RotateResult&)>& onResult) {
    WindowRunCount count;
    RunHooks hooks;
    hooks.onResult = [&](const PlannedPhoto& photo, const RotateResult& result) {
        if (result.outcome != FileOutcome::Cancelled) ++count.finished;
        if (result.outcome == FileOutcome::Refused) ++count.failed;
        onResult(photo, result);
    };
    const auto started = std::chrono::steady_clock::now();
    hooks.onProgress = [&](const RunProgress& progress) {
        const std::chrono::steady_clock::duration elapsed = std::chrono::steady_clock::now() - started;
        window.showProgress({progress.filesDone, progress.filesTotal, count.failed,
                             timeLeftText(progress.filesDone, progress.filesTotal, elapsed), progress.fileInHand});
        window.pumpMessages();
    };
    engine.run(plan, job, hooks);
    return count;
}

}  // namespace shell
