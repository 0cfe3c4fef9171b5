#include "app/shell/options_store.h"

namespace shell {

ProcessingOptions loadOptions(platform::SettingsStore& store) {
    ProcessingOptions options;
    options.Backup = store.readInt(kSettingsSection, "Backup", 0);
    options.bSubfolders = store.readInt(kSettingsSection, "bSubfolders", 0);
    options.EXIFTimestamp = store.readInt(kSettingsSection, "EXIFTimestamp", 1);
    options.AutoOrient = store.readInt(kSettingsSection, "AutoOrient", 0);
    options.RefuseEdgeStrip = store.readInt(kSettingsSection, "RefuseEdgeStrip", 0);
    options.TrashOriginal = store.readInt(kSettingsSection, "TrashOriginal", 0);
    return options;
}

void saveOptions(platform::SettingsStore& store, const ProcessingOptions& options) {
    store.writeInt(kSettingsSection, "Backup", options.Backup);
    store.writeInt(kSettingsSection, "bSubfolders", options.bSubfolders);
    store.writeInt(kSettingsSection, "EXIFTimestamp", options.EXIFTimestamp);
    store.writeInt(kSettingsSection, "AutoOrient", options.AutoOrient);
    store.writeInt(kSettingsSection, "RefuseEdgeStrip", options.RefuseEdgeStrip);
    store.writeInt(kSettingsSection, "TrashOriginal", options.TrashOriginal);
}

int shownOptionValue(int value) { return value >= 0 && value <= 2 ? value : 0; }

bool isChecked(int value) { return shownOptionValue(value) != 0; }

}  // namespace shell
