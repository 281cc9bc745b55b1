// Libraries loaded on first use: a function is found and works; a library that is not there, or
// a function it lacks, gives no address and says why.
#include "platform/SharedLibrary.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(SharedLibrary, FindsFunctionsAndSaysWhyItCannot) {
    SharedLibrary math("libm.so.6");
    double (*cosine)(double) = nullptr;
    ASSERT_TRUE(math.Find(cosine, "cos")) << math.Error();
    EXPECT_EQ(cosine(0.0), 1.0);
    void (*missing)() = nullptr;
    EXPECT_FALSE(math.Find(missing, "tavrel_no_such_function"));
    EXPECT_NE(math.Error().find("tavrel_no_such_function"), std::string::npos);

    SharedLibrary absent("libtavrel-no-such-library.so.0");
    EXPECT_FALSE(absent.Find(cosine, "cos"));
    EXPECT_EQ(cosine, nullptr);
    EXPECT_NE(absent.Error().find("libtavrel-no-such-library.so.0 cannot be loaded"),
              std::string::npos);
}

}  // namespace
}  // namespace tavrel
