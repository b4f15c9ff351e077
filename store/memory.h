#pragma once

#include <cstddef>
#include <vector>

namespace quillery {

// Makes about `bytes` of heap ready before a large fill (LoadContents): the
// memory is obtained and populated in a few system calls instead of one page
// fault per page, which is what costs most in a virtual machine. Blocks of
// the heap are allocated, populated (MADV_POPULATE_WRITE) and freed again;
// the highest one stays allocated until the reserve ends, so the freed ones
// stay in the heap (not trimmed) for the fill to reuse. No allocator setting
// is changed. Does nothing for less than a few megabytes, off Linux, or
// under AddressSanitizer.
class THeapReserve {
public:
    explicit THeapReserve(std::size_t bytes);
    ~THeapReserve();
    THeapReserve(const THeapReserve&) = delete;
    THeapReserve& operator=(const THeapReserve&) = delete;

private:
    void* m_fence = nullptr;
};

// Page-aligned memory of `bytes` (a multiple of 2 MiB), backed by huge pages
// where the system offers them (one fault per 2 MiB instead of per 4 KiB).
// nullptr when it cannot be had; free with FreePages.
void* AllocatePages(std::size_t bytes);
void FreePages(void* memory, std::size_t bytes);

} // namespace quillery
