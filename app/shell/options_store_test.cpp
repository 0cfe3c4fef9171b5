#include "app/shell/options_store.h"

#include <tuple>

#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"

namespace shell {
namespace {

TEST(OptionsStore, FirstStartDefaultsAndAStoredBackupOfFiveShownUncheckedAndSavedAsZero) {
    platform::MemorySettingsStore store;
    ProcessingOptions options = loadOptions(store);
    EXPECT_EQ(std::make_tuple(options.Backup, options.bSubfolders, options.EXIFTimestamp, options.AutoOrient),
              std::make_tuple(0, 0, 1, 0));

    store.writeInt(kSettingsSection, "Backup", 5);
    store.writeInt(kSettingsSection, "bSubfolders", 2);
    store.writeInt(kSettingsSection, "AutoOrient", 1);
    options = loadOptions(store);
    options.Backup = shownOptionValue(options.Backup);  // what the check box shows and gives back
    EXPECT_FALSE(isChecked(options.Backup));
    EXPECT_TRUE(isChecked(options.bSubfolders) && isChecked(options.AutoOrient));
    saveOptions(store, options);
    EXPECT_EQ(store.writes().back(), "AutoOrient");
    EXPECT_EQ(store.readInt(kSettingsSection, "Backup", -9), 0);
    EXPECT_EQ(store.readInt(kSettingsSection, "EXIFTimestamp", -9), 1);
}

}  // namespace
}  // namespace shell
