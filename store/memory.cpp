#include "store/memory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#define QUILLERY_HEAP_RESERVE 1
#endif

#if defined(__SANITIZE_ADDRESS__)
#undef QUILLERY_HEAP_RESERVE
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#undef QUILLERY_HEAP_RESERVE
#endif
#endif

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23 // Linux 5.14
#endif

namespace quillery {

THeapReserve::THeapReserve(std::size_t bytes) {
#ifdef QUILLERY_HEAP_RESERVE
    constexpr std::size_t kMin = 4u << 20, kMax = 1u << 30;
    // Below glibc's smallest mmap threshold (128 KiB): blocks come from the heap.
    constexpr std::size_t kBlock = 96 * 1024;
    if (bytes < kMin)
        return;
    bytes = std::min(bytes, kMax);
    const std::uintptr_t page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    std::vector<char*> blocks;
    blocks.reserve(bytes / kBlock + 1);
    for (std::size_t got = 0; got < bytes; got += kBlock) {
        char* p = static_cast<char*>(std::malloc(kBlock));
        if (!p)
            break;
        blocks.push_back(p);
    }
    if (blocks.empty())
        return;
    std::sort(blocks.begin(), blocks.end());
    // Populate runs of adjacent blocks with one call each.
    auto populate = [page](std::uintptr_t from, std::uintptr_t to) {
        from = (from + page - 1) & ~(page - 1);
        to &= ~(page - 1);
        if (from < to) {
            ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
        }
    };
    std::uintptr_t runStart = std::uintptr_t(blocks.front());
    std::uintptr_t runEnd = runStart + kBlock;
    for (std::size_t i = 1; i < blocks.size(); ++i) {
        const std::uintptr_t b = std::uintptr_t(blocks[i]);
        if (b - runEnd > 64) { // not adjacent (chunk headers aside)
            populate(runStart, runEnd);
            runStart = b;
        }
        runEnd = b + kBlock;
    }
    populate(runStart, runEnd);
    m_fence = blocks.back(); // the highest: keeps the others from the heap top
    blocks.pop_back();
    for (char* p : blocks)
        std::free(p);
#else
    (void)bytes;
#endif
}

THeapReserve::~THeapReserve() {
    std::free(m_fence);
}

void* AllocatePages(std::size_t bytes) {
#if defined(__linux__)
    constexpr std::size_t kHuge = 2u << 20;
    // Over-allocate by one huge page to align, then give the slack back.
    void* raw =
        ::mmap(nullptr, bytes + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const std::uintptr_t start = std::uintptr_t(raw);
    const std::uintptr_t aligned = (start + kHuge - 1) & ~std::uintptr_t(kHuge - 1);
    if (aligned > start)
        ::munmap(raw, aligned - start);
    const std::uintptr_t end = start + bytes + kHuge;
    if (end > aligned + bytes)
        ::munmap(reinterpret_cast<void*>(aligned + bytes), end - (aligned + bytes));
    ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
#else
    (void)bytes;
    return nullptr;
#endif
}

void FreePages(void* memory, std::size_t bytes) {
#if defined(__linux__)
    if (memory)
        ::munmap(memory, bytes);
#else
    (void)memory;
    (void)bytes;
#endif
}

} // namespace quillery
