#include "platform/imaging/png_rows.h"

#include <libdeflate.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/base/byte_order.h"

namespace platform::imaging {
namespace {

struct Chunk {
    const uint8_t* data;
    uint32_t length;
    char type[4];
};

// Reads the chunk at `at` and checks its checksum; false when the file
// ends inside it or the checksum does not match.
bool ReadChunk(Bytes file, size_t at, Chunk& chunk) {
    if (file.size < 12 || at > file.size - 12)
        return false;
    chunk.length = ReadBe32(file.data + at);
    if (chunk.length > file.size - 12 - at)
        return false;
    std::memcpy(chunk.type, file.data + at + 4, 4);
    chunk.data = file.data + at + 8;
    const uint32_t stored = ReadBe32(chunk.data + chunk.length);
    return libdeflate_crc32(0, file.data + at + 4, 4 + size_t(chunk.length)) == stored;
}

bool Is(const Chunk& chunk, const char* type) {
    return std::memcmp(chunk.type, type, 4) == 0;
}

// Collects the image data of the consecutive IDAT chunks from `at`, and
// checks that the chunks after them are ancillary ones ending with IEND.
bool GatherImageData(Bytes file, size_t at, std::vector<uint8_t>& gathered, Bytes& data) {
    Chunk chunk;
    if (!ReadChunk(file, at, chunk) || !Is(chunk, "IDAT"))
        return false;
    data = {chunk.data, chunk.length};
    at += 12 + size_t(chunk.length);
    bool several = false;
    while (ReadChunk(file, at, chunk) && Is(chunk, "IDAT")) {
        if (!several)
            gathered.assign(data.data, data.data + data.size);
        several = true;
        gathered.insert(gathered.end(), chunk.data, chunk.data + chunk.length);
        at += 12 + size_t(chunk.length);
    }
    if (several)
        data = {gathered.data(), gathered.size()};
    for (;;) {
        if (!ReadChunk(file, at, chunk))
            return false;
        if (Is(chunk, "IEND"))
            return chunk.length == 0;
        // Critical chunks (an upper-case first letter) are for libpng to judge.
        if ((chunk.type[0] & 0x20) == 0)
            return false;
        at += 12 + size_t(chunk.length);
    }
}

inline uint8_t Paeth(int a, int b, int c) {
    const int towardsB = b - c, towardsA = a - c;
    int best = std::abs(towardsB), pb = std::abs(towardsA);
    const int pc = std::abs(towardsA + towardsB);
    int chosen = a;
    if (pb < best)
        best = pb, chosen = b;
    return uint8_t(pc < best ? c : chosen);
}

// Undoes one row's filter in place and writes it to `out` in the picture's
// channel order (blue first; PNG keeps red first). `prior` is the previous
// unfiltered row, zeros above the first. The pixel size is a constant so
// that the channels of a pixel, which depend only on the pixel before,
// are worked on side by side.
template <uint32_t kBpp>
bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prior, size_t length, uint8_t* out) {
    switch (filter) {
        case 0:
            break;
        case 1:
            for (size_t i = kBpp; i < length; i += kBpp) {
                for (uint32_t k = 0; k < kBpp; ++k)
                    row[i + k] = uint8_t(row[i + k] + row[i + k - kBpp]);
            }
            break;
        case 2:
            for (size_t i = 0; i < length; ++i)
                row[i] = uint8_t(row[i] + prior[i]);
            break;
        case 3:
            for (uint32_t k = 0; k < kBpp; ++k)
                row[k] = uint8_t(row[k] + (prior[k] >> 1));
            for (size_t i = kBpp; i < length; i += kBpp) {
                for (uint32_t k = 0; k < kBpp; ++k) {
                    row[i + k] =
                        uint8_t(row[i + k] + ((unsigned(row[i + k - kBpp]) + prior[i + k]) >> 1));
                }
            }
            break;
        case 4:
            for (uint32_t k = 0; k < kBpp; ++k)
                row[k] = uint8_t(row[k] + prior[k]);
            for (size_t i = kBpp; i < length; i += kBpp) {
                for (uint32_t k = 0; k < kBpp; ++k) {
                    row[i + k] = uint8_t(
                        row[i + k] + Paeth(row[i + k - kBpp], prior[i + k], prior[i + k - kBpp]));
                }
            }
            break;
        default:
            return false;
    }
    for (size_t x = 0; x < length; x += kBpp) {
        out[x] = row[x + 2];
        out[x + 1] = row[x + 1];
        out[x + 2] = row[x];
        if constexpr (kBpp == 4)
            out[x + 3] = row[x + 3];
    }
    return true;
}

template <uint32_t kBpp>
bool UnfilterRows(uint8_t* rows, Image& image) {
    const size_t length = size_t(image.width()) * kBpp;
    const std::vector<uint8_t> zeros(length, 0);
    const uint8_t* prior = zeros.data();
    for (uint32_t y = 0; y < image.height(); ++y) {
        uint8_t* row = rows + y * (length + 1) + 1;  // behind its filter type
        if (!UnfilterRow<kBpp>(row[-1], row, prior, length, image.row(y)))
            return false;
        prior = row;
    }
    return true;
}

}  // namespace

bool InflatePngRows(Bytes file, size_t idat, Image& image) {
    std::vector<uint8_t> gathered;
    Bytes data{};
    if (!GatherImageData(file, idat, gathered, data))
        return false;
    const uint32_t bpp = image.bytesPerPixel();
    // Each row behind its filter type.
    std::vector<uint8_t> rows((size_t(image.width()) * bpp + 1) * image.height());
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    if (!inflater)
        return false;
    // Without a place for the actual size, libdeflate insists on exactly
    // the rows' size: a stream that ends early or runs on is irregular.
    const libdeflate_result inflated = libdeflate_zlib_decompress(
        inflater, data.data, data.size, rows.data(), rows.size(), nullptr);
    libdeflate_free_decompressor(inflater);
    if (inflated != LIBDEFLATE_SUCCESS)
        return false;
    return bpp == 3 ? UnfilterRows<3>(rows.data(), image) : UnfilterRows<4>(rows.data(), image);
}

}  // namespace platform::imaging
