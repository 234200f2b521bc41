#include "platform/imaging/png_row_filter.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>

#include "platform/imaging/vector_clones.h"

namespace platform::imaging {
namespace {

// round(16 m^0.2) for m = 0..15, and for m / 16 = 1..8 at the middle of
// each band of sixteen (128 for the last, which holds only 128).
alignas(16) constexpr uint8_t kLowCost[16] = {0,  16, 18, 20, 21, 22, 23, 24,
                                              24, 25, 25, 26, 26, 27, 27, 28};
alignas(16) constexpr uint8_t kHighCost[16] = {0, 30, 33, 36, 38, 39, 41, 42, 42};

inline uint8_t Magnitude(uint8_t v) {
    const uint8_t negated = uint8_t(-v);
    return v < negated ? v : negated;
}

inline uint32_t ByteCost(uint8_t v) {
    const uint8_t m = Magnitude(v);
    return m < 16 ? kLowCost[m] : kHighCost[m >> 4];
}

uint32_t PlainCost(const uint8_t* bytes, size_t count) {
    uint32_t total = 0;
    for (size_t i = 0; i < count; ++i)
        total += ByteCost(bytes[i]);
    return total;
}

// Thirty-two bytes at a time: both tables looked up by byte shuffles, the
// right one kept, and the weights summed into four 64-bit lanes.
__attribute__((target("avx2"))) uint32_t VectorCost(const uint8_t* bytes, size_t count) {
    const __m256i low =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(kLowCost)));
    const __m256i high =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(kHighCost)));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lowNibble = _mm256_set1_epi8(0x0F);
    __m256i total = zero;
    size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
        const __m256i m = _mm256_min_epu8(v, _mm256_sub_epi8(zero, v));
        const __m256i band = _mm256_and_si256(_mm256_srli_epi16(m, 4), lowNibble);
        const __m256i small = _mm256_shuffle_epi8(low, _mm256_and_si256(m, lowNibble));
        const __m256i large = _mm256_shuffle_epi8(high, band);
        const __m256i cost = _mm256_blendv_epi8(large, small, _mm256_cmpeq_epi8(band, zero));
        total = _mm256_add_epi64(total, _mm256_sad_epu8(cost, zero));
    }
    alignas(32) uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), total);
    return uint32_t(lanes[0] + lanes[1] + lanes[2] + lanes[3]) + PlainCost(bytes + i, count - i);
}

inline uint8_t PaethPredict(uint8_t a, uint8_t b, uint8_t c) {
    const int16_t towardsB = int16_t(int16_t(b) - c), towardsA = int16_t(int16_t(a) - c);
    const int16_t pa = int16_t(towardsB < 0 ? -towardsB : towardsB);
    const int16_t pb = int16_t(towardsA < 0 ? -towardsA : towardsA);
    const int16_t sum = int16_t(towardsA + towardsB);
    const int16_t pc = int16_t(sum < 0 ? -sum : sum);
    const uint8_t nearer = pb <= pc ? b : c;
    return pa <= pb && pa <= pc ? a : nearer;
}

// The loops have no dependency from one byte to the next (every input is
// read from the unfiltered rows), and their arithmetic stays in 8 and 16
// bits, so the compiler packs 16 or 32 bytes into each vector operation;
// the results are exactly those of the usual formulas in ints.
PICBATCH_VECTOR_CLONES
void ApplyFilter(int filter, const uint8_t* row, const uint8_t* prior, size_t length, uint32_t bpp,
                 uint8_t* out) {
    const uint8_t* left = row - bpp;
    const uint8_t* upLeft = prior - bpp;
    switch (filter) {
        case 0:
            std::memcpy(out, row, length);
            break;
        case 1:
            for (size_t i = 0; i < length; ++i)
                out[i] = uint8_t(row[i] - left[i]);
            break;
        case 2:
            for (size_t i = 0; i < length; ++i)
                out[i] = uint8_t(row[i] - prior[i]);
            break;
        case 3:
            for (size_t i = 0; i < length; ++i)
                out[i] = uint8_t(row[i] - ((left[i] + prior[i]) >> 1));
            break;
        default:
            for (size_t i = 0; i < length; ++i)
                out[i] = uint8_t(row[i] - PaethPredict(left[i], prior[i], upLeft[i]));
            break;
    }
}

// A row is costed a piece at a time, each filter's piece written to a
// scratch area that stays in the first-level cache.
constexpr size_t kPiece = 4096;

}  // namespace

uint32_t FilteredBytesCost(const uint8_t* bytes, size_t count) {
    static const bool vector = __builtin_cpu_supports("avx2");
    return vector ? VectorCost(bytes, count) : PlainCost(bytes, count);
}

void FilterRow(const uint8_t* row, const uint8_t* prior, size_t length, uint32_t bpp,
               uint8_t* out) {
    uint32_t cost[5] = {};
    alignas(32) uint8_t piece[kPiece];
    for (size_t start = 0; start < length; start += kPiece) {
        const size_t count = std::min(kPiece, length - start);
        cost[0] += FilteredBytesCost(row + start, count);
        for (int filter = 1; filter < 5; ++filter) {
            ApplyFilter(filter, row + start, prior + start, count, bpp, piece);
            cost[filter] += FilteredBytesCost(piece, count);
        }
    }
    int best = 0;
    for (int filter = 1; filter < 5; ++filter) {
        if (cost[filter] < cost[best])
            best = filter;
    }
    out[0] = uint8_t(best);
    ApplyFilter(best, row, prior, length, bpp, out + 1);
}

}  // namespace platform::imaging
