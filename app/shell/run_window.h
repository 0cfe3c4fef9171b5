#pragma once
// The window side of a run, as the commands see it: the status window, the wait cursor and
// the message pump. Called on the window's own thread only.

#include <cstddef>
#include <string>

namespace shell {

struct RunWindow {
    virtual ~RunWindow() = default;
    // Shows the wait cursor and the status window, and disables the commands that start a run.
    virtual void beginRun() = 0;
    // Undoes beginRun: hides the status window, restores the cursor and the commands.
    virtual void endRun() = 0;
    // Handles the events waiting in the queue without waiting for more (repaints, Cancel).
    virtual void pumpMessages() = 0;
    // Shows where the run stands: `done` of `total` files, and the file in hand (empty: none).
    virtual void showProgress(std::size_t done, std::size_t total, const std::string& fileInHand) = 0;
};

}  // namespace shell
