#pragma once
// One pass of libjpeg's coefficient path: reads the source's DCT coefficients, lets the transform
// engine move them and writes them with the source's markers. No pixel is ever decoded.

#include <cstdio>

#include "transform/transform_setup.h"
#include "workflow/marker_copy.h"

struct CoefficientPassRequest {
    FILE* input;   // positioned at the start of the JPEG data
    FILE* output;  // empty, open for writing
    TransformKind kind;
    bool trimPartialBlocks;
    bool grayOnly;
    MarkerCopyOption copy;
};

// true when the whole destination was written and flushed to `output`. On false the library's
// message has gone to the standard error stream and `output` holds an incomplete file.
bool runCoefficientPass(const CoefficientPassRequest& request);
