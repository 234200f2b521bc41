// GifPicture's image decoding: the image descriptor and colour table, the
// variable-width LZW codes, and the placement of pixels in rows (with the
// four interlace passes).
#include <algorithm>
#include <cstring>
#include <vector>

#include "corelib/pictures/gif_picture.h"
#include "corelib/pictures/picture_limits.h"
#include "corelib/pictures/picture_record.h"
#include "platform/base/byte_order.h"

namespace corelib {
namespace {

constexpr uint32_t kDescriptorSize = 9;
constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeSize = 12;

// One entry of the decoding table, in the block's work area. `first` is the
// first byte of the entry's string and `length` its length, so a string is
// written backwards, from its last byte along the prefixes, straight into
// its place in the row: no stack, and no second walk.
struct LzwEntry {
    uint8_t suffix;
    uint8_t first;
    uint16_t prefix;
    uint16_t length;
};
static_assert(sizeof(LzwEntry) == 6);

// Interlaced images: pass p starts at row kPassStart[p] and steps
// kPassStep[p] rows.
constexpr int kPassStart[5] = {0, 0, 4, 2, 1};
constexpr int kPassStep[5] = {0, 8, 8, 4, 2};

void WriteBitmapHeader(uint8_t* block, int32_t width, int32_t height) {
    std::memset(block, 0, 40);
    platform::WriteLe32(block, 40);
    platform::WriteLe32(block + 4, uint32_t(width));
    platform::WriteLe32(block + 8, uint32_t(-height));  // top row first
    platform::WriteLe16(block + 12, 1);
    platform::WriteLe16(block + 14, 8);
    platform::WriteLe32(block + 32, 256);
    platform::WriteLe32(block + 36, 256);
}

}  // namespace

bool GifPicture::ReadColorTable(uint8_t* table) {
    const uint8_t* triples = globalColors_.data();
    int32_t count = globalColorCount_;
    if (packed_ & 0x80) {
        count = 1 << ((packed_ & 7) + 1);
        if (streamLength_ - streamPos_ < 3 * uint32_t(count))
            return false;
        triples = stream_.data() + streamPos_;
        streamPos_ += 3 * count;
    }
    std::memset(table, 0, 1024);
    for (int32_t i = 0; i < count; ++i) {
        table[4 * i] = triples[3 * i + 2];
        table[4 * i + 1] = triples[3 * i + 1];
        table[4 * i + 2] = triples[3 * i];
    }
    if (hasTransparency_) {
        const uint8_t* entry = table + 4 * transparentIndex_;
        transparentColor_ = platform::RGB(entry[2], entry[1], entry[0]);
    }
    return true;
}

bool GifPicture::FrameFitsData() const {
    return PlausiblePictureSize(frameWidth_, frameHeight_, streamLength_, kGifCoding);
}

GifFrame GifPicture::DecodeImage() {
    // The block on offer is always the last image's: none when it fails.
    FreePictureBlock(dibBlock_);
    dibBlock_ = nullptr;
    dibBytes_ = 0;
    if (streamLength_ - streamPos_ < kDescriptorSize) {
        Rewind();
        return {};
    }
    const uint8_t* descriptor = stream_.data() + streamPos_;
    frameLeft_ = platform::ReadLe16(descriptor);
    frameTop_ = platform::ReadLe16(descriptor + 2);
    frameWidth_ = platform::ReadLe16(descriptor + 4);
    frameHeight_ = platform::ReadLe16(descriptor + 6);
    packed_ = descriptor[8];
    streamPos_ += kDescriptorSize;
    uint8_t table[1024];
    if (!ReadColorTable(table)) {
        Rewind();  // the data ends inside the colour table
        return {};
    }
    const int minCodeSize = ReadByte();
    if (minCodeSize < 0) {
        Rewind();
        return {};
    }
    // Codes must name palette indices that fit a byte. An image that cannot
    // be decoded is passed over, so the walk goes on after it.
    if (frameWidth_ == 0 || frameHeight_ == 0 || minCodeSize < 1 || minCodeSize > 8 ||
        !FrameFitsData()) {
        if (!SkipSubBlocks())
            streamPos_ = streamLength_;
        return {};
    }
    stride_ = ((frameWidth_ - 1) | 3) + 1;
    imageBytes_ = uint32_t(stride_) * uint32_t(frameHeight_);
    uint8_t* block = AllocatePictureBlock(imageBytes_ + kBlockOverhead);
    if (!block) {
        if (!SkipSubBlocks())
            streamPos_ = streamLength_;
        return {};
    }
    WriteBitmapHeader(block, frameWidth_, frameHeight_);
    std::memcpy(block + 40, table, sizeof table);
    uint8_t* pixels = block + kPackedBitmapPixelOffset;
    std::memset(pixels + imageBytes_, 0, kMaxCodes * sizeof(LzwEntry));
    initCodeSize_ = minCodeSize + 1;
    if (!DecodeLzw(pixels, pixels + imageBytes_)) {
        FreePictureBlock(block);
        return {};
    }
    if (memoryMode_) {
        dibBlock_ = block;
        dibBytes_ = imageBytes_ + kBlockOverhead;
        return {};
    }
    GifFrame frame = MakeFrameBitmaps(block);
    FreePictureBlock(block);
    return frame;
}

// Reads codes until the end code, the end of the data or the last pixel;
// leaves the position after the image's data. Answers false for corrupt
// codes (a code that names no string yet, a broken prefix chain).
bool GifPicture::DecodeLzw(uint8_t* pixels, uint8_t* work) {
    auto* table = reinterpret_cast<LzwEntry*>(work);
    const int clear = 1 << (initCodeSize_ - 1);
    const int end = clear + 1;
    for (int i = 0; i < clear; ++i) {
        table[i].suffix = table[i].first = uint8_t(i);
        table[i].length = 1;
    }

    // Input: the sub-blocks' bytes gathered into one run (the position moves
    // past the image's data), then codes read least significant bit first.
    GatherImageData();
    const uint8_t* codes = imageData_.data();
    const uint64_t totalBits = uint64_t(imageData_.size() - kImageDataPadding) * 8;
    uint64_t bitPos = 0;
    int codeSize = initCodeSize_;
    uint32_t codeMask = (1u << codeSize) - 1;
    int nextFree = clear + 2;
    int previous = -1;

    // Output: rows left to right, then the next row (or the next row of the
    // interlace pass). Once the last row is complete further pixels are
    // dropped.
    const int width = frameWidth_;
    const int height = frameHeight_;
    const bool interlaced = (packed_ & 0x40) != 0;
    int pass = 1, row = 0, column = 0;
    uint8_t* rowStart = pixels;
    bool full = false;
    auto nextRow = [&] {
        column = 0;
        if (!interlaced) {
            if (++row >= height)
                full = true;
            rowStart += stride_;
            return;
        }
        row += kPassStep[pass];
        while (row >= height) {
            if (pass == 4) {
                full = true;
                return;
            }
            ++pass;
            row = kPassStart[pass];
        }
        rowStart = pixels + size_t(row) * stride_;
    };
    // Rows are padded to the stride with zeros.
    if (stride_ > width) {
        for (int y = 0; y < height; ++y)
            std::memset(pixels + size_t(y) * stride_ + width, 0, size_t(stride_ - width));
    }
    // Outputs the string of `code`, followed by `extra` when that is not
    // negative. Answers false for a broken prefix chain.
    uint8_t spill[kMaxCodes + 1];
    auto emit = [&](int code, int extra) {
        const int count = table[code].length + (extra >= 0 ? 1 : 0);
        // Most strings fit in what is left of the row; one that runs past
        // its end is spelt out aside and placed pixel by pixel.
        const bool fits = column + count <= width;
        uint8_t* out = (fits ? rowStart + column : spill) + count - 1;
        if (extra >= 0)
            *out-- = uint8_t(extra);
        int c = code;
        while (c >= clear) {
            const int prefix = table[c].prefix;
            if (prefix >= c)
                return false;
            *out-- = table[c].suffix;
            c = prefix;
        }
        *out = uint8_t(c);
        if (fits) {
            column += count;
            if (column == width)
                nextRow();
            return true;
        }
        for (int i = 0; i < count && !full; ++i) {
            rowStart[column] = spill[i];
            if (++column == width)
                nextRow();
        }
        return true;
    };

    bool corrupt = false;
    // Data that runs out before the end code ends the image there.
    while (!full && bitPos + uint64_t(codeSize) <= totalBits) {
        uint64_t word;
        std::memcpy(&word, codes + (bitPos >> 3), sizeof word);
        const int code = int((word >> (bitPos & 7)) & codeMask);
        bitPos += uint64_t(codeSize);
        if (code == clear) {
            codeSize = initCodeSize_;
            codeMask = (1u << codeSize) - 1;
            nextFree = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end)
            break;
        if (previous < 0) {
            // The first code after a clear names a single palette index.
            if (code > end) {
                corrupt = true;
                break;
            }
            emit(code, -1);
            previous = code;
            continue;
        }
        const int added = nextFree;
        int first;
        if (code < added) {
            first = table[code].first;
            if (!emit(code, -1)) {
                corrupt = true;
                break;
            }
        } else {
            // A code not in the table yet is the next one: the previous
            // string followed by its own first byte.
            first = table[previous].first;
            if (!emit(previous, first)) {
                corrupt = true;
                break;
            }
        }
        if (added < kMaxCodes) {
            LzwEntry& entry = table[added];
            entry.prefix = uint16_t(previous);
            entry.suffix = uint8_t(first);
            entry.first = table[previous].first;
            entry.length = uint16_t(table[previous].length + 1);
            if (added == (1 << codeSize) - 1 && codeSize < kMaxCodeSize) {
                ++codeSize;
                codeMask = (1u << codeSize) - 1;
            }
            nextFree = added + 1;
        }
        previous = code < added ? code : added;
    }
    // Pixels the data never reached hold index 0.
    if (!full) {
        std::memset(rowStart + column, 0, size_t(width - column));
        nextRow();
        while (!full) {
            std::memset(rowStart, 0, size_t(width));
            nextRow();
        }
    }
    return !corrupt;
}

void GifPicture::GatherImageData() {
    imageData_.clear();
    const uint8_t* data = stream_.data();
    uint32_t pos = streamPos_;
    while (pos < streamLength_) {
        const uint32_t size = data[pos++];
        if (size == 0)
            break;
        const uint32_t available = std::min(size, streamLength_ - pos);
        imageData_.insert(imageData_.end(), data + pos, data + pos + available);
        pos += available;
    }
    streamPos_ = pos;
    // Codes are read eight bytes at a time.
    imageData_.resize(imageData_.size() + kImageDataPadding, 0);
}

GifFrame GifPicture::MakeFrameBitmaps(const uint8_t* block) const {
    const uint8_t* table = block + 40;
    const uint8_t* pixels = block + kPackedBitmapPixelOffset;
    uint32_t colors[256];
    for (int i = 0; i < 256; ++i) {
        colors[i] = uint32_t(table[4 * i]) | (uint32_t(table[4 * i + 1]) << 8) |
                    (uint32_t(table[4 * i + 2]) << 16);
    }
    // The frame's transparent pixels are black, ready to be ORed on a canvas
    // that the mask has cleared beneath the frame's other pixels.
    if (hasTransparency_)
        colors[transparentIndex_] = 0;
    GifFrame frame;
    frame.image = platform::CreateBitmap(frameWidth_, frameHeight_, 1, 32, nullptr);
    if (!frame.image)
        return {};
    {
        auto hold = platform::LockBitmap(frame.image);
        const platform::PixelView view = platform::BitmapPixels(frame.image);
        for (int y = 0; y < frameHeight_; ++y) {
            const uint8_t* in = pixels + size_t(y) * stride_;
            uint32_t* out = view.Row(y);
            for (int x = 0; x < frameWidth_; ++x)
                out[x] = colors[in[x]];
        }
    }
    if (!hasTransparency_)
        return frame;
    // Mask rows as device bitmaps keep them: padded to 16 bits.
    const size_t rowBytes = size_t((frameWidth_ + 15) / 16) * 2;
    std::vector<uint8_t> mask(rowBytes * frameHeight_, 0);
    for (int y = 0; y < frameHeight_; ++y) {
        const uint8_t* in = pixels + size_t(y) * stride_;
        uint8_t* out = mask.data() + size_t(y) * rowBytes;
        for (int x = 0; x < frameWidth_; ++x) {
            if (in[x] == transparentIndex_)
                out[x >> 3] |= uint8_t(0x80 >> (x & 7));
        }
    }
    frame.mask = platform::CreateBitmap(frameWidth_, frameHeight_, 1, 1, mask.data());
    if (!frame.mask)
        frame.Delete();
    return frame;
}

}  // namespace corelib
