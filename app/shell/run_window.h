#pragma once
// The window side of a run, as the commands see it: the status window, the wait cursor and
// the message pump.

#include "platform/status_line.h"

namespace shell {

struct RunWindow {
    virtual ~RunWindow() = default;
    // Shows the wait cursor and the status window, and disables the commands that start a run.
    virtual void beginRun() = 0;
    // Undoes beginRun: hides the status window, restores the cursor and the commands.
    virtual void endRun() = 0;
    // Handles the events waiting in the queue without waiting for more (repaints, Cancel).
    virtual void pumpMessages() = 0;
    // The status window's text line, which the per-file workflow writes.
    virtual platform::StatusLine& statusLine() = 0;
};

}  // namespace shell
