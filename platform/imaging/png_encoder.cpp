// PNG writer: libpng's zlib is the slow part of a PNG save, so the chunks
// are written here and the image data compressed with libdeflate in one
// pass, which is both faster and smaller than zlib at the same effort.
#include <libdeflate.h>

#include <cstdlib>
#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"

namespace platform::imaging {
namespace {

// libdeflate's level 6 compresses photographs about 1% better than zlib's
// default at a third of its time or less; level 5 is faster but only just
// matches zlib on smooth pictures, and level 7 doubles the time for 1-2%.
constexpr int kDeflateLevel = 6;

void PutWord(Output& out, uint32_t v) {
    uint8_t b[4];
    WriteBe32(b, v);
    out.insert(out.end(), b, b + 4);
}

void PutChunk(Output& out, const char type[4], const uint8_t* data, size_t size) {
    PutWord(out, uint32_t(size));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (size)
        out.insert(out.end(), data, data + size);
    PutWord(out, libdeflate_crc32(0, out.data() + start, 4 + size));
}

// The loops below have no dependency from one byte to the next (every
// input is read from the unfiltered rows), so the compiler turns them into
// vector code; each row carries `bpp` zero bytes in front for the left
// neighbours of the first pixel.

inline uint8_t PaethPredict(int a, int b, int c) {
    int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    int nearer = pb <= pc ? b : c;
    return uint8_t(pa <= pb && pa <= pc ? a : nearer);
}

inline uint32_t Cost(uint8_t v) {
    return uint32_t(std::abs(int(int8_t(v))));
}

// Whether every pixel of an image with alpha is opaque (a flattened picture,
// a GIF without transparency): such an image is written as RGB.
bool FullyOpaque(const Image& image) {
    if (!image.hasAlpha())
        return true;
    for (uint32_t y = 0; y < image.height(); ++y) {
        const uint8_t* p = image.row(y);
        uint8_t all = 255;
        for (uint32_t x = 0; x < image.width(); ++x)
            all &= p[4 * x + 3];
        if (all != 255)
            return false;
    }
    return true;
}

// Converts one image row to PNG channel order: RGB when `bpp` is 3 (the
// alpha of an opaque image is dropped), RGBA when 4.
void ToPngOrder(const Image& image, uint32_t y, uint32_t bpp, uint8_t* out) {
    const uint8_t* in = image.row(y);
    const uint32_t width = image.width();
    const uint32_t step = image.bytesPerPixel();
    if (bpp == 3) {
        for (uint32_t x = 0; x < width; ++x) {
            out[3 * x] = in[step * x + 2];
            out[3 * x + 1] = in[step * x + 1];
            out[3 * x + 2] = in[step * x];
        }
    } else {
        for (uint32_t x = 0; x < width; ++x) {
            out[4 * x] = in[4 * x + 2];
            out[4 * x + 1] = in[4 * x + 1];
            out[4 * x + 2] = in[4 * x];
            out[4 * x + 3] = in[4 * x + 3];
        }
    }
}

// Sum of absolute values of each filter's output over the row.
void FilterCosts(const uint8_t* row, const uint8_t* prior, size_t length, uint32_t bpp,
                 uint32_t cost[5]) {
    uint32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0, c4 = 0;
    const uint8_t* left = row - bpp;
    const uint8_t* upLeft = prior - bpp;
    for (size_t i = 0; i < length; ++i) {
        int x = row[i], a = left[i], b = prior[i], c = upLeft[i];
        c0 += Cost(uint8_t(x));
        c1 += Cost(uint8_t(x - a));
        c2 += Cost(uint8_t(x - b));
        c3 += Cost(uint8_t(x - ((a + b) >> 1)));
        c4 += Cost(uint8_t(x - PaethPredict(a, b, c)));
    }
    cost[0] = c0, cost[1] = c1, cost[2] = c2, cost[3] = c3, cost[4] = c4;
}

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
            for (size_t i = 0; i < length; ++i) {
                out[i] = uint8_t(row[i] - PaethPredict(left[i], prior[i], upLeft[i]));
            }
            break;
    }
}

// Writes the filter type and the filtered row, choosing the filter with the
// smallest sum of absolute values (the usual heuristic for photographs).
void FilterRow(const uint8_t* row, const uint8_t* prior, size_t length, uint32_t bpp,
               uint8_t* out) {
    uint32_t cost[5];
    FilterCosts(row, prior, length, bpp, cost);
    int best = 0;
    for (int f = 1; f < 5; ++f) {
        if (cost[f] < cost[best])
            best = f;
    }
    out[0] = uint8_t(best);
    ApplyFilter(best, row, prior, length, bpp, out + 1);
}

}  // namespace

bool EncodePng(const Image& image, Output& out) {
    const bool alpha = !FullyOpaque(image);
    const uint32_t bpp = alpha ? 4 : 3;
    const size_t length = size_t(image.width()) * bpp;
    const size_t filteredSize = (length + 1) * image.height();

    // Not kept for reuse: the deflate dominates a PNG save, and a cached
    // block per worker would add a whole picture to each worker's memory.
    std::unique_ptr<uint8_t, FreeDeleter> filtered(
        static_cast<uint8_t*>(std::malloc(filteredSize)));
    // Two rows, each behind bpp zero bytes; the first "prior" row is zero.
    const size_t padded = length + bpp;
    std::unique_ptr<uint8_t, FreeDeleter> work(static_cast<uint8_t*>(std::calloc(2, padded)));
    if (!filtered || !work) {
        SetFailureReason("not enough memory to encode the PNG");
        return false;
    }
    uint8_t* prior = work.get() + bpp;
    uint8_t* current = prior + padded;
    for (uint32_t y = 0; y < image.height(); ++y) {
        ToPngOrder(image, y, bpp, current);
        FilterRow(current, prior, length, bpp, filtered.get() + y * (length + 1));
        std::swap(prior, current);
    }

    // The image data goes in one IDAT chunk, compressed straight into its
    // place in the output: no second copy of the compressed picture.
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(kDeflateLevel);
    if (!compressor) {
        SetFailureReason("not enough memory to encode the PNG");
        return false;
    }
    const size_t bound = libdeflate_zlib_compress_bound(compressor, filteredSize);
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const size_t start = out.size();
    out.insert(out.end(), kSignature, kSignature + 8);
    uint8_t header[13] = {};
    WriteBe32(header, image.width());
    WriteBe32(header + 4, image.height());
    header[8] = 8;              // bit depth
    header[9] = alpha ? 6 : 2;  // RGBA or RGB
    PutChunk(out, "IHDR", header, sizeof header);
    const size_t idat = out.size();
    out.resize(idat + 8 + bound);
    size_t compressedSize = libdeflate_zlib_compress(compressor, filtered.get(), filteredSize,
                                                     out.data() + idat + 8, bound);
    libdeflate_free_compressor(compressor);
    filtered.reset();
    if (compressedSize == 0 || compressedSize > 0x7FFFFFFF) {
        out.resize(start);
        SetFailureReason("the compressed picture is too large for one PNG chunk");
        return false;
    }
    out.resize(idat + 8 + compressedSize);
    WriteBe32(&out[idat], uint32_t(compressedSize));
    std::memcpy(&out[idat + 4], "IDAT", 4);
    PutWord(out, libdeflate_crc32(0, out.data() + idat + 4, 4 + compressedSize));
    PutChunk(out, "IEND", nullptr, 0);
    return true;
}

}  // namespace platform::imaging
