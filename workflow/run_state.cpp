#include "workflow/run_state.h"

volatile std::sig_atomic_t cancelRequested = 0;
