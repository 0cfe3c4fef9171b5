#include "platform/qt/message_box_sink.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/qt/screen_fit.h"

namespace platform {
namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Exclamation: return QMessageBox::Warning;
        case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// The text with places where a line may break in long paths (zero-width spaces): after each
// "/", and within any run of characters that would still be too long for a small screen's box.
QString withBreakOpportunities(const QString& text) {
    constexpr int kLongestRun = 40;
    constexpr QChar kZeroWidthSpace(0x200B);
    QString broken;
    int run = 0;
    for (const QChar c : text) {
        broken += c;
        run = c.isSpace() ? 0 : run + 1;
        if (c == '/' || run == kLongestRun) {
            broken += kZeroWidthSpace;
            run = 0;
        }
    }
    return broken;
}

// A message box that stays on a small screen.
class FittedMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        fitOnScreen(*this);
    }
};

}  // namespace

void MessageBoxSink::show(const std::string& text, MessageIcon icon) { showWithDetails(text, icon, {}); }

void MessageBoxSink::showWithDetails(const std::string& text, MessageIcon icon, const std::string& details) {
    FittedMessageBox box(boxIcon(icon), kMessageTitle, withBreakOpportunities(QString::fromStdString(text)),
                         QMessageBox::Ok, owner_.data());
    box.setObjectName("message");
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);  // a path or an address can be copied from it
    if (!details.empty()) box.setDetailedText(QString::fromStdString(details));
    box.exec();
}

std::size_t MessageBoxSink::choose(const std::string& text, MessageIcon icon, const std::string& details,
                                   const std::vector<std::string>& buttons, std::size_t preferred, std::size_t escape) {
    FittedMessageBox box(boxIcon(icon), kMessageTitle, withBreakOpportunities(QString::fromStdString(text)),
                         QMessageBox::NoButton, owner_.data());
    box.setObjectName("message");
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (!details.empty()) box.setDetailedText(QString::fromStdString(details));
    std::vector<QPushButton*> added;
    for (const std::string& label : buttons)
        added.push_back(box.addButton(QString::fromStdString(label), added.empty() ? QMessageBox::AcceptRole
                                                                                   : QMessageBox::ActionRole));
    if (preferred < added.size()) box.setDefaultButton(added[preferred]);
    if (escape < added.size()) box.setEscapeButton(added[escape]);
    box.exec();
    for (std::size_t i = 0; i < added.size(); ++i)
        if (box.clickedButton() == added[i]) return i;
    return escape;
}

bool MessageBoxSink::ask(const std::string& question) {
    FittedMessageBox box(QMessageBox::Question, kMessageTitle, withBreakOpportunities(QString::fromStdString(question)),
                         QMessageBox::Yes | QMessageBox::No, owner_.data());
    box.setObjectName("question");
    box.setDefaultButton(QMessageBox::No);  // an Enter pressed in passing changes nothing
    return box.exec() == QMessageBox::Yes;
}

}  // namespace platform
