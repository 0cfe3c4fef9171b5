#include "platform/qt/qt_settings_store.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

namespace platform {
namespace {

TEST(QtSettingsStore, ValuesLiveInTheCompanyAndApplicationFileUnderTheirSection) {
    QtSettingsStore store("VelmoraTest", "pivora-layout");
    EXPECT_EQ(store.readInt("Settings", "Backup", 7), 7);
    store.writeInt("Settings", "Backup", 5);
    store.writeText("Settings", "InitDir", "/home/ann/My Photos/");
    EXPECT_TRUE(store.location().endsWith("/VelmoraTest/pivora-layout.conf"));
    const QSettings raw("VelmoraTest", "pivora-layout");
    EXPECT_EQ(raw.value("Settings/Backup").toInt(), 5);
    EXPECT_EQ(raw.value("Settings/InitDir").toString(), "/home/ann/My Photos/");
    QFile::remove(store.location());
}

}  // namespace
}  // namespace platform
