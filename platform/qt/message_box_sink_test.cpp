#include "platform/qt/message_box_sink.h"

#include <gtest/gtest.h>

#include <QMessageBox>

#include "app/testing/next_modal.h"

namespace platform {
namespace {

TEST(MessageBoxSink, ShowsTitleTextIconAndTheDetailsOnlyWhenThereAreAny) {
    MessageBoxSink sink(nullptr);
    for (const char* details : {"/p/a.jpg: not a JPEG file\n", ""}) {
        QStringList seen;
        windowtest::withNextModal([&] { sink.showWithDetails("could not be rotated", MessageIcon::Warning, details); },
                                  [&](QWidget* modal) {
                                      auto* box = qobject_cast<QMessageBox*>(modal);
                                      if (!box) return;
                                      seen << box->windowTitle() << box->text() << box->detailedText();
                                      if (box->icon() == QMessageBox::Warning) seen << "warning";
                                  });
        EXPECT_EQ(seen, (QStringList{"Pivora", "could not be rotated", details, "warning"}));
    }
}

}  // namespace
}  // namespace platform
