// Large arrays of samples on the system's large pages.
//
// The first touch of fresh memory costs a page fault for every 4 KiB; a reading, a chain or an
// export of a long recording touches hundreds of megabytes, and on a virtual machine those faults
// cost as much as the work done in the memory. The system backs a region with 2 MiB pages when
// it is asked to (Linux's transparent large pages in their "madvise" mode, the usual default),
// which takes 512 times fewer faults. Nothing about the values changes; where the system offers
// no large pages, the request is ignored.
//
// Only whole 2 MiB pages of a mapping can be large pages. The system places a mapping whose
// length is a multiple of 2 MiB on a 2 MiB boundary, and the C library maps a large allocation
// with a header of 16 bytes before it; an allocation sized by LargePageBytes (32 bytes short of
// a multiple of 2 MiB) thus fills its mapping, and every page of it can be a large one - not only
// those between its first and last 2 MiB boundary, which left up to 4 MiB of every array to small
// pages.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tavrel {

// Regions below this are left as they are: they gain too little to be worth a system call.
inline constexpr std::size_t kLargePageSmallest = std::size_t{4} << 20;

// `bytes` rounded up to 32 bytes short of a multiple of 2 MiB (left as it is below
// kLargePageSmallest, or where the rounding would overflow).
std::size_t LargePageBytes(std::size_t bytes);

// Asks for large pages for the 2 MiB pages within [data, data + bytes), and for the pages that
// reach up to 64 bytes before or after it (the allocation's own header and the end of its
// mapping). Regions below kLargePageSmallest are left as they are. Best called before the memory
// is first written.
void AdviseLargePages(const void* data, std::size_t bytes);

// reserve(count) on `values`, the new storage sized by LargePageBytes and on large pages. Throws
// as reserve does.
template <class T>
void ReserveOnLargePages(std::vector<T>& values, std::size_t count) {
    if (values.capacity() >= count) return;
    if (count <= values.max_size()) {
        const std::size_t rounded = LargePageBytes(count * sizeof(T)) / sizeof(T);
        if (rounded > count && rounded <= values.max_size()) count = rounded;
    }
    values.reserve(count);
    AdviseLargePages(values.data(), values.capacity() * sizeof(T));
}

// reserve(count) on `text` likewise (its storage holds one byte more, for the terminating zero).
void ReserveOnLargePages(std::string& text, std::size_t count);

}  // namespace tavrel
