#pragma once
// Where the coefficient arrays of one transcoding pass live. libjpeg lets a program supply its
// own virtual-array methods; these keep every array requested through the decompression object
// (the source's coefficients and the transform's workspace) in one mapping per realization that
// the kernel hands out zeroed and, for large photos, in huge pages. libjpeg's own manager would
// fault the same memory in 4 KiB pages and then clear it a second time.
//
// The arrays of one object are bounded by a limit that follows the machine; a photo above it is
// refused with the size it would need. With a MemoryBudget, the bytes are also taken from what
// the workers of a run share, and given back when the arrays are freed.

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

class MemoryBudget;

struct CoefficientMemory {
    std::size_t limit = 0;           // most bytes the arrays of one object may take; 0: machineCoefficientLimit()
    MemoryBudget* budget = nullptr;  // shared by the workers of a run; null: none
    bool hugePages = true;           // false: plain pages only (tests force the fallback this way)
    std::size_t neededBytes = 0;     // out: what the arrays of the object needed at their last realization
    bool refused = false;            // out: they were refused for the limit (the pass failed with that message)
};

// After jpeg_create_decompress and jpeg_create_compress, before any array is requested: every
// coefficient array requested through src's memory manager is kept by these methods, and dst
// (may be null when nothing is written) can read them for jpeg_write_coefficients. Uses
// client_data of both objects. `memory` must outlive the objects; dst must be destroyed before
// src. A refusal leaves by the error manager of src, with a message that names both sizes.
void useCoefficientMemory(j_decompress_ptr src, j_compress_ptr dst, CoefficientMemory* memory);

// The most coefficient bytes one photo may take on this machine: half its physical memory.
std::size_t machineCoefficientLimit();
