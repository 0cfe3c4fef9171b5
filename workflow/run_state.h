#pragma once
// What a run shares between its front end and the folder walk: the counters and the cancel flag.

#include <csignal>
#include <cstdint>

// Set to 1 to stop a folder run before its next entry (the status window's Cancel, Ctrl-C);
// cleared at the start of every run. sig_atomic_t so that a signal handler may set it.
extern volatile std::sig_atomic_t cancelRequested;

struct RunCounters {
    std::int32_t filesRead = 0;     // files handed to the workflow (or found unreadable)
    std::int32_t filesRotated = 0;  // files the workflow reported as rotated
};
