#pragma once
// A run window for tests: records what a run did to it and can press Cancel at a chosen pump.

#include <functional>
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
    void beginRun() override {
        ++begun;
        running = true;
    }
    void endRun() override {
        ++ended;
        running = false;
    }
    void pumpMessages() override {
        ++pumps;
        if (onPump) onPump(pumps);
    }
    platform::StatusLine& statusLine() override { return status; }

    int begun = 0;
    int ended = 0;
    int pumps = 0;
    bool running = false;
    std::function<void(int pumpNumber)> onPump;  // called inside each pump
    RecordingStatusLine status;
};

}  // namespace shell
