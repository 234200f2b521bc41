// The runtime's own PCX reader: 8 bits per pixel with a 256-colour table,
// and 1 bit per pixel.
//
// Header (128 bytes):
//   OFFSET SIZE DESCRIPTION
//   0      1    manufacturer, 0x0A
//   1      1    version (below 6)
//   2      1    encoding, 1 (run lengths)
//   3      1    bits per pixel per plane: 1 or 8
//   4      2    xmin     6  2  ymin
//   8      2    xmax    10  2  ymax      (width = xmax - xmin + 1, likewise height)
//   16     48   16-colour table, R,G,B (1-bit files: entries 0 and 1 say
//               which bit value is the light colour)
//   65     1    planes (1)
//   66     2    bytes per line of one plane
// Image data from byte 128: a byte of 0xC1 or more repeats the next byte
// (its value - 0xC0) times, any other byte stands for itself. The data is
// one stream of `bytes per line` bytes per row; runs may cross rows.
// 8-bit files end with 0x0C and 256 R,G,B triples.
#include <algorithm>
#include <cstring>

#include "corelib/pictures/picture_decoders.h"
#include "corelib/pictures/picture_limits.h"
#include "platform/base/byte_order.h"

namespace corelib {
namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kPaletteBytes = 768;
constexpr uint8_t kPaletteMarker = 0x0C;

// Expands the run-length data into rows of `rowBytes` decoded bytes each,
// handing every byte to put(row, column, value). Answers the position just
// past the data used, or 0 when the data ends before the last row.
template <typename Put>
size_t Expand(const uint8_t* bytes, size_t length, size_t rowBytes, int64_t rows, Put put) {
    size_t at = kHeaderSize;
    size_t column = 0;
    int64_t row = 0;
    while (row < rows) {
        if (at >= length)
            return 0;
        uint8_t value = bytes[at++];
        size_t count = 1;
        if (value >= 0xC1) {
            if (at >= length)
                return 0;
            count = value - 0xC0;
            value = bytes[at++];
        }
        for (; count > 0 && row < rows; --count) {
            put(row, column, value);
            if (++column == rowBytes) {
                column = 0;
                ++row;
            }
        }
    }
    return at;
}

// Whether a 1-bit file's header colours make bit value 0 the lighter one.
// The record keeps set bits white, so such files are inverted on reading.
bool ZeroIsLight(const uint8_t* header) {
    auto brightness = [](const uint8_t* rgb) { return rgb[0] * 299 + rgb[1] * 587 + rgb[2] * 114; };
    return brightness(header + 16) > brightness(header + 19);
}

PictureRecord* LoadMonochrome(const uint8_t* bytes, size_t length, int64_t width, int64_t height,
                              size_t bytesPerLine) {
    // Row length in the record: whole bytes, rounded up to an even count.
    size_t rowLength = size_t((width + 7) / 8);
    rowLength += rowLength & 1;
    if (bytesPerLine < size_t((width + 7) / 8))
        return nullptr;
    const size_t size = rowLength * size_t(height);
    uint8_t* block = AllocatePictureBlock(size);
    if (!block)
        return nullptr;
    std::memset(block, 0, size);
    const uint8_t flip = ZeroIsLight(bytes) ? 0xFF : 0x00;
    const size_t end =
        Expand(bytes, length, bytesPerLine, height, [&](int64_t row, size_t column, uint8_t value) {
            if (column < rowLength)
                block[size_t(row) * rowLength + column] = value ^ flip;
        });
    if (!end) {
        FreePictureBlock(block);
        return nullptr;
    }
    return MakePictureRecord(PICTURE_PCX1, int32_t(width), int32_t(height), block, uint32_t(size));
}

void WriteBitmapHeader(uint8_t* block, int64_t width, int64_t height) {
    std::memset(block, 0, 40);
    platform::WriteLe32(block, 40);
    platform::WriteLe32(block + 4, uint32_t(width));
    platform::WriteLe32(block + 8, uint32_t(-int32_t(height)));  // top row first
    platform::WriteLe16(block + 12, 1);
    platform::WriteLe16(block + 14, 8);
}

// The colour table after the data, else the one that ends the file; a file
// without one is shown in greys.
void FillColorTable(const uint8_t* bytes, size_t length, size_t dataEnd, uint8_t* table) {
    const uint8_t* triples = nullptr;
    if (dataEnd + 1 + kPaletteBytes <= length && bytes[dataEnd] == kPaletteMarker) {
        triples = bytes + dataEnd + 1;
    } else if (length >= kHeaderSize + 1 + kPaletteBytes &&
               bytes[length - kPaletteBytes - 1] == kPaletteMarker) {
        triples = bytes + length - kPaletteBytes;
    }
    for (int i = 0; i < 256; ++i) {
        uint8_t* entry = table + 4 * i;
        if (triples) {
            entry[0] = triples[3 * i + 2];
            entry[1] = triples[3 * i + 1];
            entry[2] = triples[3 * i];
        } else {
            entry[0] = entry[1] = entry[2] = uint8_t(i);
        }
        entry[3] = 0;
    }
}

PictureRecord* LoadPaletted(const uint8_t* bytes, size_t length, int64_t width, int64_t height,
                            size_t bytesPerLine) {
    // Rows are laid out as the packed bitmap's own rows (the width rounded
    // up to 4 bytes), whatever padding the file's lines carry.
    if (bytesPerLine < size_t(width))
        return nullptr;
    const size_t stride = (size_t(width) + 3) & ~size_t(3);
    const size_t size = stride * size_t(height) + kPackedBitmapPixelOffset;
    uint8_t* block = AllocatePictureBlock(size);
    if (!block)
        return nullptr;
    uint8_t* pixels = block + kPackedBitmapPixelOffset;
    std::memset(pixels, 0, stride * size_t(height));
    const size_t end =
        Expand(bytes, length, bytesPerLine, height, [&](int64_t row, size_t column, uint8_t value) {
            if (column < size_t(width))
                pixels[size_t(row) * stride + column] = value;
        });
    if (!end) {
        FreePictureBlock(block);
        return nullptr;
    }
    WriteBitmapHeader(block, width, height);
    FillColorTable(bytes, length, end, block + 40);
    return MakePictureRecord(PICTURE_PCX8, int32_t(width), int32_t(height), block, uint32_t(size));
}

}  // namespace

PictureRecord* LoadPcxPicture(const uint8_t* bytes, size_t length) {
    if (!bytes || length <= kHeaderSize)
        return nullptr;
    if (bytes[0] != 0x0A || bytes[2] != 1 || bytes[1] >= 6)
        return nullptr;
    const int bits = bytes[3];
    const int planes = bytes[65];
    const size_t bytesPerLine = platform::ReadLe16(bytes + 66);
    const int64_t width =
        int64_t(platform::ReadLe16(bytes + 8)) - platform::ReadLe16(bytes + 4) + 1;
    const int64_t height =
        int64_t(platform::ReadLe16(bytes + 10)) - platform::ReadLe16(bytes + 6) + 1;
    // Multi-plane pictures (16 colours in 4 planes, true colour in 3) are not
    // shown by this reader.
    if (planes != 1 || !WithinPictureCaps(width, height))
        return nullptr;
    // The decoded data must be describable by the file's run lengths.
    if (!PlausiblePictureSize(int64_t(bytesPerLine), height, length - kHeaderSize, kPcxCoding)) {
        return nullptr;
    }
    if (bits == 1)
        return LoadMonochrome(bytes, length, width, height, bytesPerLine);
    if (bits == 8)
        return LoadPaletted(bytes, length, width, height, bytesPerLine);
    return nullptr;
}

}  // namespace corelib
