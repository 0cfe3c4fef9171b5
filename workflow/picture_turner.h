#pragma once
// One coefficient pass as the per-file workflow uses it: the picture turned in memory with the
// run's memory, and what a failed pass means for the photo.

#include <cstddef>
#include <string>
#include <vector>

#include "jpegfile/jpeg_stream_turner.h"
#include "workflow/coefficient_pass.h"
#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"

// The main picture of a photo: its coding kept, its partial edge blocks trimmed, and no marker
// of its own (the photo's segments are put back by the section table).
CoefficientPassResult turnMainPicture(const std::vector<unsigned char>& source, TransformKind kind,
                                      const TurnSettings& settings, CoefficientMemory* memory);

// A further picture of a photo, read as a photo of its own: its coding kept, its full size kept
// (so that it stays aligned with the primary; the pass says when that is not exact), and no
// marker of its own (its record's segments are put back).
CoefficientPassResult turnWholePicture(const std::vector<unsigned char>& source, TransformKind kind,
                                       const TurnSettings& settings, CoefficientMemory* memory);

// A picture inside the photo (a thumbnail), turned whole with its own segments byte for byte.
// `trim` drops its partial edge blocks: right for a thumbnail, which stands alone.
JpegStreamTurner embeddedPictureTurner(TransformKind kind, const TurnSettings& settings, bool trim);

// The refusal that a failed (or inexact) pass means; `memory`, when given, tells what it needed.
// A cancelled pass is no refusal: callers look at pass.failure first.
Refusal refusalOfPass(const CoefficientPassResult& pass, const CoefficientMemory* memory = nullptr);
