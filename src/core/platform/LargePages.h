// Large arrays of samples on the system's large pages.
//
// The first touch of fresh memory costs a page fault for every 4 KiB; a reading, a chain or an
// export of a long recording touches hundreds of megabytes, and on a virtual machine those faults
// cost as much as the work done in the memory. The system backs a region with 2 MiB pages when
// it is asked to (Linux's transparent large pages in their "madvise" mode, the usual default),
// which takes 512 times fewer faults. Nothing about the values changes; where the system offers
// no large pages, the request is ignored.
#pragma once

#include <cstddef>
#include <vector>

namespace tavrel {

// Asks for large pages for the whole 2 MiB pages within [data, data + bytes) (regions below a few
// megabytes are left as they are). Best called before the memory is first written.
void AdviseLargePages(const void* data, std::size_t bytes);

// reserve(count) on `values`, the new storage on large pages. Throws as reserve does.
template <class T>
void ReserveOnLargePages(std::vector<T>& values, std::size_t count) {
    if (values.capacity() >= count) return;
    values.reserve(count);
    AdviseLargePages(values.data(), values.capacity() * sizeof(T));
}

}  // namespace tavrel
