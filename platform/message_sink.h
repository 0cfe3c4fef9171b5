#pragma once
// Where the window's messages go: a message box with the program's title and one OK button, a
// question with Yes and No, or a message with buttons of its own.

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

enum class MessageIcon { None, Warning, Exclamation };

struct MessageSink {
    virtual ~MessageSink() = default;
    // Shows `text` and returns when the user has answered it. No result.
    virtual void show(const std::string& text, MessageIcon icon) = 0;
    // As show, with `details` (one item a line) offered behind a button; empty `details`: as show. No result.
    virtual void showWithDetails(const std::string& text, MessageIcon icon, const std::string& details) = 0;
    // Asks `question` and returns when the user has answered it: true for Yes, false for No.
    virtual bool ask(const std::string& question) = 0;
    // As showWithDetails, with `buttons` (their texts) in place of OK, Enter pressing the one at
    // `preferred`; returns the index of the one pressed, `escape` for Escape and the close control.
    virtual std::size_t choose(const std::string& text, MessageIcon icon, const std::string& details,
                               const std::vector<std::string>& buttons, std::size_t preferred, std::size_t escape) = 0;
};

}  // namespace platform
