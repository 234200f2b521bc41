#include <gtest/gtest.h>

#include "runtime/arg_record.h"
#include "runtime/services.h"
#include "runtime/type_codes.h"
#include "runtime/values.h"

namespace rt {
namespace {

TEST(TypeCodes, ClassesAndFlags) {
    EXPECT_TRUE(IsCoreType(TYPE_TEXT));
    EXPECT_TRUE(IsLibraryType(0x60001));
    EXPECT_FALSE(IsLibraryType(0));
    EXPECT_FALSE(IsLibraryType(TYPE_INT));
    EXPECT_EQ(ClassOf(0x40000001), TypeClass::Second);
    EXPECT_TRUE(IsArrayType(TYPE_TEXT | ARRAY_FLAG));
    EXPECT_EQ(ElementTypeOf(TYPE_TEXT | ARRAY_FLAG), TYPE_TEXT);
    for (TypeCode numeric : {TYPE_BYTE, TYPE_SHORT, TYPE_INT, TYPE_LONG, TYPE_FLOAT, TYPE_DOUBLE})
        EXPECT_TRUE(IsNumericType(numeric)) << std::hex << numeric;
    for (TypeCode other : {TYPE_BOOL, TYPE_TEXT, TYPE_DATETIME, TYPE_INT | ARRAY_FLAG, 0u})
        EXPECT_FALSE(IsNumericType(other)) << std::hex << other;
    EXPECT_EQ(LibraryNumberOf(0x60001), 5u);
    EXPECT_EQ(LibraryNumberOf(0x10001), 0u);
}

TEST(TypeCodes, SizeRules) {
    EXPECT_EQ(ValueSize(TYPE_BYTE, nullptr), 1u);
    EXPECT_EQ(ValueSize(TYPE_BOOL, nullptr), 4u);
    EXPECT_EQ(ValueSize(TYPE_EXTRA8, nullptr), 8u);
    EXPECT_EQ(ValueSize(TYPE_TEXT, "abc"), 4u);  // the terminator is part of the value
    EXPECT_EQ(ValueSize(TYPE_TEXT, nullptr), 1u);
    alignas(8) uint8_t block[12] = {1, 0, 0, 0, 4, 0, 0, 0, 'a', 'b', 'c', 'd'};
    EXPECT_EQ(ValueSize(TYPE_BYTES, block), 4u);
    EXPECT_EQ(ValueData(TYPE_BYTES, block, nullptr), block + 8);
    // Library types and arrays have no size of their own.
    EXPECT_EQ(ValueSize(0x10001, nullptr), 0u);
    EXPECT_EQ(ValueSize(TYPE_INT | ARRAY_FLAG, nullptr), 0u);
    // The narrower function answers only for the six numeric codes.
    EXPECT_EQ(NumericSize(TYPE_BOOL), 0u);
    EXPECT_EQ(NumericSize(TYPE_DOUBLE), 8u);
    EXPECT_EQ(NumericSize(TYPE_SUBPTR), 0u);
}

TEST(ArgRecords, LayoutAndValues) {
    static_assert(sizeof(ArgRecord) == 12);
    auto d = ArgRecord::Double(-2.5);
    EXPECT_EQ(d.asDouble(), -2.5);
    auto i = ArgRecord::Int(-7);
    EXPECT_EQ(i.high, 0u);  // a 4-byte value leaves the high word 0
    EXPECT_EQ(i.asInt(), -7);
    int object = 0;
    auto p = ArgRecord::Pointer(&object, TYPE_SUBPTR);
    EXPECT_EQ(p.asPointer(), &object);  // a pointer fills all eight value bytes
    EXPECT_TRUE(ArgRecord::Omitted().omitted());
    auto u = ArgRecord::Unit(0x52010001, 0x160116f4, 0x60001);
    EXPECT_EQ(u.windowId(), 0x52010001u);
    EXPECT_EQ(u.unitId(), 0x160116f4u);
}

TEST(ArgRecords, NullTextsAndBytesBecomeSharedEmptyValues) {
    auto t = ArgRecord::TextArg(nullptr);
    ASSERT_NE(t.asText(), nullptr);
    EXPECT_STREQ(t.asText(), "");
    auto b = ArgRecord::BytesArg(nullptr);
    ASSERT_NE(b.asBytes(), nullptr);
    EXPECT_EQ(b.asBytes()->length, 0u);
    EXPECT_EQ(b.asBytes()->dimensions, 1u);
}

void WriteDouble(ResultSlot* result, int32_t, const ArgRecord*) {
    SetResultDouble(result, 1.25);
}
void WriteInt(ResultSlot* result, int32_t argc, const ArgRecord* args) {
    SetResultInt(result, argc == 2 ? args[0].asInt() + args[1].asInt() : -1);
}
void WriteNothing(ResultSlot*, int32_t, const ArgRecord*) {}
void PoisonThenWriteInt(ResultSlot* result, int32_t, const ArgRecord*) {
    // A command sees a cleared slot, whatever the previous call left.
    EXPECT_EQ(result->low | result->high | result->type, 0u);
    SetResultInt(result, 3);
}

TEST(CommandCalls, ResultsComeBackWhole) {
    CommandResult r = RtCallCoreCommand(&WriteDouble, 0, nullptr);
    ArgRecord slot{r.low, r.high, r.type};
    EXPECT_EQ(slot.asDouble(), 1.25);
    EXPECT_EQ(r.type, TYPE_DOUBLE);

    ArgRecord args[2] = {ArgRecord::Int(40), ArgRecord::Int(2)};
    r = Services().callLibraryCommand(1, &WriteInt, 2, args);
    EXPECT_EQ(int32_t(r.low), 42);
    EXPECT_EQ(r.high, 0u);

    r = RtCallCoreCommand(&WriteNothing, 0, nullptr);
    EXPECT_EQ(r.low | r.high | r.type, 0u);
    RtCallCoreCommand(&PoisonThenWriteInt, 0, nullptr);
}

TEST(ServiceTable, HoldsTwelveEntries) {
    const RuntimeServices& s = Services();
    EXPECT_EQ(sizeof(RuntimeServices), 12 * sizeof(void*));
    void* block = s.alloc(16);
    block = s.realloc(block, 4096);
    s.free(block);
    EXPECT_EQ(s.raiseError, &RtRaiseError);
}

using ServiceDeathTest = ::testing::Test;

TEST_F(ServiceDeathTest, RuntimeErrorsEndTheProgramWithAReport) {
    EXPECT_EXIT(RtRaiseError(ERR_INDEX_ABOVE), ::testing::ExitedWithCode(1), "runtime error 1");
    EXPECT_EXIT(RtRaiseError(ERR_NEGATIVE_SIZE), ::testing::ExitedWithCode(1), "negative size");
}

TEST_F(ServiceDeathTest, ServicesWithoutABodySayNotAvailable) {
    EXPECT_EXIT(RtRunEventLoop(), ::testing::ExitedWithCode(2), "not available");
    EXPECT_EXIT(RtGetProperty(1, 2, 3, -1), ::testing::ExitedWithCode(2), "not available");
}

}  // namespace
}  // namespace rt
