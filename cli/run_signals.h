#pragma once

#include <atomic>
// The signals that would end pivora-cli in the middle of a run, made into ways a run ends.

// Ctrl-C (SIGINT), SIGTERM and SIGHUP stop a run as the window's Cancel does: no further photo
// starts, the photos in hand are abandoned untouched and the summary is printed. A second one of
// the same signal ends the program at once, which leaves every photograph whole as well, since a
// photo is only ever replaced by one rename. A closed pipe on standard output (SIGPIPE) no longer
// ends the process: the write fails with EPIPE, which the run takes as its end.
void stopRunOnSignals(std::atomic<int>& cancel);

// The signal that stopped the run, 0 when none did.
int runStopSignal();

// Its name for the console: "SIGTERM".
const char* signalName(int signal);

// A write past the process's file size limit (ulimit -f) fails with EFBIG, so that the photo
// being written is refused and left as it was, instead of SIGXFSZ ending the process.
void refuseWritesPastSizeLimit();
