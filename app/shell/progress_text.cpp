#include "app/shell/progress_text.h"

#include <cmath>

namespace shell {
namespace {

// Before this, the first files alone (which also wait for the workers to start) would mislead.
constexpr std::size_t kFilesToEstimate = 3;
constexpr std::chrono::seconds kTimeToEstimate{5};

std::string about(long count, const char* unit) {
    return "about " + std::to_string(count) + " " + unit + (count == 1 ? "" : "s") + " left";
}

}  // namespace

std::string timeLeftText(std::size_t done, std::size_t total, std::chrono::steady_clock::duration elapsed) {
    if (done == 0 || done >= total) return {};
    if (done < kFilesToEstimate && elapsed < kTimeToEstimate) return {};
    const double perFile = std::chrono::duration<double>(elapsed).count() / static_cast<double>(done);
    const long seconds = std::lround(perFile * static_cast<double>(total - done));
    // Rounded as a person would say it; the estimate is rough anyway.
    if (seconds < 10) return "a few seconds left";
    if (seconds < 58) return about(std::lround(seconds / 5.0) * 5, "second");
    const long minutes = std::lround(seconds / 60.0);
    if (minutes < 60) return about(minutes, "minute");
    return about(std::lround(seconds / 3600.0), "hour");
}

std::string failedSoFarText(std::size_t failed) {
    return failed == 0 ? std::string() : std::to_string(failed) + " could not be turned";
}

}  // namespace shell
