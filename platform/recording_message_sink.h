#pragma once
// A message sink for tests: every message is recorded and answered at once.

#include <string>
#include <vector>

#include "platform/message_sink.h"

namespace platform {

struct RecordedMessage {
    std::string text;
    MessageIcon icon;
};

class RecordingMessageSink : public MessageSink {
public:
    void show(const std::string& text, MessageIcon icon) override { messages.push_back({text, icon}); }
    std::vector<RecordedMessage> messages;
};

}  // namespace platform
