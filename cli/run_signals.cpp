#include "cli/run_signals.h"

#include <atomic>
#include <csignal>


namespace {

std::atomic<int> stopSignal{0};
std::atomic<std::atomic<int>*> runToStop{nullptr};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");
static_assert(std::atomic<std::atomic<int>*>::is_always_lock_free, "read from a signal handler");

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void onStop(int signal) {
    stopSignal = signal;
    if (std::atomic<int>* cancel = runToStop.load()) *cancel = 1;
}

}  // namespace

void stopRunOnSignals(std::atomic<int>& cancel) {
    runToStop = &cancel;
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : kStopSignals) sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int runStopSignal() { return stopSignal; }

const char* signalName(int signal) {
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    }
    return "a signal";
}

void refuseWritesPastSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }
