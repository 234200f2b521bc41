#include <gtest/gtest.h>

#include "app/compiled.h"

namespace app {
namespace {

TEST(ElementAccess, LowerCheckComesFirst) {
    ArrayBlock* array = rt::EmptyArray();
    EXPECT_EXIT(ElementAt(array, 0, 4), ::testing::ExitedWithCode(1), "runtime error 4");
    EXPECT_EXIT(ElementAt(array, 1, 4), ::testing::ExitedWithCode(1), "runtime error 1");
    Redimension(&array, 3, 4, false);
    EXPECT_EXIT(ElementAt(array, 4, 4), ::testing::ExitedWithCode(1), "runtime error 1");
    EXPECT_EXIT(ElementAt(array, -2, 4), ::testing::ExitedWithCode(1), "runtime error 4");
    WriteElement<int32_t>(array, 3, 99);
    EXPECT_EQ(ReadElement<int32_t>(array, 3), 99);
    EXPECT_EQ(ReadElement<int32_t>(array, 1), 0);  // re-dimensioned elements start cleared
    ReleaseArray(&array, false);
}

TEST(ElementAccess, NegativeSizeRaisesTen) {
    ArrayBlock* array = rt::EmptyArray();
    EXPECT_EXIT(Redimension(&array, -1, 4, false), ::testing::ExitedWithCode(1),
                "runtime error 10");
}

TEST(Appending, ReleasedArrayBecomesOneElement) {
    ArrayBlock* array = rt::EmptyArray();
    Append<int32_t>(&array, 5);
    EXPECT_FALSE(rt::IsSharedConstant(array));
    EXPECT_EQ(array->dimensionCount, 1u);
    EXPECT_EQ(array->elementCount(), 1u);
    EXPECT_EQ(ReadElement<int32_t>(array, 1), 5);
    ReleaseArray(&array, false);
    EXPECT_TRUE(rt::IsSharedConstant(array));
    Append<int32_t>(&array, 6);  // appending after a release works again
    EXPECT_EQ(ReadElement<int32_t>(array, 1), 6);
    ReleaseArray(&array, false);
}

TEST(Appending, CollapsesTwoDimensionsToOne) {
    // A 2 x 2 array of ints: header d=2, sizes 2 and 2, then four elements.
    auto* array = static_cast<ArrayBlock*>(rt::RtAlloc(12 + 16));
    uint32_t words[7] = {2, 2, 2, 10, 20, 30, 40};
    std::memcpy(array, words, sizeof words);
    Append<int32_t>(&array, 50);
    ASSERT_EQ(array->dimensionCount, 1u);
    ASSERT_EQ(array->elementCount(), 5u);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(ReadElement<int32_t>(array, i), i * 10);
    ReleaseArray(&array, false);
}

TEST(Appending, TextElementsAreCopiesOwnedByTheArray) {
    ArrayBlock* array = rt::EmptyArray();
    char source[] = "picture.jpg";
    AppendText(&array, source);
    AppendText(&array, nullptr);
    source[0] = 'X';
    EXPECT_STREQ(ReadElement<char*>(array, 1), "picture.jpg");
    EXPECT_STREQ(ReadElement<char*>(array, 2), "");
    ReleaseArray(&array, true);  // frees both texts; ASan checks for leaks
}

TEST(Texts, ConcatenationAndComparisonTreatNullAsEmpty) {
    Text joined = Concat({nullptr, "a"});
    EXPECT_STREQ(joined, "a");
    rt::RtFree(joined);
    joined = Concat({"dir", "/", "name", ".", "png"});
    EXPECT_STREQ(joined, "dir/name.png");
    rt::RtFree(joined);

    EXPECT_EQ(CompareText(nullptr, ""), 0);
    EXPECT_EQ(CompareText(nullptr, nullptr), 0);
    EXPECT_EQ(CompareText(nullptr, "a"), -1);
    EXPECT_EQ(CompareText("a", nullptr), 1);
    EXPECT_EQ(CompareText("ab", "abc"), -1);
    // Bytes compare unsigned: a double-byte lead sorts after ASCII.
    EXPECT_EQ(CompareText("\xb0\xa1", "z"), 1);
}

TEST(Texts, AssignmentCopiesAndReleasesTheOldText) {
    Text variable = nullptr;
    AssignText(&variable, "first");
    Text firstBlock = variable;
    AssignText(&variable, "second");
    EXPECT_NE(variable, firstBlock);
    EXPECT_STREQ(variable, "second");
    AssignText(&variable, nullptr);
    EXPECT_EQ(variable, nullptr);
    EXPECT_STREQ(TextArg(variable), "");
}

TEST(Numbers, FloatingToIntegerDropsTheFraction) {
    EXPECT_EQ(Truncate(2.9), 2);
    EXPECT_EQ(Truncate(-2.9), -2);
    EXPECT_EQ(Truncate(5e9), 5000000000LL);
}

}  // namespace
}  // namespace app
