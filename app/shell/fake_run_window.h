#pragma once
// A run window for tests: counts the runs begun and records the progress shown.

#include <string>
#include <vector>

#include "app/shell/run_window.h"

namespace shell {

class FakeRunWindow : public RunWindow {
public:
    void beginRun() override { ++begun; }
    void endRun() override {}
    void pumpMessages() override {}
    void showProgress(std::size_t done, std::size_t total, const std::string& fileInHand) override {
        progress.push_back(std::to_string(done) + " of " + std::to_string(total) + " " + fileInHand);
    }

    int begun = 0;
    std::vector<std::string> progress;  // "done of total fileInHand", as shown
};

}  // namespace shell
