// PNG writer: libpng's zlib is the slow part of a PNG save, so the chunks
// are written here and the image data compressed with libdeflate in one
// pass, which is both faster and smaller than zlib at the same effort (on
// two cores for a large picture when one is idle: split_deflate.h).
#include <libdeflate.h>

#include <cstdlib>
#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/imaging/block_holder.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/core_turns.h"
#include "platform/imaging/failure_reason.h"
#include "platform/imaging/png_row_filter.h"
#include "platform/imaging/split_deflate.h"
#include "platform/imaging/vector_clones.h"

namespace platform::imaging {
namespace {

// libdeflate's level 5 takes about a quarter less time than its level 6,
// and with the filter choice of png_row_filter.h photographs come out
// about as small as level 6 makes them with the plain sum of distances
// (and smaller than zlib's default); level 7 doubles the time for 1-2%.
constexpr int kDeflateLevel = 5;

// Filtered rows of at least this size may be compressed on two cores
// (split_deflate.h): below it the helper thread's start and the join's
// walk over the first part eat much of the gain.
constexpr size_t kSplitBytes = size_t(8) << 20;

void PutWord(Output& out, uint32_t v) {
    uint8_t b[4];
    WriteBe32(b, v);
    out.insert(out.end(), b, b + 4);
}

// A chunk whose data is `first` followed by `second`.
void PutChunk(Output& out, const char type[4], Bytes first, Bytes second = {nullptr, 0}) {
    PutWord(out, uint32_t(first.size + second.size));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    for (const Bytes& part : {first, second}) {
        if (part.size)
            out.insert(out.end(), part.data, part.data + part.size);
    }
    PutWord(out, libdeflate_crc32(0, out.data() + start, out.size() - start));
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

// Sixteen bytes, for the byte shuffles below (one pshufb where the
// processor has it, plain moves elsewhere).
typedef uint8_t Bytes16 __attribute__((vector_size(16)));

// Reorders `count` pixels of InStep bytes into OutStep bytes each: the
// colour bytes reversed (BGR to RGB), an alpha byte kept when both have
// one. Sixteen bytes are loaded and stored at a time (five pixels of three
// bytes, or four of four), the bytes past the step's pixels being
// rewritten by the next step, so the vector loop stops while a whole load
// and store still fit the row.
template <uint32_t InStep, uint32_t OutStep>
[[gnu::always_inline]] inline void ReorderPixels(const uint8_t* in, uint32_t count, uint8_t* out) {
    constexpr uint32_t kPerStep = InStep == 3 ? 5 : 4;
    const size_t inEnd = size_t(count) * InStep, outEnd = size_t(count) * OutStep;
    uint32_t x = 0;
    for (; size_t(x) * InStep + 16 <= inEnd && size_t(x) * OutStep + 16 <= outEnd; x += kPerStep) {
        Bytes16 v, r;
        std::memcpy(&v, in + size_t(x) * InStep, 16);
        if constexpr (InStep == 3) {
            r = __builtin_shufflevector(v, v, 2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
        } else if constexpr (OutStep == 4) {
            r = __builtin_shufflevector(v, v, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
        } else {
            r = __builtin_shufflevector(v, v, 2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, 15, 15, 15,
                                        15);
        }
        std::memcpy(out + size_t(x) * OutStep, &r, 16);
    }
    for (; x < count; ++x) {
        const uint8_t* p = in + size_t(x) * InStep;
        uint8_t* q = out + size_t(x) * OutStep;
        q[0] = p[2];
        q[1] = p[1];
        q[2] = p[0];
        if constexpr (OutStep == 4)
            q[3] = p[3];
    }
}

// Converts one image row to PNG channel order: RGB when `bpp` is 3 (the
// alpha of an opaque image is dropped), RGBA when 4.
PICBATCH_VECTOR_CLONES
void ToPngOrder(const Image& image, uint32_t y, uint32_t bpp, uint8_t* out) {
    const uint8_t* in = image.row(y);
    if (image.bytesPerPixel() == 3)
        ReorderPixels<3, 3>(in, image.width(), out);
    else if (bpp == 3)
        ReorderPixels<4, 3>(in, image.width(), out);
    else
        ReorderPixels<4, 4>(in, image.width(), out);
}

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
    if (!filtered.get() || !work) {
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

    // A large picture saved near the end of a batch is compressed in two
    // halves split between rows, the second by a helper thread as soon as
    // a core is left with nothing else to do (core_turns.h).
    SpareTurn spare;
    const size_t splitAt = filteredSize >= kSplitBytes && SpareTurn::Worthwhile()
                               ? size_t(image.height() / 2) * (length + 1)
                               : 0;
    ZlibStream stream;
    if (!stream.Compress({filtered.get(), filteredSize}, splitAt, kDeflateLevel, &spare))
        return false;
    const Bytes head = stream.head(), tail = stream.tail();
    const size_t compressedSize = head.size + tail.size;
    if (compressedSize > 0x7FFFFFFF) {
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
    PutChunk(out, "IHDR", {header, sizeof header});
    PutChunk(out, "IDAT", head, tail);
    PutChunk(out, "IEND", {nullptr, 0});
    return true;
}

}  // namespace platform::imaging
