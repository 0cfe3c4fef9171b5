#include "cli/commands.h"

int runRotateCommand(const Arguments&) { return usageError("this verb is not built yet"); }
