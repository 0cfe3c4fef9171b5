#pragma once
// Where the coefficient arrays of one transcoding pass live. libjpeg lets a program supply its own
// virtual-array methods; these keep every array requested through one decompression object in
// memory owned here, bounded by a limit that follows the machine.

#include <atomic>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

class MemoryBudget;

struct CoefficientMemory {
    std::size_t limit = 0;           // most bytes the arrays of one object may take; 0: machineCoefficientLimit()
    MemoryBudget* budget = nullptr;  // shared by the workers of a run; null: none
    bool hugePages = true;           // false: plain pages only (tests force the fallback this way)
    std::size_t neededBytes = 0;     // out: what the arrays of the object needed at their last realization
    bool refused = false;            // out: they were refused for the limit (the pass failed with out of memory)
};

// After jpeg_create_decompress, before any array is requested: every coefficient array requested
// through src's memory manager is kept by these methods. `memory` must outlive the object.
void useCoefficientMemory(j_decompress_ptr src, CoefficientMemory* memory);

// The most coefficient bytes one photo may take on this machine, from its physical memory.
std::size_t machineCoefficientLimit();
