// The core's texts pass through the installed translator: the Japanese literal without one, the
// translation with one, the numbers of a message put where the translation places them.
#include <gtest/gtest.h>

#include <cstring>

#include "pipeline/ModuleDialog.h"
#include "platform/Translate.h"

namespace tavrel {
namespace {

std::string Reversed(const char* context, const char* text) {
    if (std::strcmp(context, "ModuleDialog") == 0 &&
        std::strcmp(text, "%1 から %2 までの整数を入力してください。") == 0)
        return "Between %2 and %1 (reversed)";
    return text;
}

TEST(Translate, TheLiteralWithoutATranslatorAndTheTranslationWithOne) {
    EXPECT_EQ(IntRangeMessage(1, 10), "1 から 10 までの整数を入力してください。");
    SetTranslator(&Reversed);
    EXPECT_EQ(IntRangeMessage(1, 10), "Between 10 and 1 (reversed)");
    EXPECT_EQ(TextLengthMessage(8), "8 文字以内で入力してください。");
    SetTranslator(nullptr);
    EXPECT_EQ(IntRangeMessage(-5, 5), "-5 から 5 までの整数を入力してください。");
}

TEST(Translate, FormatTextReplacesEachPlaceOnce) {
    EXPECT_EQ(FormatText("%2-%1-%2", {"a", "b"}), "b-a-b");
    // An argument holding a place marker is not replaced again; unknown places stay.
    EXPECT_EQ(FormatText("%1 %3 100%", {"%2", "x"}), "%2 %3 100%");
    EXPECT_EQ(FormatText("", {"a"}), "");
}

}  // namespace
}  // namespace tavrel
