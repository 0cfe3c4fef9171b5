#include "app/shell/options_store.h"

#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"

namespace shell {
namespace {

// The defaults and a stored Backup of 5 the main window's switch test pins down.
TEST(OptionsStore, AStoredTwoShowsCheckedAndTheSwitchesAreWrittenInTheirOrder) {
    platform::MemorySettingsStore store;
    store.writeInt(kSettingsSection, "bSubfolders", 2);
    const ProcessingOptions options = loadOptions(store);
    EXPECT_TRUE(isChecked(shownOptionValue(options.bSubfolders)));
    saveOptions(store, options);
    EXPECT_EQ(store.writes(),
              (std::vector<std::string>{"bSubfolders", "Backup", "bSubfolders", "EXIFTimestamp", "AutoOrient",
                                        "RefuseEdgeStrip", "TrashOriginal"}));
    EXPECT_EQ(store.readInt(kSettingsSection, "bSubfolders", -9), 2);
    EXPECT_EQ(store.readInt(kSettingsSection, "EXIFTimestamp", -9), 1);
}

}  // namespace
}  // namespace shell
