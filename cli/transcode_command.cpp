#include "cli/commands.h"

int runTranscodeCommand(const Arguments&) { return usageError("this verb is not built yet"); }
