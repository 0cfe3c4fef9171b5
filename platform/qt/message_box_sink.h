#pragma once
// Messages in modal message boxes titled "Pivora", with one OK button, owned by a window;
// details behind the box's own "Show Details..." button. Questions with Yes and No, No the default.

#include <QPointer>
#include <QWidget>

#include "platform/message_sink.h"

namespace platform {

inline constexpr const char* kMessageTitle = "Pivora";

class MessageBoxSink : public MessageSink {
public:
    explicit MessageBoxSink(QWidget* owner) : owner_(owner) {}
    void show(const std::string& text, MessageIcon icon) override;
    void showWithDetails(const std::string& text, MessageIcon icon, const std::string& details) override;
    bool ask(const std::string& question) override;
    std::size_t choose(const std::string& text, MessageIcon icon, const std::string& details,
                       const std::vector<std::string>& buttons, std::size_t preferred, std::size_t escape) override;

private:
    QPointer<QWidget> owner_;
};

}  // namespace platform
