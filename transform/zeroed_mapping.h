#pragma once
// Memory straight from the kernel: it arrives zeroed, so nothing has to clear it again, and a
// large request is aligned to 2 MiB and marked for huge pages, so that it is faulted in a few
// large pages instead of thousands of small ones. Where the system offers no huge pages the
// same memory simply comes in small pages.

#include <cstddef>

inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

struct ZeroedMapping {
    unsigned char* start = nullptr;  // null: the system gave nothing
    std::size_t length = 0;
};

// At least `bytes` of zeroed, writable memory. With `hugePages`, a request of at least one huge
// page is aligned and marked for them; without, huge pages are declined even where the system
// would use them unasked.
ZeroedMapping mapZeroedMemory(std::size_t bytes, bool hugePages);

// Gives the memory back; the mapping is empty afterwards. An empty mapping is left as it is.
void unmapZeroedMemory(ZeroedMapping& mapping);
