#pragma once
// The one line of the status window that the per-file workflow writes.

#include <string>

namespace platform {

struct StatusLine {
    virtual ~StatusLine() = default;
    // Shows `text` and repaints at once, before the caller goes on working. No result.
    virtual void show(const std::string& text) = 0;
};

// A status line that shows nothing (console runs, tests that do not look).
struct SilentStatusLine : StatusLine {
    void show(const std::string&) override {}
};

}  // namespace platform
