#include "workflow/run_state.h"

std::atomic<int> cancelRequested{0};
