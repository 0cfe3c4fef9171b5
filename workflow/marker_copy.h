#pragma once
// Carries the source's comments and application markers into a losslessly transcoded file.
// libjpeg writes only the markers it generates itself; these two steps make the decompressor
// keep the others while it reads the header and write them behind the destination's header.

#include <cstdio>

#include <jpeglib.h>

enum MarkerCopyOption {
    CopyNone = 0,      // nothing is saved or copied
    CopyComments = 1,  // COM markers
    CopyAll = 2,       // COM markers and APP0 to APP15
};

// After the data source is attached, before jpeg_read_header: tells `src` which markers to save, each whole.
void setupMarkerCopy(j_decompress_ptr src, MarkerCopyOption option);

// After jpeg_write_coefficients, before any coefficient data is written and before `src` is finished:
// writes every saved marker in source order, except a JFIF APP0 or Adobe APP14 that would
// duplicate the one the destination writes itself. `option` is not consulted: whatever was saved is copied.
void copySavedMarkers(j_decompress_ptr src, j_compress_ptr dst, MarkerCopyOption option);
