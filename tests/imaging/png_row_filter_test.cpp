// The PNG writer's choice of filter: the weighed cost of filtered bytes is
// the same whichever code path sums it, and each row gets the filter whose
// bytes cost least, with the bytes that filter gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "platform/imaging/png_row_filter.h"

namespace platform::imaging {
namespace {

uint32_t CostOf(std::initializer_list<uint8_t> bytes) {
    const std::vector<uint8_t> v(bytes);
    return FilteredBytesCost(v.data(), v.size());
}

TEST(PngRowFilter, BytesNearZeroCostLittleAndLargeOnesLittleMore) {
    EXPECT_EQ(CostOf({0}), 0u);
    EXPECT_EQ(CostOf({1}), 16u);
    EXPECT_EQ(CostOf({255}), 16u);  // -1
    EXPECT_EQ(CostOf({15}), 28u);
    EXPECT_EQ(CostOf({16}), 30u);
    EXPECT_EQ(CostOf({240}), 30u);  // -16
    EXPECT_EQ(CostOf({127}), 42u);
    EXPECT_EQ(CostOf({128}), 42u);
    // Three ones cost more than one byte of 100 and two zeros: what counts
    // most is how many bytes are off zero.
    EXPECT_GT(CostOf({1, 1, 1}), CostOf({100, 0, 0}));
}

TEST(PngRowFilter, EveryLengthSumsAsOneByteAtATime) {
    std::mt19937 random(7);
    std::vector<uint8_t> bytes(300);
    for (uint8_t& b : bytes)
        b = uint8_t(random());
    for (size_t count = 0; count <= bytes.size(); ++count) {
        uint32_t oneByOne = 0;
        for (size_t i = 0; i < count; ++i)
            oneByOne += FilteredBytesCost(&bytes[i], 1);
        ASSERT_EQ(FilteredBytesCost(bytes.data(), count), oneByOne) << count;
    }
}

// The five filters by their usual formulas in ints.
std::vector<uint8_t> Filtered(int filter, const uint8_t* row, const uint8_t* prior, size_t length,
                              uint32_t bpp) {
    std::vector<uint8_t> out(length);
    for (size_t i = 0; i < length; ++i) {
        const int x = row[i], a = row[i - bpp], b = prior[i], c = prior[i - bpp];
        int predicted = 0;
        switch (filter) {
            case 1:
                predicted = a;
                break;
            case 2:
                predicted = b;
                break;
            case 3:
                predicted = (a + b) / 2;
                break;
            case 4: {
                const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b),
                          pc = std::abs(p - c);
                predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                break;
            }
        }
        out[i] = uint8_t(x - predicted);
    }
    return out;
}

TEST(PngRowFilter, EachRowTakesTheCheapestFilterAndItsBytes) {
    // Rows longer than the pieces the costs are summed in, of four kinds
    // that favour different filters: noise, a ramp, stripes that repeat
    // the row above, and a smooth field with grain.
    constexpr uint32_t kBpp = 3;
    constexpr size_t kLength = 3 * 1700;
    std::mt19937 random(11);
    std::vector<uint8_t> rows[2];
    for (auto& row : rows)
        row.assign(kBpp + kLength, 0);
    std::vector<int> chosen;
    for (int y = 0; y < 12; ++y) {
        std::vector<uint8_t>& row = rows[y % 2];
        const std::vector<uint8_t>& prior = rows[(y + 1) % 2];
        for (size_t i = 0; i < kLength; ++i) {
            uint8_t& v = row[kBpp + i];
            switch (y % 4) {
                case 0:
                    v = uint8_t(random());
                    break;
                case 1:
                    v = uint8_t(i / 7);
                    break;
                case 2:
                    v = prior[kBpp + i];
                    break;
                default:
                    v = uint8_t(i / 40 + y * 3 + random() % 3);
                    break;
            }
        }
        std::vector<uint8_t> out(kLength + 1);
        FilterRow(row.data() + kBpp, prior.data() + kBpp, kLength, kBpp, out.data());
        int best = 0;
        uint32_t bestCost = UINT32_MAX;
        std::vector<uint8_t> bestBytes;
        for (int filter = 0; filter < 5; ++filter) {
            const auto bytes =
                Filtered(filter, row.data() + kBpp, prior.data() + kBpp, kLength, kBpp);
            const uint32_t cost = FilteredBytesCost(bytes.data(), bytes.size());
            if (cost < bestCost)
                best = filter, bestCost = cost, bestBytes = bytes;
        }
        ASSERT_EQ(out[0], best) << "row " << y;
        ASSERT_TRUE(std::equal(bestBytes.begin(), bestBytes.end(), out.begin() + 1)) << "row " << y;
        chosen.push_back(out[0]);
    }
    // The rows do not all take one filter.
    EXPECT_GT(std::count(chosen.begin(), chosen.end(), chosen[0]), 0);
    EXPECT_NE(std::count(chosen.begin(), chosen.end(), chosen[0]), long(chosen.size()));
}

}  // namespace
}  // namespace platform::imaging
