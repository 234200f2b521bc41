// The value kinds other than the font: what the setter receives for an
// application value, and what the application gets for a getter's record.
#include <cstring>

#include "runtime/values.h"
#include "tests/properties/recording_unit.h"

namespace {

using namespace proptest;

constexpr uint32_t Number(int32_t own) {
    return uint32_t(own) + 8;
}

TEST_F(RecordingTest, WordAndLongKindsCarryTheirWordsBothWays) {
    Set(Number(REC_WORD), 0xfffffffb, 0x1234);
    EXPECT_EQ(unit_.set.w0, 0xfffffffbu);
    EXPECT_EQ(unit_.set.w1, 0u);
    Set(Number(REC_LONG), 0x11111111, 0x22222222);
    EXPECT_EQ(unit_.set.w0, 0x11111111u);
    EXPECT_EQ(unit_.set.w1, 0x22222222u);

    unit_.give = {0x89abcdef, 7};
    EXPECT_EQ(Get(Number(REC_WORD)), 0x89abcdefu);
    unit_.give = {0x33333333, 0x44444444};
    EXPECT_EQ(Get(Number(REC_LONG)), 0x4444444433333333u);
}

TEST_F(RecordingTest, LogicalSetsOneForAnyNonZeroAndReadsTrueOnlyFromOne) {
    Set(Number(REC_LOGICAL), 2);
    EXPECT_EQ(unit_.set.w0, 1u);
    Set(Number(REC_LOGICAL), 0, 1);
    EXPECT_EQ(unit_.set.w0, 0u);
    unit_.give = {2, 0};
    EXPECT_EQ(Get(Number(REC_LOGICAL)), 0u);
    unit_.give = {1, 0};
    EXPECT_EQ(Get(Number(REC_LOGICAL)), 1u);
}

TEST_F(RecordingTest, NonNegativeKindStoresZeroForNegatives) {
    Set(Number(REC_NON_NEGATIVE), uint32_t(-5));
    EXPECT_EQ(unit_.set.w0, 0u);
    Set(Number(REC_NON_NEGATIVE), 0x7fffffff);
    EXPECT_EQ(unit_.set.w0, 0x7fffffffu);
    unit_.give = {uint32_t(-3), 0};
    EXPECT_EQ(Get(Number(REC_NON_NEGATIVE)), 0xfffffffdu);  // read as stored
}

TEST_F(RecordingTest, TextsArriveWholeAndComeBackAsFreshCopies) {
    const char* text = "Ausgabe \xd6\xd0";  // a GB18030 pair at the end
    SetPointer(Number(REC_TEXT), text);
    EXPECT_EQ(unit_.set.w0, reinterpret_cast<uintptr_t>(text));
    SetPointer(Number(REC_TEXT_LAST), nullptr);
    ASSERT_EQ(unit_.set.w0, reinterpret_cast<uintptr_t>(rt::EmptyText()));
    EXPECT_TRUE(unit_.setBytes.empty());

    std::string kept = "kept text";
    unit_.give = {reinterpret_cast<uintptr_t>(kept.c_str()), 0};
    char* copy = PointerOf<char>(Get(Number(REC_TEXT)));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, kept.c_str());
    EXPECT_STREQ(copy, "kept text");
    rt::RtFree(copy);
    unit_.give = {reinterpret_cast<uintptr_t>(""), 0};
    EXPECT_EQ(Get(Number(REC_TEXT_LAST)), 0u);
    unit_.give = {0, 0};
    EXPECT_EQ(Get(Number(REC_TEXT)), 0u);
}

TEST_F(RecordingTest, ByteBlocksTravelAsAddressAndLength) {
    SetPointer(Number(REC_BYTES), nullptr);
    EXPECT_EQ(unit_.set.w0, 0u);
    EXPECT_EQ(unit_.set.w1, 0u);
    std::vector<uint8_t> block = ByteBlockOf({9, 8, 7});
    SetPointer(Number(REC_BYTES_LAST), block.data());
    EXPECT_EQ(unit_.set.w0, reinterpret_cast<uintptr_t>(block.data() + 8));
    EXPECT_EQ(unit_.set.w1, 3u);

    const uint8_t held[5] = {1, 2, 3, 4, 5};
    unit_.give = {reinterpret_cast<uintptr_t>(held), 5};
    auto* fresh = PointerOf<rt::ByteBlock>(Get(Number(REC_BYTES)));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->dimensions, 1u);
    ASSERT_EQ(fresh->length, 5u);
    EXPECT_EQ(std::memcmp(fresh->bytes(), held, 5), 0);
    rt::RtFree(fresh);
    unit_.give = {reinterpret_cast<uintptr_t>(held), 0};
    EXPECT_EQ(Get(Number(REC_BYTES)), 0u);  // an empty block comes back as null
}

TEST_F(RecordingTest, CodedBlocksTranslateTheirFirstWordBothWays) {
    // Too short to hold a code: handed over as it is, not even copied.
    std::vector<uint8_t> shortBlock = ByteBlockOf({3, 0, 0});
    SetPointer(Number(REC_CODED), shortBlock.data());
    EXPECT_EQ(unit_.set.w0, reinterpret_cast<uintptr_t>(shortBlock.data() + 8));
    EXPECT_EQ(unit_.setBytes, (std::vector<uint8_t>{3, 0, 0}));

    // Index 3 (text beam) is stored as 32513 = 0x7F01; the rest is kept and
    // the application's block is left alone.
    std::vector<uint8_t> block = ByteBlockOf({3, 0, 0, 0, 0xAA, 0xBB});
    SetPointer(Number(REC_CODED), block.data());
    EXPECT_NE(unit_.set.w0, reinterpret_cast<uintptr_t>(block.data() + 8));
    EXPECT_EQ(unit_.setBytes, (std::vector<uint8_t>{0x01, 0x7F, 0, 0, 0xAA, 0xBB}));
    EXPECT_EQ(block[8], 3);

    // Stored 32649 (hand) reads as index 16; an unknown code stays.
    const uint8_t hand[6] = {0x89, 0x7F, 0, 0, 0x11, 0x22};
    unit_.give = {reinterpret_cast<uintptr_t>(hand), 6};
    auto* read = PointerOf<rt::ByteBlock>(Get(Number(REC_CODED)));
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->length, 6u);
    EXPECT_EQ(std::vector<uint8_t>(read->bytes(), read->bytes() + 6),
              (std::vector<uint8_t>{16, 0, 0, 0, 0x11, 0x22}));
    rt::RtFree(read);
    const uint8_t unknown[4] = {0x39, 0x30, 0, 0};  // 12345
    unit_.give = {reinterpret_cast<uintptr_t>(unknown), 4};
    read = PointerOf<rt::ByteBlock>(Get(Number(REC_CODED)));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::memcmp(read->bytes(), unknown, 4), 0);
    rt::RtFree(read);
    EXPECT_EQ(hand[0], 0x89);  // the unit's bytes are not touched
}

TEST_F(RecordingTest, NumbersOutsideTheTableAndUnknownKindsReachNoEntry) {
    unit_.give = {77, 0};
    EXPECT_EQ(Get(Number(REC_COUNT)), 0u);
    EXPECT_EQ(Get(Number(REC_UNKNOWN)), 0u);
    EXPECT_EQ(Get(0xffffffffu), 0u);
    EXPECT_EQ(rt::GetUnitProperty(0xA0002, &unit_, Number(REC_WORD), -1), 0u);
    EXPECT_EQ(rt::GetUnitProperty(kRecordingType, nullptr, Number(REC_WORD), -1), 0u);
    EXPECT_TRUE(unit_.getIndexes.empty());
    Set(Number(REC_COUNT), 1);
    Set(Number(REC_UNKNOWN), 1);
    rt::SetUnitProperty(0xA0002, &unit_, Number(REC_WORD), -1, 1, 0);
    EXPECT_EQ(unit_.setCount, 0);
}

TEST_F(RecordingTest, AFailingGetterReadsAsEmpty) {
    unit_.getterAnswers = false;
    EXPECT_EQ(Get(Number(REC_WORD)), 0u);
    EXPECT_EQ(Get(Number(REC_TEXT)), 0u);
    EXPECT_EQ(Get(Number(REC_BYTES)), 0u);
}

TEST_F(RecordingTest, RefreshHandsEveryReadablePropertyBackToTheSetter) {
    std::string text = "same";
    unit_.give = {reinterpret_cast<uintptr_t>(text.c_str()), 0};
    rt::RefreshUnitProperties(kRecordingType, &unit_);
    // Every own property is read; the unknown kind is never written.
    EXPECT_EQ(unit_.getIndexes.size(), size_t(REC_COUNT - 1));
    EXPECT_EQ(unit_.setCount, REC_COUNT - 1);
    EXPECT_EQ(unit_.setIndex, REC_BYTES_LAST);
    unit_.setCount = 0;
    unit_.getterAnswers = false;
    rt::RefreshUnitProperties(kRecordingType, &unit_);
    EXPECT_EQ(unit_.setCount, 0);
}

}  // namespace
