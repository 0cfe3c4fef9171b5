#pragma once
// The switches in the per-user settings store: their names, defaults and the rule that turns a
// stored value into a check-box state.

#include "platform/settings_store.h"
#include "workflow/processing_options.h"

namespace shell {

inline constexpr const char* kSettingsSection = "Settings";

// "Backup" (default 0), "bSubfolders" (default 0), "EXIFTimestamp" (default 1), "AutoOrient"
// (default 0), "RefuseEdgeStrip" (default 0) and "TrashOriginal" (default 0), as stored.
ProcessingOptions loadOptions(platform::SettingsStore& store);

// Writes "Backup", "bSubfolders", "EXIFTimestamp", "AutoOrient", "RefuseEdgeStrip" and
// "TrashOriginal", in this order.
void saveOptions(platform::SettingsStore& store, const ProcessingOptions& options);

// The value a check box takes for a loaded switch: a value outside 0 to 2 counts as 0.
int shownOptionValue(int value);
// Whether that value shows as checked (1 and 2 do).
bool isChecked(int value);

}  // namespace shell
