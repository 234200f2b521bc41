// The filter of each PNG row: which of the five filters a row takes, and
// the filtered bytes.
//
// A row is filtered with each of the five filters and the one whose bytes
// cost least is taken (the first of equal ones). A filtered byte's cost is
// its distance from zero read as a signed value, m = min(v, 256 - v),
// weighed by a curve that rises steeply for the first few steps and slowly
// after (about 16 m^0.2): what deflate pays for a byte depends far more on
// how many bytes are near zero than on how large the others are, so rows
// with many zeros and a few large values win over rows of middling values,
// which the plain sum of m prefers. On photographs this makes the
// compressed output about 1% smaller than the plain sum does at the same
// deflate effort. The weights come from two tables of sixteen (m below 16,
// and m / 16 above), so that a vector byte shuffle looks them up; every
// processor gets exactly the same costs, and so the same file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::imaging {

// The sum of the weighed costs of `count` filtered bytes.
uint32_t FilteredBytesCost(const uint8_t* bytes, size_t count);

// Writes the chosen filter's type and the `length` filtered bytes of `row`
// to `out` (length + 1 bytes). `row` and `prior` (the row above, zeros for
// the first) each have `bpp` zero bytes in front of them, for the left
// neighbours of the first pixel.
void FilterRow(const uint8_t* row, const uint8_t* prior, size_t length, uint32_t bpp, uint8_t* out);

}  // namespace platform::imaging
