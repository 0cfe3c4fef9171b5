#include "transform/coefficient_memory.h"

// Placeholder until the arrays are kept in memory of our own: the library's manager stays in force.
void useCoefficientMemory(j_decompress_ptr src, CoefficientMemory* memory) {
    if (!memory) return;
    src->mem->max_memory_to_use = static_cast<long>(memory->limit ? memory->limit : machineCoefficientLimit());
}

std::size_t machineCoefficientLimit() { return 500000000; }
