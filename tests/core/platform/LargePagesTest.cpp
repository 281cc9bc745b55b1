// Large arrays are sized to fill their mapping to the end of a 2 MiB page, so that all of it can
// be on large pages; the sizing never gives less room than asked for, nor a page more than needed.
#include "platform/LargePages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tavrel {
namespace {

TEST(LargePages, LargeAllocationsEndWhereTheirMappingEnds) {
    constexpr std::size_t kPage = std::size_t{1} << 21;
    for (std::size_t bytes : {std::size_t{1}, kLargePageSmallest - 1})
        EXPECT_EQ(LargePageBytes(bytes), bytes);
    for (std::size_t bytes :
         {kLargePageSmallest, kLargePageSmallest - 32 + 2 * kPage,
          kLargePageSmallest - 31 + 2 * kPage, std::size_t{8000000}, std::size_t{21635072}}) {
        const std::size_t rounded = LargePageBytes(bytes);
        EXPECT_GE(rounded, bytes);
        EXPECT_LT(rounded - bytes, kPage) << bytes;
        EXPECT_EQ((rounded + 32) % kPage, 0u) << bytes;
    }
    EXPECT_EQ(LargePageBytes(SIZE_MAX - 8), SIZE_MAX - 8);

    // Reserving keeps what the array holds and leaves room for at least the count asked for.
    std::vector<double> values{1.0, 2.0, 3.0};
    ReserveOnLargePages(values, 1000000);
    EXPECT_GE(values.capacity(), 1000000u);
    EXPECT_EQ(values, (std::vector<double>{1.0, 2.0, 3.0}));
    std::string text = "abc";
    ReserveOnLargePages(text, std::size_t{5} << 20);
    EXPECT_GE(text.capacity(), std::size_t{5} << 20);
    EXPECT_EQ(text, "abc");
}

}  // namespace
}  // namespace tavrel
