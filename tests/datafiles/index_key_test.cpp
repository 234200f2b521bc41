// Key normalisation and comparison: every part type in its own order, the
// text flags, and the two double-byte conversions putting Chinese text keys
// in dictionary order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "corelib/datafiles/index_key.h"

namespace {

using corelib::IndexDescriptor;
using Key = std::vector<uint8_t>;

IndexDescriptor OnePart(int32_t type, int32_t mode = 0, int32_t flags = 0) {
    IndexDescriptor d;
    d.partTypes = {type};
    d.keySize = corelib::KeyPartSize(type);
    d.conversionMode = mode;
    d.flags = flags;
    return d;
}

template <typename T>
Key Bytes(T value) {
    Key key(sizeof(T));
    std::memcpy(key.data(), &value, sizeof(T));
    return key;
}

Key Text(const std::string& text, size_t size) {
    Key key(size, 0);
    std::memcpy(key.data(), text.data(), std::min(size, text.size()));
    return key;
}

int Compare(const IndexDescriptor& d, Key a, Key b) {
    corelib::NormaliseKey(d, a.data());
    corelib::NormaliseKey(d, b.data());
    return corelib::KeyOrder(d).Compare(a.data(), b.data());
}

TEST(IndexKey, NumbersCompareByValueWithTheirSignedness) {
    EXPECT_EQ(Compare(OnePart(corelib::kKeyUnsignedByte), {200}, {100}), 1);
    EXPECT_EQ(Compare(OnePart(corelib::kKeyInt16), Bytes<int16_t>(-1), Bytes<int16_t>(1)), -1);
    EXPECT_EQ(Compare(OnePart(corelib::kKeyInt32), Bytes<int32_t>(-5), Bytes<int32_t>(3)), -1);
    EXPECT_EQ(Compare(OnePart(corelib::kKeyInt64), Bytes<int64_t>(-1), Bytes<int64_t>(1LL << 40)),
              -1);
    EXPECT_EQ(Compare(OnePart(corelib::kKeyInt64), Bytes<int64_t>(0xFFFFFFFFLL), Bytes<int64_t>(1)),
              1);
    EXPECT_EQ(
        Compare(OnePart(corelib::kKeyUnsigned32), Bytes<uint32_t>(0xFFFFFFFF), Bytes<uint32_t>(1)),
        1);
    EXPECT_EQ(Compare(OnePart(corelib::kKeyFloat), Bytes(-1.5f), Bytes(0.25f)), -1);
    EXPECT_EQ(Compare(OnePart(corelib::kKeyDouble), Bytes(-0.0), Bytes(0.0)), 0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Compare(OnePart(corelib::kKeyDateTime), Bytes(nan), Bytes(1e300)), 1);
    EXPECT_EQ(Compare(OnePart(corelib::kKeyDateTime), Bytes(nan), Bytes(nan)), 0);
    EXPECT_EQ(Compare(OnePart(corelib::kKeyLogical), Bytes<int32_t>(0), Bytes<int32_t>(5)), -1);
    EXPECT_EQ(Compare(OnePart(corelib::kKeyLogical), Bytes<int32_t>(1), Bytes<int32_t>(5)), 0);
}

TEST(IndexKey, PartsDecideInOrder) {
    IndexDescriptor d;
    d.partTypes = {corelib::kKeyInt16, -3};
    d.keySize = 5;
    Key a = Bytes<int16_t>(1), b = Bytes<int16_t>(1);
    a.insert(a.end(), {'b', 0, 0});
    b.insert(b.end(), {'a', 'z', 0});
    EXPECT_EQ(Compare(d, a, b), 1);
    b[0] = 2;
    EXPECT_EQ(Compare(d, a, b), -1);
}

TEST(IndexKey, TextFlagsFoldCaseAndDropSpacesButNeverSplitCharacters) {
    const IndexDescriptor fold = OnePart(-8, 0, corelib::kKeyFoldCase);
    EXPECT_EQ(Compare(fold, Text("Hello", 8), Text("hELLO", 8)), 0);
    // 0x81 0x61 is one double-byte character; its trail byte is not a letter.
    Key wide = Text(
        "\x81"
        "a",
        8);
    corelib::NormaliseKey(fold, wide.data());
    EXPECT_EQ(wide, Text("\x81"
                         "a",
                         8));

    const IndexDescriptor drop = OnePart(-8, 0, corelib::kKeyDropSpaces);
    Key spaced = Text(
        "a b\xA1\xA1"
        "c",
        8);
    corelib::NormaliseKey(drop, spaced.data());
    EXPECT_EQ(spaced, Text("abc", 8));
    EXPECT_EQ(Compare(drop, Text(" x", 8), Text("x ", 8)), 0);
}

TEST(IndexKey, ConversionModesOrderChineseTextForDictionaries) {
    const Key bei = Text("\xB1\xB1", 2);    // 北 bei, 5 strokes
    const Key shang = Text("\xC9\xCF", 2);  // 上 shang, 3 strokes
    const Key chu = Text("\xD8\xA1", 2);    // 亍 chu, level 2, 3 strokes
    const Key yi = Text("\xD2\xBB", 2);     // 一 yi, 1 stroke
    const Key er = Text("\xB6\xFE", 2);     // 二 er, 2 strokes

    const IndexDescriptor plain = OnePart(-2);
    EXPECT_EQ(Compare(plain, shang, chu), -1);  // GB2312 puts level 2 last
    EXPECT_EQ(Compare(plain, er, yi), -1);

    const IndexDescriptor pinyin = OnePart(-2, corelib::kKeyConversionPinyin);
    EXPECT_EQ(Compare(pinyin, bei, chu), -1);
    EXPECT_EQ(Compare(pinyin, chu, shang), -1);
    EXPECT_EQ(Compare(pinyin, er, yi), -1);

    const IndexDescriptor strokes = OnePart(-2, corelib::kKeyConversionStrokes);
    EXPECT_EQ(Compare(strokes, yi, er), -1);
    EXPECT_EQ(Compare(strokes, er, shang), -1);
    EXPECT_EQ(Compare(strokes, shang, bei), -1);
    EXPECT_EQ(Compare(OnePart(-3, corelib::kKeyConversionStrokes), Text("ab", 3), Text("AB", 3)),
              0);

    // The conversions are one-to-one: distinct characters stay distinct.
    for (const int32_t mode : {1, 2}) {
        std::vector<bool> seen(65536, false);
        for (int lead = 0xB0; lead <= 0xF7; ++lead) {
            for (int trail = 0xA1; trail <= 0xFE; ++trail) {
                Key key = {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)};
                corelib::NormaliseKey(OnePart(-2, mode), key.data());
                const int code = key[0] << 8 | key[1];
                ASSERT_FALSE(seen[code]) << std::hex << lead << trail;
                seen[code] = true;
            }
        }
    }
}

// A comparison written out part by part, as plainly as the order is
// defined, for the prepared order to agree with.
int PlainOrder(const IndexDescriptor& d, const Key& a, const Key& b) {
    size_t offset = 0;
    for (const int32_t type : d.partTypes) {
        const size_t size = static_cast<size_t>(corelib::KeyPartSize(type));
        int order = 0;
        if (type == corelib::kKeyInt32) {
            int32_t x, y;
            std::memcpy(&x, a.data() + offset, 4);
            std::memcpy(&y, b.data() + offset, 4);
            order = x < y ? -1 : (x > y ? 1 : 0);
        } else if (type == corelib::kKeyInt16) {
            int16_t x, y;
            std::memcpy(&x, a.data() + offset, 2);
            std::memcpy(&y, b.data() + offset, 2);
            order = x < y ? -1 : (x > y ? 1 : 0);
        } else {  // texts and unsigned bytes
            for (size_t i = 0; i < size && order == 0; ++i) {
                const int x = a[offset + i], y = b[offset + i];
                order = x < y ? -1 : (x > y ? 1 : 0);
            }
        }
        if (order != 0)
            return order;
        offset += size;
    }
    return 0;
}

// Neighbouring byte-ordered parts are compared as one stretch, numbers in
// between by value: every pair of keys must come out as part by part. The
// bytes are drawn from few values so that many pairs tie on early parts.
TEST(IndexKey, StretchesOfTextAndBytePartsOrderAsPartByPart) {
    const std::vector<std::vector<int32_t>> layouts = {
        {-3, corelib::kKeyUnsignedByte, -2, corelib::kKeyInt32, corelib::kKeyUnsignedByte, -1},
        {corelib::kKeyInt16, -2, corelib::kKeyUnsignedByte},
        {-5, corelib::kKeyUnsignedByte, -2},  // one stretch: the whole key
        {corelib::kKeyInt32, corelib::kKeyInt16},
    };
    std::mt19937 rng(5);
    const uint8_t alphabet[] = {0x00, 0x01, 0x41, 0x7F, 0x80, 0xB0, 0xFF};
    for (const std::vector<int32_t>& parts : layouts) {
        IndexDescriptor d;
        d.partTypes = parts;
        for (const int32_t type : parts)
            d.keySize += corelib::KeyPartSize(type);
        const corelib::KeyOrder order(d);
        int before = 0, after = 0;
        for (int pair = 0; pair < 4000; ++pair) {
            Key a(d.keySize), b(d.keySize);
            for (int32_t i = 0; i < d.keySize; ++i) {
                a[i] = alphabet[rng() % sizeof(alphabet)];
                b[i] = rng() % 3 == 0 ? alphabet[rng() % sizeof(alphabet)] : a[i];
            }
            const int expected = PlainOrder(d, a, b);
            ASSERT_EQ(order.Compare(a.data(), b.data()), expected)
                << "layout " << &parts - layouts.data() << " pair " << pair;
            before += expected < 0;
            after += expected > 0;
        }
        // Both answers came up often: the pairs did test the order.
        EXPECT_GT(before, 1000);
        EXPECT_GT(after, 1000);
    }
    // Bytes compare unsigned: a double-byte lead sorts after every letter.
    const IndexDescriptor text = OnePart(-2);
    EXPECT_EQ(Compare(text, Text("\xB0\xA1", 2), Text("zz", 2)), 1);
    EXPECT_EQ(Compare(text, Text("a", 2), Text("a\x01", 2)), -1);
}

}  // namespace
