#include "platform/LargePages.h"

#include <sys/mman.h>

#include <cstdint>

namespace tavrel {

namespace {
constexpr std::uintptr_t kLargePage = std::uintptr_t{1} << 21;
// Below this a region gains too little to be worth a system call.
constexpr std::size_t kSmallest = std::size_t{4} << 20;
}  // namespace

void AdviseLargePages(const void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    if (!data || bytes < kSmallest) return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t to = (start + bytes) & ~(kLargePage - 1);
    if (to <= from) return;
    // Advice only: a system without large pages refuses it, and nothing changes then.
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace tavrel
