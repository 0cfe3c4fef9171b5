#pragma once
// A plan turned on the run engine while a window shows where the run stands: the progress with
// its time left and the failures so far after each result and while the run waits, the window's
// events handled meanwhile. Shared by the commands of the main window and the review.

#include <cstddef>
#include <functional>

#include "app/shell/run_window.h"
#include "workflow/run_engine.h"

namespace shell {

struct WindowRunCount {
    std::size_t finished = 0;  // results other than Cancelled
    std::size_t failed = 0;    // of those, refused
};

// Runs `plan` with `job` on `engine`, handing each result to `onResult` in plan order.
WindowRunCount runInWindow(RunEngine& engine, const Plan& plan, const PhotoJob& job, RunWindow& window,
                           const std::function<void(const PlannedPhoto&, const RotateResult&)>& onResult);

}  // namespace shell
