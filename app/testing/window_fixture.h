#pragma once
// A main window for the widget tests: real settings in the tests' private settings folder,
// messages recorded, choosers and link opener scripted, rotation real unless a test replaces it.

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "app/shell/fake_choosers.h"
#include "app/testing/next_modal.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/recording_message_sink.h"
#include "platform/scripted_link_opener.h"
#include "tests/support/files.h"

// Qt texts and colours in test failures, readable.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QColor& colour, std::ostream* out) { *out << colour.name().toStdString(); }

namespace windowtest {

// Settings of one test under the test company; removed before and after.
class TestSettings {
public:
    explicit TestSettings(const QString& application) : store_("VelmoraTest", application) { clear(); }
    ~TestSettings() { clear(); }
    platform::QtSettingsStore& store() { return store_; }
    void clear() { QFile::remove(store_.location()); }

private:
    platform::QtSettingsStore store_;
};

struct Window {
    // `jobs` 1 for a substitute `rotate` that is not safe to run on several threads at once.
    explicit Window(platform::SettingsStore& settings, shell::FileRotator rotate = {}, unsigned jobs = 0) {
        // The runs' journals and the Trash of the test's own.
        ::setenv("XDG_STATE_HOME", home.file("state").c_str(), 1);
        ::setenv("XDG_DATA_HOME", home.file("data").c_str(), 1);
        MainDialogServices services;
        services.settings = &settings;
        services.messages = &messages;
        services.choosers = &choosers;
        services.links = &links;
        services.rotate = std::move(rotate);
        services.jobs = jobs;
        dialog = std::make_unique<MainDialog>(services);
    }
    testsupport::TempDir home;
    platform::RecordingMessageSink messages;
    shell::FakeChoosers choosers;
    platform::ScriptedLinkOpener links;
    std::unique_ptr<MainDialog> dialog;

    template <typename Control>
    Control* find(const char* name) const {
        auto* control = dialog->findChild<Control*>(name);
        if (!control) ADD_FAILURE() << "no control " << name;
        return control;
    }
};

// The texts a window shows in its own labels, buttons and group boxes, in the order they were made.
inline QStringList shownTexts(const QWidget& window) {
    QStringList texts;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* label = qobject_cast<QLabel*>(child)) texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(child)) texts << button->text();
        if (auto* group = qobject_cast<QGroupBox*>(child)) texts << group->title();
    }
    return texts;
}

}  // namespace windowtest
