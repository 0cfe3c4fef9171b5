#pragma once
// The window side of a run, as the commands see it: the status window, the wait cursor and
// the message pump. Called on the window's own thread only.

#include <cstddef>
#include <string>

namespace shell {

// Where a run stands, as the status window shows it.
struct ShownProgress {
    std::size_t done = 0;    // files whose result is in
    std::size_t total = 0;   // files of the run
    std::size_t failed = 0;  // of those done, the files that could not be turned
    std::string timeLeft;    // "about 2 minutes left"; empty until it can be told
    std::string fileInHand;  // the file being turned; empty: none
};

struct RunWindow {
    virtual ~RunWindow() = default;
    // Shows the wait cursor and the status window, and disables the commands that start a run.
    virtual void beginRun() = 0;
    // Undoes beginRun: hides the status window, restores the cursor and the commands.
    virtual void endRun() = 0;
    // Handles the events waiting in the queue without waiting for more (repaints, Cancel).
    virtual void pumpMessages() = 0;
    // Shows where the run stands.
    virtual void showProgress(const ShownProgress& progress) = 0;
};

}  // namespace shell
