// PNG writer: libpng's zlib is the slow part of a PNG save, so the chunks
// are written here and the image data compressed with libdeflate in one
// pass, which is both faster and smaller than zlib at the same effort.
#include <libdeflate.h>

#include <cstdlib>
#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/imaging/block_cache.h"
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

// The byte arithmetic below stays in 8 and 16 bits so that the compiler
// packs 16 or 32 bytes into each vector operation (AVX2 where the processor
// has it); the choices are exactly those of the usual formulas in ints.
//
// The thread checker cannot run the resolver that picks a clone (it runs
// while the library is relocated, before the checker has started), so its
// builds keep the one baseline version.
#if defined(__SANITIZE_THREAD__)
#define PICBATCH_VECTOR_CLONES
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PICBATCH_VECTOR_CLONES
#endif
#endif
#ifndef PICBATCH_VECTOR_CLONES
#define PICBATCH_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif

inline uint8_t PaethPredict(uint8_t a, uint8_t b, uint8_t c) {
    const int16_t towardsB = int16_t(int16_t(b) - c), towardsA = int16_t(int16_t(a) - c);
    const int16_t pa = int16_t(towardsB < 0 ? -towardsB : towardsB);
    const int16_t pb = int16_t(towardsA < 0 ? -towardsA : towardsA);
    const int16_t sum = int16_t(towardsA + towardsB);
    const int16_t pc = int16_t(sum < 0 ? -sum : sum);
    const uint8_t nearer = pb <= pc ? b : c;
    return pa <= pb && pa <= pc ? a : nearer;
}

// The size of a filtered byte read as a signed value: the smaller of v and
// 256 - v.
inline uint8_t Cost(uint8_t v) {
    const uint8_t negated = uint8_t(-v);
    return v < negated ? v : negated;
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
PICBATCH_VECTOR_CLONES
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
PICBATCH_VECTOR_CLONES
void FilterCosts(const uint8_t* row, const uint8_t* prior, size_t length, uint32_t bpp,
                 uint32_t cost[5]) {
    uint32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0, c4 = 0;
    const uint8_t* left = row - bpp;
    const uint8_t* upLeft = prior - bpp;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t x = row[i], a = left[i], b = prior[i], c = upLeft[i];
        const auto average = uint8_t((unsigned(a) + b) >> 1);
        c0 += Cost(x);
        c1 += Cost(uint8_t(x - a));
        c2 += Cost(uint8_t(x - b));
        c3 += Cost(uint8_t(x - average));
        c4 += Cost(uint8_t(x - PaethPredict(a, b, c)));
    }
    cost[0] = c0, cost[1] = c1, cost[2] = c2, cost[3] = c3, cost[4] = c4;
}

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

// A block of block_cache.h, given back when the holder goes.
template <uint8_t* (*Take)(size_t), void (*Give)(uint8_t*, size_t)>
class BlockHolder {
public:
    explicit BlockHolder(size_t size) : size_(size), block_(Take(size)) {}
    ~BlockHolder() { Give(block_, size_); }
    BlockHolder(const BlockHolder&) = delete;
    BlockHolder& operator=(const BlockHolder&) = delete;
    uint8_t* get() const { return block_; }

private:
    size_t size_;
    uint8_t* block_;
};
using CachedBlock = BlockHolder<TakeBlock, GiveBlock>;
using FreshBlock = BlockHolder<TakeFreshBlock, GiveFreshBlock>;

}  // namespace

bool EncodePng(const Image& image, Output& out) {
    const bool alpha = !FullyOpaque(image);
    const uint32_t bpp = alpha ? 4 : 3;
    const size_t length = size_t(image.width()) * bpp;
    const size_t filteredSize = (length + 1) * image.height();

    // The filtered rows take a block of the picture's size; the cache hands
    // the same few blocks from picture to picture, already mapped.
    CachedBlock filtered(filteredSize);
    // Two rows, each behind bpp zero bytes; the first "prior" row is zero.
    const size_t padded = length + bpp;
    std::unique_ptr<uint8_t, FreeDeleter> work(static_cast<uint8_t*>(std::calloc(2, padded)));
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(kDeflateLevel);
    if (!filtered.get() || !work || !compressor) {
        libdeflate_free_compressor(compressor);
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

    // The compressor needs room for its worst case, about the size of the
    // filtered rows, but fills only what the compressed picture takes; in a
    // fresh block the rest is never touched and never becomes resident.
    const size_t bound = libdeflate_zlib_compress_bound(compressor, filteredSize);
    FreshBlock compressed(bound);
    const size_t compressedSize =
        compressed.get() ? libdeflate_zlib_compress(compressor, filtered.get(), filteredSize,
                                                    compressed.get(), bound)
                         : 0;
    libdeflate_free_compressor(compressor);
    if (!compressed.get()) {
        SetFailureReason("not enough memory to encode the PNG");
        return false;
    }
    if (compressedSize == 0 || compressedSize > 0x7FFFFFFF) {
        SetFailureReason("the compressed picture is too large for one PNG chunk");
        return false;
    }

    // The image data goes in one IDAT chunk.
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.reserve(out.size() + 8 + 25 + 12 + compressedSize + 12);
    out.insert(out.end(), kSignature, kSignature + 8);
    uint8_t header[13] = {};
    WriteBe32(header, image.width());
    WriteBe32(header + 4, image.height());
    header[8] = 8;              // bit depth
    header[9] = alpha ? 6 : 2;  // RGBA or RGB
    PutChunk(out, "IHDR", header, sizeof header);
    PutChunk(out, "IDAT", compressed.get(), compressedSize);
    PutChunk(out, "IEND", nullptr, 0);
    return true;
}

}  // namespace platform::imaging
