#pragma once
// Everything pivora-cli prints goes through here: the result lines on standard output, its own
// notes on standard error after "pivora-cli: ", and on a terminal's standard error the one status
// line that says where a run stands, rewritten in place and cleared before any other line on
// that terminal. Every text is made safe for a terminal (consoleText). One lock keeps the lines whole.

#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>

class ConsoleOutput {
public:
    ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // A result line on standard output, flushed at once. False once standard output cannot be
    // written: a closed pipe (EPIPE) is taken quietly, any other failure said once as a note;
    // nothing more goes to standard output after that.
    bool result(const std::string& line);
    // A result line of JSON text, as it is but for the characters a terminal would act on
    // (jsonForTerminal): escaping it as a name would make it no JSON.
    bool jsonResult(const std::string& json);
    bool resultsLost() const;
    // "pivora-cli: LINE" on standard error.
    void note(const std::string& line);

    // True when standard error is a terminal, which alone shows the status line.
    bool showsStatus() const { return terminal_; }
    // The width the status line may take, one column short of the terminal's, so that it never wraps.
    std::size_t statusColumns() const;
    // Shows `line` (already fitted to statusColumns, made safe) as the status line.
    void status(const std::string& line);
    void clearStatus();

private:
    bool writeResult(const std::string& safeLine);
    void clearStatusLocked();
    void noteLocked(const std::string& line);

    mutable std::mutex mutex_;
    const bool terminal_;
    const bool resultsOnTerminal_;
    std::size_t statusWidth_ = 0;  // columns of the status line on screen; 0 when none is shown
    std::string statusLine_;
    bool lost_ = false;
};

// The one console of the process.
ConsoleOutput& console();

// The columns `text` takes on a terminal, one for each UTF-8 character.
std::size_t displayWidth(const std::string& text);
