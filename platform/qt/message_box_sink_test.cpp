#include "platform/qt/message_box_sink.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace platform {
namespace {

// What the box looked like when it came up; the box is then answered with OK.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QWidget* parent = nullptr;
};

SeenBox showAndAnswer(MessageBoxSink& sink, const std::string& text, MessageIcon icon) {
    SeenBox seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = {box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size()),
                box->parentWidget()};
        box->button(QMessageBox::Ok)->click();
    });
    sink.show(text, icon);
    return seen;
}

TEST(MessageBoxSink, ShowsTheTextInABoxTitledPivoraWithOneOkButton) {
    QWidget owner;
    MessageBoxSink sink(&owner);
    const SeenBox plain = showAndAnswer(sink, "\n\nNo files processed\n\n", MessageIcon::None);
    EXPECT_EQ(plain.title, "Pivora");
    EXPECT_EQ(plain.text, "\n\nNo files processed\n\n");
    EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
    EXPECT_EQ(plain.buttons, 1);
    EXPECT_EQ(plain.parent, &owner);

    EXPECT_EQ(showAndAnswer(sink, "Could not open folder /x", MessageIcon::Warning).icon, QMessageBox::Warning);
    EXPECT_EQ(showAndAnswer(sink, "Unable to open hyperlink", MessageIcon::Exclamation).icon, QMessageBox::Warning);
}

}  // namespace
}  // namespace platform
