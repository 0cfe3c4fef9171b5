#pragma once
// The destination's parameter changes that prepareTransformOutput is made of.

#include <cstdio>

#include <jpeglib.h>

// Exchanges width and height, each component's sampling factors, and transposes every quantization table.
void swapOutputGeometry(j_compress_ptr dst);

// Cuts the width to whole iMCU columns; an image narrower than one iMCU keeps its width.
// true when a partial column was dropped.
bool dropPartialRightColumns(j_compress_ptr dst);

// Cuts the height to whole iMCU rows; an image lower than one iMCU keeps its height.
// true when a partial row was dropped.
bool dropPartialBottomRows(j_compress_ptr dst);

// Whether the width / height is whole iMCU columns / rows, or a single pixel, which mirroring
// leaves as it is.
bool widthMirrorsExactly(j_compress_ptr dst);
bool heightMirrorsExactly(j_compress_ptr dst);
