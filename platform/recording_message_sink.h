#pragma once
// A message sink for tests: every message and question is recorded and answered at once, each
// question with `answer`.

#include <string>
#include <vector>

#include "platform/message_sink.h"

namespace platform {

struct RecordedMessage {
    std::string text;
    MessageIcon icon;
    std::string details;
};

class RecordingMessageSink : public MessageSink {
public:
    void show(const std::string& text, MessageIcon icon) override { messages.push_back({text, icon, {}}); }
    void showWithDetails(const std::string& text, MessageIcon icon, const std::string& details) override {
        messages.push_back({text, icon, details});
    }
    bool ask(const std::string& question) override {
        questions.push_back(question);
        return answer;
    }
    // Recorded as a message with its buttons; answered with the next of `choices`, else `escape`.
    std::size_t choose(const std::string& text, MessageIcon icon, const std::string& details,
                       const std::vector<std::string>& shown, std::size_t, std::size_t escape) override {
        messages.push_back({text, icon, details});
        buttons.push_back(shown);
        if (choices.empty()) return escape;
        const std::size_t chosen = choices.front();
        choices.erase(choices.begin());
        return chosen;
    }
    // The texts shown so far, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> shown;
        for (const RecordedMessage& message : messages) shown.push_back(message.text);
        return shown;
    }
    std::vector<RecordedMessage> messages;
    std::vector<std::string> questions;
    bool answer = false;
    std::vector<std::vector<std::string>> buttons;  // of each choose(), in order
    std::vector<std::size_t> choices;               // the answers to the next choose() calls
};

}  // namespace platform
