#include "transform/huge_page_hint.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// firstRow: row 0 (already written); laterRow: the row rowsBetween further on (not yet written).
void adviseHugePages(JBLOCKROW firstRow, JBLOCKROW laterRow, JDIMENSION rowsBetween, JDIMENSION rowsToWrite,
                     JDIMENSION width) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // The memory manager keeps an array that fits in memory as consecutive rows; the two rows
    // seen must agree with that, or the rest of the array is not where the hint would point.
    auto first = reinterpret_cast<std::uintptr_t>(firstRow);
    auto later = reinterpret_cast<std::uintptr_t>(laterRow);
    if (rowsBetween == 0 || later <= first || (later - first) % rowsBetween != 0) return;
    std::uintptr_t stride = (later - first) / rowsBetween;
    if (stride < width * sizeof(JBLOCK)) return;
    const std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    std::uintptr_t start = (later + hugePage - 1) & ~(hugePage - 1);
    std::uintptr_t end = (first + stride * rowsToWrite) & ~(hugePage - 1);
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)firstRow, (void)laterRow, (void)rowsBetween, (void)rowsToWrite, (void)width;
#endif
}

}  // namespace

void HugePageAdvisor::sawGroup(JDIMENSION y0, JBLOCKARRAY rows) {
    JDIMENSION groupRows = static_cast<JDIMENSION>(extent_.v);
    if (y0 == 0) firstRow_ = rows[0];
    if (y0 == groupRows && firstRow_)
        adviseHugePages(firstRow_, rows[0], groupRows, roundedUp(extent_.height, extent_.v), extent_.width);
}
