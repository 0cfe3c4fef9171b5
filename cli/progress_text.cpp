#include "cli/progress_text.h"

#include <algorithm>
#include <cmath>

#include "cli/console_output.h"
#include "cli/console_text.h"

namespace {

std::string counted(long long count, const char* unit) {
    return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

// The end of `text` that takes at most `columns`, with "..." where its start was cut; empty when
// not even that fits.
std::string endFitting(const std::string& text, std::size_t columns) {
    std::size_t width = displayWidth(text);
    if (width <= columns) return text;
    const std::string cut = "...";
    if (columns <= cut.size()) return "";
    std::size_t from = 0;
    for (; from < text.size() && width > columns - cut.size(); ++from)
        width -= (static_cast<unsigned char>(text[from]) & 0xC0) != 0x80;
    while (from < text.size() && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) ++from;
    return cut + text.substr(from);
}

}  // namespace

std::string durationText(double seconds) {
    if (seconds < 59.5) return counted(std::max(1LL, std::llround(seconds)), "second");
    if (seconds < 3570) return counted(std::llround(seconds / 60), "minute");
    return counted(std::llround(seconds / 3600), "hour");
}

std::string progressText(const RunProgress& progress, double secondsSoFar, std::size_t columns) {
    std::string line = std::to_string(progress.filesDone) + " of " + std::to_string(progress.filesTotal);
    if (progress.filesDone > 0 && progress.filesDone < progress.filesTotal) {
        const double left = secondsSoFar / progress.filesDone * (progress.filesTotal - progress.filesDone);
        line += ", about " + durationText(left) + " left";
    }
    if (line.size() > columns) return line.substr(0, columns);  // ASCII alone: a byte a column
    if (progress.fileInHand.empty() || line.size() + 2 >= columns) return line;
    const std::string path = endFitting(consoleText(progress.fileInHand), columns - line.size() - 2);
    return path.empty() ? line : line + ": " + path;
}

std::string listingText(std::size_t filesListed) {
    return "Listing the folders: " + counted(static_cast<long long>(filesListed), "file") + " so far";
}
