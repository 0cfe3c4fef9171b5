#include "app/shell/options_store.h"

#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"

namespace shell {
namespace {

TEST(OptionsStore, FirstStartGivesBackupOffSubfoldersOffTimestampOn) {
    platform::MemorySettingsStore store;
    const ProcessingOptions options = loadOptions(store);
    EXPECT_EQ(options.Backup, 0);
    EXPECT_EQ(options.bSubfolders, 0);
    EXPECT_EQ(options.EXIFTimestamp, 1);
    EXPECT_TRUE(store.writes().empty());
}

TEST(OptionsStore, StoredValuesWinOverDefaultsAndSaveWritesThemInOrder) {
    platform::MemorySettingsStore store;
    store.writeInt(kSettingsSection, "bSubfolders", 1);
    store.writeInt(kSettingsSection, "EXIFTimestamp", 0);
    ProcessingOptions options = loadOptions(store);
    EXPECT_EQ(options.bSubfolders, 1);
    EXPECT_EQ(options.EXIFTimestamp, 0);

    platform::MemorySettingsStore fresh;
    options.Backup = 1;
    saveOptions(fresh, options);
    EXPECT_EQ(fresh.writes(), (std::vector<std::string>{"Backup", "bSubfolders", "EXIFTimestamp"}));
    EXPECT_EQ(fresh.readInt(kSettingsSection, "Backup", -9), 1);
    EXPECT_EQ(fresh.readInt(kSettingsSection, "bSubfolders", -9), 1);
    EXPECT_EQ(fresh.readInt(kSettingsSection, "EXIFTimestamp", -9), 0);
}

TEST(OptionsStore, ValueOutsideZeroToTwoShowsUncheckedAndIsSavedAsZero) {
    platform::MemorySettingsStore store;
    store.writeInt(kSettingsSection, "Backup", 5);
    ProcessingOptions options = loadOptions(store);
    options.Backup = shownOptionValue(options.Backup);
    EXPECT_FALSE(isChecked(options.Backup));
    options.Backup = isChecked(options.Backup) ? 1 : 0;  // what the check box gives back
    saveOptions(store, options);
    EXPECT_EQ(store.readInt(kSettingsSection, "Backup", -9), 0);
}

}  // namespace
}  // namespace shell
