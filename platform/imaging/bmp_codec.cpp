// BMP: no Debian library reads it, so it is read here, every depth (1, 4,
// 8, 16, 24, 32 bits), run-length 4 and 8, bit-field masks, top-down and
// bottom-up rows, and the old core header. Every offset and count is checked
// against the file before use.
#include <cstring>
#include <vector>

#include "platform/base/byte_order.h"
#include "platform/base/picture_limits.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"

namespace platform::imaging {
namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct Mask {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Mask(uint32_t m = 0) : mask(m) {
        if (!m)
            return;
        while (!((m >> shift) & 1))
            ++shift;
        while (bits + shift < 32 && ((m >> (shift + bits)) & 1))
            ++bits;
    }
    uint8_t Extract(uint32_t v) const {
        if (!mask)
            return 0;
        uint32_t x = (v & mask) >> shift;
        if (bits >= 8)
            return uint8_t(x >> (bits - 8));
        uint32_t max = (1u << bits) - 1;
        return uint8_t(x * 255 / max);
    }
};

struct DibInfo {
    int32_t width = 0;
    int32_t height = 0;  // colour rows only
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = kRgb;
    Mask red, green, blue, alpha;
    std::vector<uint8_t> palette;  // B, G, R per entry
};

// Parses the header at `dib`; answers null or what is wrong with it.
const char* ParseHeader(Bytes dib, DibInfo& info, size_t& headerEnd) {
    constexpr const char* kBadHeader = "the bitmap header is damaged";
    if (dib.size < 12)
        return kBadHeader;
    uint32_t headerSize = ReadLe32(dib.data);
    const uint8_t* h = dib.data;
    uint32_t paletteEntrySize = 4;
    uint32_t coloursUsed = 0;
    if (headerSize == 12) {  // the old core header
        info.width = ReadLe16(h + 4);
        info.height = ReadLeS16(h + 6);
        info.bitCount = ReadLe16(h + 10);
        paletteEntrySize = 3;
    } else if (headerSize >= 40 && headerSize <= dib.size) {
        info.width = int32_t(ReadLe32(h + 4));
        info.height = int32_t(ReadLe32(h + 8));
        info.bitCount = ReadLe16(h + 14);
        info.compression = ReadLe32(h + 16);
        coloursUsed = ReadLe32(h + 32);
        if (info.compression == kBitFields || info.compression == kAlphaBitFields) {
            // Masks follow a 40-byte header, or sit inside a longer one.
            size_t at = 40;
            size_t need = info.compression == kAlphaBitFields ? 16 : 12;
            if (at + need > dib.size)
                return kBadHeader;
            info.red = Mask(ReadLe32(h + at));
            info.green = Mask(ReadLe32(h + at + 4));
            info.blue = Mask(ReadLe32(h + at + 8));
            if (need == 16 || headerSize >= 56)
                info.alpha = Mask(ReadLe32(h + at + 12));
            if (headerSize == 40)
                headerSize += uint32_t(need);
        }
    } else {
        return kBadHeader;
    }
    if (info.height < 0) {
        if (info.height == INT32_MIN)
            return kBadHeader;
        info.topDown = true;
        info.height = -info.height;
    }
    if (info.width <= 0 || info.height <= 0)
        return "the bitmap declares no pixels";
    switch (info.bitCount) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return "an unknown bitmap depth";
    }
    if (info.compression == kRle8 && info.bitCount != 8)
        return kBadHeader;
    if (info.compression == kRle4 && info.bitCount != 4)
        return kBadHeader;
    if ((info.compression == kBitFields || info.compression == kAlphaBitFields) &&
        info.bitCount != 16 && info.bitCount != 32) {
        return kBadHeader;
    }
    if (info.compression > kBitFields && info.compression != kAlphaBitFields)
        return "a bitmap compression this program does not read";
    if (info.compression == kRgb && info.bitCount == 16) {
        info.red = Mask(0x7C00), info.green = Mask(0x03E0), info.blue = Mask(0x001F);
    }
    headerEnd = headerSize;
    if (info.bitCount <= 8) {
        uint32_t entries = coloursUsed ? coloursUsed : (1u << info.bitCount);
        if (entries > 256)
            entries = 256;
        size_t paletteBytes = size_t(entries) * paletteEntrySize;
        if (headerEnd + paletteBytes > dib.size) {
            // Some writers cut the palette short; keep what is there.
            entries = uint32_t((dib.size - headerEnd) / paletteEntrySize);
            paletteBytes = size_t(entries) * paletteEntrySize;
        }
        info.palette.assign(256 * 3, 0);
        for (uint32_t i = 0; i < entries; ++i) {
            std::memcpy(&info.palette[i * 3], dib.data + headerEnd + i * paletteEntrySize, 3);
        }
        headerEnd += paletteBytes;
    }
    return nullptr;
}

void PutIndex(const DibInfo& info, uint8_t* out, uint32_t index) {
    std::memcpy(out, &info.palette[(index & 0xFF) * 3], 3);
}

// Row y of the picture (0 = top) in the file's row order.
uint32_t FileRow(const DibInfo& info, uint32_t y) {
    return info.topDown ? y : uint32_t(info.height) - 1 - y;
}

// Bytes of one stored row of uncompressed pixels.
size_t RowBytes(const DibInfo& info) {
    return ((size_t(uint32_t(info.width)) * info.bitCount + 31) / 32) * 4;
}

bool DecodeRows(const DibInfo& info, Bytes pixels, Image& image) {
    const uint32_t width = uint32_t(info.width);
    const size_t rowBytes = RowBytes(info);
    if (rowBytes * uint32_t(info.height) > pixels.size)
        return false;
    const bool alpha = image.hasAlpha();
    for (uint32_t y = 0; y < uint32_t(info.height); ++y) {
        const uint8_t* in = pixels.data + FileRow(info, y) * rowBytes;
        uint8_t* out = image.row(y);
        const uint32_t step = image.bytesPerPixel();
        for (uint32_t x = 0; x < width; ++x, out += step) {
            switch (info.bitCount) {
                case 1:
                    PutIndex(info, out, (in[x >> 3] >> (7 - (x & 7))) & 1);
                    break;
                case 4:
                    PutIndex(info, out, (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
                    break;
                case 8:
                    PutIndex(info, out, in[x]);
                    break;
                case 24:
                    std::memcpy(out, in + x * 3, 3);
                    break;
                case 16:
                case 32: {
                    uint32_t v = info.bitCount == 16 ? ReadLe16(in + x * 2) : ReadLe32(in + x * 4);
                    if (info.compression == kRgb && info.bitCount == 32) {
                        out[0] = uint8_t(v), out[1] = uint8_t(v >> 8), out[2] = uint8_t(v >> 16);
                        if (alpha)
                            out[3] = uint8_t(v >> 24);
                    } else {
                        out[0] = info.blue.Extract(v);
                        out[1] = info.green.Extract(v);
                        out[2] = info.red.Extract(v);
                        if (alpha)
                            out[3] = info.alpha.Extract(v);
                    }
                    break;
                }
            }
            if (alpha && info.bitCount < 16)
                out[3] = 255;
        }
    }
    return true;
}

// Run-length data: pixels not reached by the runs stay at palette entry 0.
// Runs past the right edge are dropped (writers pad rows to their stride);
// data that ends before the end-of-picture mark fails the load.
bool DecodeRle(const DibInfo& info, Bytes data, Image& image) {
    const uint32_t width = uint32_t(info.width), height = uint32_t(info.height);
    const uint32_t step = image.bytesPerPixel();
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            PutIndex(info, image.row(y) + x * step, 0);
            if (step == 4)
                image.row(y)[x * step + 3] = 255;
        }
    }
    const bool four = info.compression == kRle4;
    uint32_t x = 0, line = 0;  // line counts in file order
    size_t at = 0;
    auto put = [&](uint32_t index) {
        if (x < width && line < height) {
            uint32_t y = info.topDown ? line : height - 1 - line;
            PutIndex(info, image.row(y) + x * step, index);
        }
        ++x;
        return line < height;
    };
    while (at + 2 <= data.size) {
        uint8_t count = data.data[at], value = data.data[at + 1];
        at += 2;
        if (count > 0) {
            for (uint32_t i = 0; i < count; ++i) {
                uint32_t index = four ? ((i & 1) ? value & 0xF : value >> 4) : value;
                if (!put(index))
                    return false;
            }
        } else if (value == 0) {  // end of line
            x = 0;
            ++line;
        } else if (value == 1) {  // end of picture
            return true;
        } else if (value == 2) {  // move
            if (at + 2 > data.size)
                return false;
            x += data.data[at];
            line += data.data[at + 1];
            at += 2;
        } else {  // literal run of `value` pixels, padded to a word
            size_t bytes = four ? (value + 1) / 2 : value;
            if (at + bytes > data.size)
                return false;
            for (uint32_t i = 0; i < value; ++i) {
                uint8_t b = data.data[at + (four ? i / 2 : i)];
                uint32_t index = four ? ((i & 1) ? b & 0xF : b >> 4) : b;
                if (!put(index))
                    return false;
            }
            at += (bytes + 1) & ~size_t(1);
        }
    }
    return false;  // ran out of data before the end-of-picture mark
}

bool WantsAlpha(const DibInfo& info) {
    if (info.bitCount == 32 && info.compression == kRgb)
        return false;  // the top byte is unused
    return info.alpha.mask != 0;
}

// Refuses a size beyond the limits, or one the pixel data cannot hold,
// before anything is allocated for it.
const char* SizeProblem(const DibInfo& info, Bytes pixels, size_t fileBytes, std::string& text) {
    const bool runLength = info.compression == kRle4 || info.compression == kRle8;
    text =
        PictureSizeProblem(uint32_t(info.width), uint32_t(info.height), fileBytes,
                           runLength ? PictureCoding::BmpRunLength : PictureCoding::Uncompressed);
    if (!text.empty())
        return text.c_str();
    if (!runLength && RowBytes(info) * uint32_t(info.height) > pixels.size)
        return "the bitmap's pixel data ends early";
    return nullptr;
}

std::unique_ptr<Image> DecodeDib(Bytes dib, size_t pixelOffset, bool fromFile, bool icon) {
    DibInfo info;
    size_t headerEnd = 0;
    if (const char* problem = ParseHeader(dib, info, headerEnd))
        return Refuse(problem);
    if (icon)
        info.height /= 2;  // the height counts the AND mask as well
    if (info.height <= 0)
        return Refuse("the icon declares no pixels");
    if (!fromFile)
        pixelOffset = headerEnd;
    if (pixelOffset > dib.size)
        return Refuse("the bitmap's pixel data lies beyond the end of the file");
    Bytes pixels{dib.data + pixelOffset, dib.size - pixelOffset};
    std::string text;
    if (const char* problem = SizeProblem(info, pixels, dib.size + (fromFile ? 14 : 0), text))
        return Refuse(problem);
    bool alpha = WantsAlpha(info) || (icon && info.bitCount == 32);
    auto image = Image::Create(uint32_t(info.width), uint32_t(info.height),
                               alpha || icon ? PixelLayout::Bgra32 : PixelLayout::Bgr24);
    if (!image)
        return Refuse(kNoMemoryForPixels);
    bool ok;
    if (info.compression == kRle4 || info.compression == kRle8) {
        ok = DecodeRle(info, pixels, *image);
    } else if (icon && info.bitCount == 32) {
        // Icons keep alpha in the top byte of plain 32-bit rows.
        info.compression = kBitFields;
        info.red = Mask(0xFF0000), info.green = Mask(0xFF00), info.blue = Mask(0xFF);
        info.alpha = Mask(0xFF000000);
        ok = DecodeRows(info, pixels, *image);
    } else {
        ok = DecodeRows(info, pixels, *image);
    }
    if (!ok)
        return Refuse("the bitmap's run-length data is damaged or ends early");
    if (icon && info.bitCount < 32) {
        // The AND mask follows the colour rows: set bits are transparent.
        const uint32_t width = uint32_t(info.width);
        size_t colourBytes = RowBytes(info) * info.height;
        size_t maskRow = ((width + 31) / 32) * 4;
        if (colourBytes + maskRow * info.height <= pixels.size) {
            const uint8_t* mask = pixels.data + colourBytes;
            for (uint32_t y = 0; y < uint32_t(info.height); ++y) {
                const uint8_t* m = mask + FileRow(info, y) * maskRow;
                uint8_t* out = image->row(y);
                for (uint32_t x = 0; x < width; ++x) {
                    out[x * 4 + 3] = ((m[x >> 3] >> (7 - (x & 7))) & 1) ? 0 : 255;
                }
            }
        }
    }
    return image;
}

void Put16(Output& out, uint16_t v) {
    uint8_t bytes[2];
    WriteLe16(bytes, v);
    out.insert(out.end(), bytes, bytes + 2);
}
void Put32(Output& out, uint32_t v) {
    uint8_t bytes[4];
    WriteLe32(bytes, v);
    out.insert(out.end(), bytes, bytes + 4);
}

}  // namespace

std::unique_ptr<Image> DecodeBmp(Bytes file) {
    if (file.size < 14 + 12 || file.data[0] != 'B' || file.data[1] != 'M')
        return Refuse("the bitmap header is damaged");
    uint32_t pixelOffset = ReadLe32(file.data + 10);
    Bytes dib{file.data + 14, file.size - 14};
    if (pixelOffset < 14)
        return Refuse("the bitmap header is damaged");
    return DecodeDib(dib, pixelOffset - 14, true, false);
}

std::unique_ptr<Image> DecodeIconDib(Bytes dib) {
    return DecodeDib(dib, 0, false, true);
}

// Three-byte pixels go out as the plain 24-bit form every reader takes;
// pixels with alpha as 32-bit with bit-field masks in a version 4 header,
// so the alpha survives in readers that know it and is harmless elsewhere.
bool EncodeBmp(const Image& image, Output& out) {
    const uint32_t bpp = image.bytesPerPixel();
    const bool alpha = image.hasAlpha();
    const uint32_t headerSize = alpha ? 108 : 40;
    const uint32_t pixelOffset = 14 + headerSize;
    const size_t rowBytes = ((size_t(image.width()) * bpp + 3) / 4) * 4;
    const uint64_t pixelBytes = uint64_t(rowBytes) * image.height();
    if (pixelBytes + pixelOffset > 0xFFFFFFFFu)
        return false;
    out.reserve(out.size() + pixelOffset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, uint32_t(pixelOffset + pixelBytes));
    Put32(out, 0);
    Put32(out, pixelOffset);
    Put32(out, headerSize);
    Put32(out, image.width());
    Put32(out, image.height());  // bottom-up
    Put16(out, 1);
    Put16(out, uint16_t(bpp * 8));
    Put32(out, alpha ? kBitFields : kRgb);
    Put32(out, uint32_t(pixelBytes));
    Put32(out, 3780);  // 96 dots per inch
    Put32(out, 3780);
    Put32(out, 0);
    Put32(out, 0);
    if (alpha) {
        Put32(out, 0x00FF0000);
        Put32(out, 0x0000FF00);
        Put32(out, 0x000000FF);
        Put32(out, 0xFF000000);
        Put32(out, 0x73524742);             // colour space "sRGB"
        out.insert(out.end(), 36 + 12, 0);  // end points and gamma, unused for sRGB
    }
    for (uint32_t y = image.height(); y-- > 0;) {
        const uint8_t* row = image.row(y);
        out.insert(out.end(), row, row + size_t(image.width()) * bpp);
        out.insert(out.end(), rowBytes - size_t(image.width()) * bpp, 0);
    }
    return true;
}

}  // namespace platform::imaging
