// The main of the test programs that need a QApplication: the offscreen platform, and a
// private settings folder, so no test ever reads or writes the user's own settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // Offscreen, unless a test run chose an offscreen screen of its own ("offscreen:configfile=...").
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QTemporaryDir settingsFolder;
    if (!settingsFolder.isValid()) return 1;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    return RUN_ALL_TESTS();
}
