#include "platform/qt/message_box_sink.h"

#include <QMessageBox>

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

}  // namespace

void MessageBoxSink::show(const std::string& text, MessageIcon icon) {
    QMessageBox box(boxIcon(icon), kMessageTitle, QString::fromStdString(text), QMessageBox::Ok, owner_.data());
    box.exec();
}

}  // namespace platform
