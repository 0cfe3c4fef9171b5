#include "platform/qt/qt_settings_store.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace platform {
namespace {

TEST(QtSettingsStore, ValuesLiveInTheCompanyAndApplicationFileUnderTheirSection) {
    {
        QtSettingsStore store("VelmoraTest", "pivora-layout");
        store.writeInt("Settings", "Backup", 1);
        store.writeText("Settings", "InitDir", "/home/ann/My Photos/");
        EXPECT_EQ(QFileInfo(store.location()).fileName(), "pivora-layout.conf");
        EXPECT_EQ(QFileInfo(store.location()).dir().dirName(), "VelmoraTest");
    }
    QSettings raw("VelmoraTest", "pivora-layout");
    EXPECT_EQ(raw.value("Settings/Backup").toInt(), 1);
    EXPECT_EQ(raw.value("Settings/InitDir").toString(), "/home/ann/My Photos/");
    QFile::remove(raw.fileName());
}

TEST(QtSettingsStore, ReadsBackWhatItWroteAndFallsBackWhenAbsentOrNotANumber) {
    QtSettingsStore store("VelmoraTest", "pivora-values");
    EXPECT_EQ(store.readInt("Settings", "EXIFTimestamp", 1), 1);
    EXPECT_EQ(store.readText("Settings", "InitDir", "/home/x"), "/home/x");
    store.writeInt("Settings", "EXIFTimestamp", 0);
    store.writeInt("Settings", "Backup", 5);
    EXPECT_EQ(store.readInt("Settings", "EXIFTimestamp", 1), 0);
    EXPECT_EQ(store.readInt("Settings", "Backup", 0), 5);
    store.writeText("Settings", "bSubfolders", "yes");
    EXPECT_EQ(store.readInt("Settings", "bSubfolders", 0), 0);
    store.writeText("Settings", "InitDir", "");
    EXPECT_EQ(store.readText("Settings", "InitDir", "/home/x"), "");
    QFile::remove(store.location());
}

}  // namespace
}  // namespace platform
