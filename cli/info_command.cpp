#include "cli/commands.h"

int runInfoCommand(const Arguments&) { return usageError("this verb is not built yet"); }
