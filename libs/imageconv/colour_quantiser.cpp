#include "libs/imageconv/colour_quantiser.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace imageconv {

namespace {

constexpr uint32_t kSlots = 65536;

struct HistogramSlot {
    uint32_t value;  // packed 16-bit colour
    uint32_t count;
};
static_assert(sizeof(HistogramSlot) == 8);

uint32_t KeyOf(uint32_t r, uint32_t g, uint32_t b) {
    return (b << 16) | (g << 8) | r;
}

// Index of the table entry closest to the colour (squared RGB distance).
// Table colours are 15-bit, so a pixel whose 15-bit colour is in the table
// finds exactly that entry.
uint8_t NearestEntry(const ColourEntry* table, int32_t count, uint8_t r, uint8_t g, uint8_t b) {
    int32_t best = 0;
    int32_t bestDistance = std::numeric_limits<int32_t>::max();
    for (int32_t i = 0; i < count; ++i) {
        int32_t dr = table[i].red - r, dg = table[i].green - g, db = table[i].blue - b;
        int32_t d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0)
                break;
        }
    }
    return static_cast<uint8_t>(best);
}

}  // namespace

bool QuantiseInto(const RasterImage& source, RasterImage& target, int32_t maxColours) {
    const int32_t width = source.width(), height = source.height();
    if (maxColours < 1 || target.depth() != 8 || target.colourCount() < maxColours ||
        target.width() != width || target.height() != height || width < 1 || height < 1) {
        return false;
    }
    std::vector<HistogramSlot> histogram(kSlots);
    for (uint32_t i = 0; i < kSlots; ++i)
        histogram[i] = {i, 0};
    std::vector<uint8_t> rgb(size_t(width) * 3);
    for (int32_t y = 0; y < height; ++y) {
        ReadRowAsRgb(source, y, rgb.data());
        for (int32_t x = 0; x < width; ++x) {
            ++histogram[Pack16(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2])].count;
        }
    }
    auto distinct = static_cast<int32_t>(std::count_if(
        histogram.begin(), histogram.end(), [](const HistogramSlot& s) { return s.count != 0; }));
    // Most frequent first; equal counts keep their packed order so the result
    // does not depend on the sort's whims.
    std::stable_sort(
        histogram.begin(), histogram.end(),
        [](const HistogramSlot& a, const HistogramSlot& b) { return a.count < b.count; });
    const int32_t used = std::min(maxColours, distinct);
    ColourEntry* table = target.colours();
    for (int32_t j = 0; j < used; ++j) {
        auto packed = static_cast<uint16_t>(histogram[kSlots - 1 - j].value);
        ColourEntry& e = table[j];
        e.red = Red16(packed), e.green = Green16(packed), e.blue = Blue16(packed);
        e.reserved = 255;
        e.key = KeyOf(e.red, e.green, e.blue);
    }
    std::sort(table, table + used,
              [](const ColourEntry& a, const ColourEntry& b) { return a.key < b.key; });
    target.ShrinkColourTable(used);

    // Each 15-bit colour is matched once, then looked up.
    constexpr int16_t kUnknown = -1;
    std::vector<int16_t> indexOf(32768, kUnknown);
    for (int32_t y = 0; y < height; ++y) {
        ReadRowAsRgb(source, y, rgb.data());
        uint8_t* dst = target.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            uint16_t packed = Pack16(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]);
            int16_t& cached = indexOf[packed >> 1];
            if (cached == kUnknown) {
                cached = NearestEntry(table, used, Red16(packed), Green16(packed), Blue16(packed));
            }
            dst[x] = static_cast<uint8_t>(cached);
        }
    }
    return true;
}

}  // namespace imageconv
