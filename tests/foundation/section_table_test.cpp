#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "runtime/key_map.h"
#include "runtime/section_table.h"

namespace rt {
namespace {

std::string Body(SectionTable& t, int32_t index) {
    uint32_t length = 0;
    uint8_t* body = t.EntryAt(index, &length);
    return body ? std::string(reinterpret_cast<char*>(body), length) : "<null>";
}

constexpr uint32_t kUnitFlags = 0x16000000;

TEST(SectionTable, EmptyTableAnswersNothing) {
    SectionTable t;
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.EntryAt(0), nullptr);
    EXPECT_EQ(t.KeyAt(0), 0u);
    EXPECT_EQ(t.Find(0x16000001), nullptr);
}

TEST(SectionTable, AppendGeneratesKeysFromTheSharedCounter) {
    uint32_t counter = 0;
    SectionTable units(&counter), menus(&counter);
    uint32_t a = units.Append("abc", 3, kUnitFlags);
    uint32_t b = menus.AppendKind6("m", 1);
    uint32_t c = units.Append(nullptr, 0, kUnitFlags);
    EXPECT_EQ(a, kUnitFlags | 1);
    EXPECT_EQ(b, 0x06000002u);
    EXPECT_EQ(c, kUnitFlags | 3);
    uint32_t length = 99;
    ASSERT_NE(units.EntryAt(1, &length), nullptr);  // a zero-length record has a body address
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(Body(units, 0), "abc");
}

TEST(SectionTable, FindRejectsInvalidKeysEvenWhenStored) {
    SectionTable t;
    t.AppendKeyed(0, "zero", 4);
    t.AppendKeyed(0x16000000, "serial0", 7);  // serial 0
    t.AppendKeyed(0x10000005, "kind0", 5);    // kind nibble 0
    t.AppendKeyed(0x16000009, "good", 4);
    EXPECT_EQ(t.Find(0), nullptr);
    EXPECT_EQ(t.Find(0x16000000), nullptr);
    EXPECT_EQ(t.Find(0x10000005), nullptr);
    int32_t index = -1;
    uint32_t length = 0;
    ASSERT_NE(t.Find(0x16000009, &length, &index), nullptr);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(length, 4u);
}

TEST(SectionTable, InsertAtClampsAndShiftsLaterOffsets) {
    SectionTable t;
    t.AppendKeyed(0x16000001, "one", 3);
    t.AppendKeyed(0x16000002, "two", 3);
    ASSERT_TRUE(t.InsertAt(-5, 0x16000003, "first", 5));
    ASSERT_TRUE(t.InsertAt(t.Count() + 3, 0x16000004, "last", 4));
    ASSERT_TRUE(t.InsertAt(2, 0x16000005, "middle", 6));
    std::vector<std::string> bodies;
    for (int32_t i = 0; i < t.Count(); ++i)
        bodies.push_back(Body(t, i));
    EXPECT_EQ(bodies, (std::vector<std::string>{"first", "one", "middle", "two", "last"}));
    EXPECT_EQ(t.KeyAt(2), 0x16000005u);
    uint32_t generated = t.InsertKind6(1, "menu", 4);
    EXPECT_EQ(generated & 0x0f000000, 0x06000000u);
    EXPECT_EQ(Body(t, 1), "menu");
    EXPECT_EQ(Body(t, 5), "last");
}

TEST(SectionTable, OffsetsFollowAGrowingAndShrinkingRecord) {
    SectionTable t;
    for (const char* s : {"r0", "r1", "r2", "r3"})
        t.Append(s, 2, kUnitFlags);
    EXPECT_EQ(t.ReplaceBytes(1, 1, 0, "0123456789", 10), 4);
    EXPECT_EQ(Body(t, 1), "r01234567891");
    EXPECT_EQ(Body(t, 2), "r2");
    EXPECT_EQ(Body(t, 3), "r3");
    EXPECT_GE(t.ReplaceBytes(1, 0, -1, "x", 1), 0);  // whole body
    EXPECT_EQ(Body(t, 1), "x");
    EXPECT_EQ(Body(t, 2), "r2");
    EXPECT_GE(t.ReplaceBytes(3, 0, 2, nullptr, 3), 0);  // zeros in
    EXPECT_EQ(Body(t, 3), std::string(3, '\0'));
    EXPECT_EQ(t.ReplaceBytes(3, 2, 5, "x", 1), -1);  // range past the body
    EXPECT_EQ(t.ReplaceBytes(9, 0, -1, "x", 1), -1);
}

TEST(SectionTable, RemoveAssignSwapAndMenuRun) {
    SectionTable t;
    t.AppendKeyed(0x16000001, "window", 6);
    t.AppendKeyed(0x26000002, "item1", 5);
    t.AppendKeyed(0x26000003, "item2", 5);
    t.AppendKeyed(0x16000004, "button", 6);
    t.AppendKeyed(0x26000005, "late", 4);
    int32_t start = 0;
    EXPECT_EQ(t.MenuRun(&start), 2);
    EXPECT_EQ(start, 1);

    SectionTable copy;
    copy.Assign(t);
    EXPECT_EQ(Body(copy, 3), "button");
    ASSERT_TRUE(t.RemoveAt(1));
    EXPECT_EQ(t.Count(), 4);
    EXPECT_EQ(Body(t, 1), "item2");
    EXPECT_EQ(Body(t, 3), "late");
    EXPECT_EQ(Body(copy, 1), "item1");  // the copy is independent

    SectionTable other;
    other.Swap(t);
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(Body(other, 2), "button");

    SectionTable none;
    none.AppendKeyed(0x16000001, "w", 1);
    EXPECT_EQ(none.MenuRun(&start), 0);
    EXPECT_EQ(start, -1);
}

TEST(SectionTable, StreamRoundTripAndCorruptStreams) {
    SectionTable t;
    t.Append("alpha", 5, kUnitFlags);
    t.Append("", 0, kUnitFlags);
    t.Append("gamma", 5, kUnitFlags);
    corelib::MemoryArchive out(true);
    ASSERT_TRUE(t.Serialize(out));
    SectionTable back;
    corelib::MemoryArchive in(out.Bytes());
    ASSERT_TRUE(back.Serialize(in));
    EXPECT_EQ(Body(back, 2), "gamma");

    // A count that promises more records than the bytes hold is refused.
    auto bytes = out.Bytes();
    bytes[0] = 9;
    corelib::MemoryArchive bad(bytes);
    SectionTable rejected;
    EXPECT_FALSE(rejected.Serialize(bad));
    EXPECT_EQ(rejected.Count(), 0);
    // So is an offset pointing outside the record area.
    bytes = out.Bytes();
    bytes[8 + 12 + 4] = 0x7f;
    corelib::MemoryArchive badOffset(bytes);
    EXPECT_FALSE(rejected.Serialize(badOffset));
}

// Random edits against a plain vector model: every record must read back.
TEST(SectionTable, RandomEditsMatchAModel) {
    std::mt19937 rng(12345);
    SectionTable t;
    std::vector<std::pair<uint32_t, std::string>> model;
    uint32_t nextKey = 1;
    for (int step = 0; step < 3000; ++step) {
        int op = rng() % 4;
        std::string body(rng() % 40, char('a' + step % 26));
        if (op == 0 || model.empty()) {
            int32_t pos = int32_t(rng() % (model.size() + 3)) - 1;
            uint32_t key = 0x16000000 | nextKey++;
            ASSERT_TRUE(t.InsertAt(pos, key, body.data(), uint32_t(body.size())));
            size_t at = pos < 0 ? 0 : std::min<size_t>(size_t(pos), model.size());
            model.insert(model.begin() + at, {key, body});
        } else if (op == 1) {
            size_t i = rng() % model.size();
            ASSERT_GE(t.ReplaceBytes(int32_t(i), 0, -1, body.data(), uint32_t(body.size())), 0);
            model[i].second = body;
        } else if (op == 2) {
            size_t i = rng() % model.size();
            ASSERT_TRUE(t.RemoveAt(int32_t(i)));
            model.erase(model.begin() + i);
        } else {
            uint32_t key = 0x16000000 | nextKey++;
            ASSERT_TRUE(t.AppendKeyed(key, body.data(), uint32_t(body.size())));
            model.push_back({key, body});
        }
        ASSERT_EQ(t.Count(), int32_t(model.size()));
    }
    for (size_t i = 0; i < model.size(); ++i) {
        EXPECT_EQ(t.KeyAt(int32_t(i)), model[i].first);
        EXPECT_EQ(Body(t, int32_t(i)), model[i].second);
    }
}

TEST(KeyMap, FindKeyOfAndValueAt) {
    KeyMap map;
    EXPECT_EQ(map.Find(0x52010001, nullptr, nullptr), 0);
    map.Add(0x52010001, 100);
    map.Add(0x52010002, 200);
    map.Add(0x52010003, 100);
    KeyMap::Value value = 0;
    uint32_t index = 9;
    ASSERT_EQ(map.Find(0x52010002, &value, &index), 1);
    EXPECT_EQ(value, 200u);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(map.Find(0x50000001, &value, &index), 0);  // kind nibble 0: invalid
    EXPECT_EQ(map.KeyOf(100), 0x52010001u);              // the first pair holding it
    EXPECT_EQ(map.KeyOf(999), 0u);
    EXPECT_EQ(map.ValueAt(3, &value), 0);
    // Values are pointer-sized: a real address survives the round trip.
    int object;
    map.Add(0x52010004, reinterpret_cast<KeyMap::Value>(&object));
    ASSERT_EQ(map.Find(0x52010004, &value, nullptr), 1);
    EXPECT_EQ(reinterpret_cast<int*>(value), &object);
}

TEST(KeyMap, InsertRangeClampsPositionsAndCounts) {
    KeyMap source, target;
    for (uint32_t i = 1; i <= 3; ++i)
        source.Add(0x52000000 | i, i * 10);
    target.Add(0x53000001, 1);
    target.InsertRange(0, source, 5, 2);  // first beyond the end: nothing
    EXPECT_EQ(target.Count(), 1u);
    target.InsertRange(-4, source, 0, 100);  // count cut to what is there
    ASSERT_EQ(target.Count(), 4u);
    EXPECT_EQ(target.KeyAt(0), 0x52000001u);
    EXPECT_EQ(target.KeyAt(3), 0x53000001u);
    KeyMap::Value value;
    target.ValueAt(2, &value);
    EXPECT_EQ(value, 30u);
    target.InsertRange(99, source, 1, 1);  // position above n: appended
    EXPECT_EQ(target.KeyAt(4), 0x52000002u);
    target.AppendAll(target);  // appending a map to itself doubles it
    EXPECT_EQ(target.Count(), 10u);
    EXPECT_EQ(target.KeyAt(9), 0x52000002u);
}

TEST(KeyMap, StreamRoundTripRejectsTornPairs) {
    KeyMap map;
    map.Add(0x52010001, 7);
    corelib::MemoryArchive out(true);
    ASSERT_TRUE(map.Serialize(out));
    KeyMap back;
    corelib::MemoryArchive in(out.Bytes());
    ASSERT_TRUE(back.Serialize(in));
    EXPECT_EQ(back.KeyAt(0), 0x52010001u);
    auto bytes = out.Bytes();
    bytes[0] = 5;  // five bytes is not a whole pair
    bytes.resize(4 + 5);
    corelib::MemoryArchive torn(bytes);
    EXPECT_FALSE(back.Serialize(torn));
    EXPECT_EQ(back.Count(), 0u);
}

}  // namespace
}  // namespace rt
