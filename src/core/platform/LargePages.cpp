#include "platform/LargePages.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>

namespace tavrel {

namespace {
constexpr std::uintptr_t kLargePage = std::uintptr_t{1} << 21;
// The C library's bookkeeping before and after a large allocation, within its mapping.
constexpr std::uintptr_t kHeaderBytes = 32;
constexpr std::uintptr_t kReach = 64;
}  // namespace

std::size_t LargePageBytes(std::size_t bytes) {
#ifdef M_MMAP_THRESHOLD
    // The C library maps every allocation of this size on its own, at a 2 MiB boundary when its
    // length is a multiple of 2 MiB. Left to itself, it raises that threshold whenever such a
    // block is freed (up to 32 MiB), and later large arrays land in its heap, off the boundaries
    // and on small pages: the threshold is fixed once, before the first large array.
    static const bool fixed = ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargePageSmallest));
    (void)fixed;
#endif
    if (bytes < kLargePageSmallest || bytes > SIZE_MAX - 2 * kLargePage) return bytes;
    return ((bytes + kHeaderBytes + kLargePage - 1) & ~(kLargePage - 1)) - kHeaderBytes;
}

void AdviseLargePages(const void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    if (!data || bytes < kLargePageSmallest) return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t end = start + bytes;
    std::uintptr_t from = start & ~(kLargePage - 1);
    if (start - from > kReach) from += kLargePage;
    std::uintptr_t to = (end + kLargePage - 1) & ~(kLargePage - 1);
    if (to - end > kReach) to -= kLargePage;
    if (to <= from) return;
    // Advice only: a system without large pages refuses it, and nothing changes then.
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#ifndef MADV_COLLAPSE
    constexpr int MADV_COLLAPSE = 25;
#endif
    // The C library wrote the allocation's header before the advice, which put the first page on
    // a small page, and the rest of that 2 MiB would follow: made a large page now instead.
    if (from < start) ::madvise(reinterpret_cast<void*>(from), kLargePage, MADV_COLLAPSE);
#else
    (void)data;
    (void)bytes;
#endif
}

void ReserveOnLargePages(std::string& text, std::size_t count) {
    if (text.capacity() >= count) return;
    if (count < text.max_size()) {
        const std::size_t rounded = LargePageBytes(count + 1) - 1;
        if (rounded > count && rounded <= text.max_size()) count = rounded;
    }
    text.reserve(count);
    AdviseLargePages(text.data(), text.capacity() + 1);
}

}  // namespace tavrel
