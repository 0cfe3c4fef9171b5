#pragma once
// A run window for tests: counts the runs begun and hands out a status line that records its texts.

#include <string>
#include <vector>

#include "app/shell/run_window.h"

namespace shell {

class RecordingStatusLine : public platform::StatusLine {
public:
    void show(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class FakeRunWindow : public RunWindow {
public:
    void beginRun() override { ++begun; }
    void endRun() override {}
    void pumpMessages() override {}
    platform::StatusLine& statusLine() override { return status; }

    int begun = 0;
    RecordingStatusLine status;
};

}  // namespace shell
