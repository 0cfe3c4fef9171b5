#include "transform/zeroed_mapping.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace {

bool roundUp(std::size_t value, std::size_t unit, std::size_t* rounded) {
    if (value > SIZE_MAX - (unit - 1)) return false;
    *rounded = (value + unit - 1) / unit * unit;
    return true;
}

// Huge pages where asked for, or declined, so that a caller may rely on small ones.
void adviseHugePages(void* start, std::size_t length, bool large, bool hugePages) {
#if defined(MADV_HUGEPAGE) && defined(MADV_NOHUGEPAGE)
    if (large)
        (void)::madvise(start, length, MADV_HUGEPAGE);  // a hint: refused where not offered
    else if (!hugePages)
        (void)::madvise(start, length, MADV_NOHUGEPAGE);
#else
    (void)start, (void)length, (void)large, (void)hugePages;
#endif
}

}  // namespace

ZeroedMapping mapZeroedMemory(std::size_t bytes, bool hugePages) {
    const bool large = hugePages && bytes >= kHugePageBytes;
    const std::size_t unit = large ? kHugePageBytes : static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::size_t length = 0;
    // An aligned start is found inside one unit of slack, which is then given back.
    const std::size_t slack = large ? kHugePageBytes : 0;
    if (!roundUp(bytes == 0 ? 1 : bytes, unit, &length) || length > SIZE_MAX - slack) return {};
    void* mapped = ::mmap(nullptr, length + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return {};

    auto base = reinterpret_cast<std::uintptr_t>(mapped);
    std::uintptr_t aligned = large ? (base + kHugePageBytes - 1) & ~std::uintptr_t{kHugePageBytes - 1} : base;
    std::size_t head = aligned - base, tail = slack - head;
    if (head) ::munmap(mapped, head);
    if (tail) ::munmap(reinterpret_cast<void*>(aligned + length), tail);

    auto* start = reinterpret_cast<unsigned char*>(aligned);
    adviseHugePages(start, length, large, hugePages);
    return {start, length};
}

void unmapZeroedMemory(ZeroedMapping& mapping) {
    if (mapping.start) ::munmap(mapping.start, mapping.length);
    mapping = {};
}
