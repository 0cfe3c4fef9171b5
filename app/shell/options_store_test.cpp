#include "app/shell/options_store.h"

#include <tuple>

#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"

namespace shell {
namespace {

TEST(OptionsStore, FirstStartDefaultsAndAStoredBackupOfFiveShownUncheckedAndSavedAsZero) {
    platform::MemorySettingsStore store;
    ProcessingOptions options = loadOptions(store);
    EXPECT_EQ(std::make_tuple(options.Backup, options.bSubfolders, options.EXIFTimestamp), std::make_tuple(0, 0, 1));

    store.writeInt(kSettingsSection, "Backup", 5);
    store.writeInt(kSettingsSection, "bSubfolders", 2);
    options = loadOptions(store);
    options.Backup = shownOptionValue(options.Backup);  // what the check box shows and gives back
    EXPECT_FALSE(isChecked(options.Backup));
    EXPECT_TRUE(isChecked(options.bSubfolders));
    saveOptions(store, options);
    EXPECT_EQ(store.readInt(kSettingsSection, "Backup", -9), 0);
    EXPECT_EQ(store.readInt(kSettingsSection, "EXIFTimestamp", -9), 1);
}

}  // namespace
}  // namespace shell
