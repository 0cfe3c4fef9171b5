#pragma once
// A picture turned through its pixels, for the one case the coefficient turn cannot serve: a
// further picture of a photo (a gain map, a depth map) whose size is not a whole number of blocks
// along an edge the turn mirrors, which must keep its full size to stay aligned with the primary.
// It is decoded with libjpeg to its components' own samples (no colour conversion, no
// resampling), turned sample by sample and encoded as it was: the same quantization tables (turned
// with the axes), sampling factors (exchanged with them), process (progressive, arithmetic),
// restart interval and component identifiers; Huffman tables other than the standard ones become
// optimized ones. Only the quantization of the new blocks is lost.

#include <cstddef>

#include "workflow/coefficient_pass.h"
#include "workflow/processing_options.h"

// The turned picture as a coefficient pass gives it, tables, frame, scans and EOI behind its SOI
// and no marker of its own: `exact` false, `trimmed` false, its full turned size in width and
// height. `planeBytes` (width x height x components will do) is taken from the run's memory while
// the samples are held.
CoefficientPassResult turnThroughPixels(const unsigned char* input, std::size_t size, TransformKind kind,
                                        std::size_t planeBytes, const TurnSettings& settings);
