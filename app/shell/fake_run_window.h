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
    void showProgress(const ShownProgress& shown) override {
        progress.push_back(std::to_string(shown.done) + " of " + std::to_string(shown.total) + " " + shown.fileInHand);
        failed.push_back(shown.failed);
    }

    int begun = 0;
    std::vector<std::string> progress;  // "done of total fileInHand", as shown
    std::vector<std::size_t> failed;    // the failures so far, as shown with each
};

}  // namespace shell
