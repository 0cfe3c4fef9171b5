#include "cli/console_output.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/console_text.h"
#include "cli/json_text.h"

namespace {

constexpr const char* kNotePrefix = "pivora-cli: ";

// The whole text in as few writes as the descriptor takes; a lost terminal is not an error here.
void writeAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace

ConsoleOutput::ConsoleOutput()
    : terminal_(::isatty(STDERR_FILENO) == 1), resultsOnTerminal_(::isatty(STDOUT_FILENO) == 1) {}

bool ConsoleOutput::result(const std::string& line) { return writeResult(consoleText(line)); }

bool ConsoleOutput::jsonResult(const std::string& json) { return writeResult(jsonForTerminal(json)); }

bool ConsoleOutput::writeResult(const std::string& safeLine) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (lost_) return false;
    if (resultsOnTerminal_) clearStatusLocked();  // a terminal shows both streams in one place
    const std::string text = safeLine + "\n";
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) return true;
    const int error = errno;
    lost_ = true;
    // Whoever closed the pipe wants no more; another failure (a full disk) is worth a word.
    if (error != EPIPE) noteLocked(std::string("can't write the results: ") + std::strerror(error ? error : EIO));
    return false;
}

bool ConsoleOutput::resultsLost() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lost_;
}

void ConsoleOutput::note(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    noteLocked(line);
}

void ConsoleOutput::noteLocked(const std::string& line) {
    clearStatusLocked();
    writeAll(STDERR_FILENO, kNotePrefix + consoleText(line) + "\n");
}

std::size_t ConsoleOutput::statusColumns() const {
    winsize size{};
    const std::size_t columns = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    return columns - 1;
}

void ConsoleOutput::status(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!terminal_ || line == statusLine_) return;
    const std::size_t width = displayWidth(line);
    // Spaces over what is left of a longer line before.
    const std::size_t padding = statusWidth_ > width ? statusWidth_ - width : 0;
    writeAll(STDERR_FILENO, "\r" + line + std::string(padding, ' '));
    statusLine_ = line;
    statusWidth_ = width;
}

void ConsoleOutput::clearStatus() {
    std::lock_guard<std::mutex> lock(mutex_);
    clearStatusLocked();
}

void ConsoleOutput::clearStatusLocked() {
    if (statusWidth_ == 0) return;
    writeAll(STDERR_FILENO, "\r" + std::string(statusWidth_, ' ') + "\r");
    statusWidth_ = 0;
    statusLine_.clear();
}

ConsoleOutput& console() {
    static ConsoleOutput output;
    return output;
}

std::size_t displayWidth(const std::string& text) {
    std::size_t width = 0;
    for (unsigned char c : text) width += (c & 0xC0) != 0x80;  // every byte but a continuation byte
    return width;
}
