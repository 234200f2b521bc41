#include "libs/imageconv/pcx_reader.h"

#include <cstring>

#include "libs/imageconv/heap_buffer.h"
#include "platform/base/byte_order.h"

namespace imageconv {

using platform::ReadLe16;
using platform::ReadLe32;

namespace {

constexpr size_t kHeaderSize = 128;
constexpr long kPaletteSize = 768;
constexpr uint8_t kManufacturer = 10;
constexpr int kLongestRun = 63;

// Run-length input with a hard end: reading past `remaining` fails.
class RleInput {
public:
    RleInput(FILE* file, long remaining) : file_(file), remaining_(remaining) {}

    // Decodes exactly `wanted` bytes; a run longer than what is still wanted
    // is cut, and the next call starts at the following input byte.
    bool DecodeRow(uint8_t* out, size_t wanted) {
        size_t done = 0;
        while (done < wanted) {
            int byte = Next();
            if (byte < 0)
                return false;
            size_t count = 1;
            if ((byte & 0xC0) == 0xC0) {
                count = byte & 0x3F;
                byte = Next();
                if (byte < 0)
                    return false;
            }
            if (count > wanted - done)
                count = wanted - done;
            std::memset(out + done, byte, count);
            done += count;
        }
        return true;
    }

private:
    int Next() {
        if (remaining_ <= 0)
            return -1;
        --remaining_;
        return std::getc(file_);
    }
    FILE* file_;
    long remaining_;
};

}  // namespace

bool PcxReader::Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) {
    if (!OpenForReading(path, image, progress))
        return false;

    uint8_t h[kHeaderSize];
    bool accepted = [&] {
        if (!ReadExactly(h, sizeof h) || h[0] != kManufacturer)
            return false;
        const int32_t xMin = ReadLe16(h + 4), yMin = ReadLe16(h + 6);
        const int32_t xMax = ReadLe16(h + 8), yMax = ReadLe16(h + 10);
        if (xMax <= xMin || yMax <= yMin)
            return false;
        const int bitsPerPixel = h[3], planes = h[65];
        bytesPerLine_ = ReadLe16(h + 66);
        width_ = xMax - xMin + 1;
        height_ = yMax - yMin + 1;
        // Only byte-per-sample layouts: 8 one-bit planes or one 24-bit plane
        // would also multiply to 8 or 24 but mean something else entirely.
        if (bitsPerPixel == 8 && planes == 1) {
            depth_ = 8;
        } else if (bitsPerPixel == 8 && planes == 3) {
            depth_ = 24;
        } else {
            return false;
        }
        return bytesPerLine_ >= uint32_t(width_);
    }();
    if (!accepted) {
        Close();
        return false;
    }
    return true;
}

bool PcxReader::Decode() {
    if (!file_ || !image_)
        return false;
    const long fileSize = FileSizeOf(file_);
    long dataEnd = fileSize;
    bool ok = fileSize > long(kHeaderSize);
    if (ok && depth_ == 8) {
        dataEnd = fileSize - kPaletteSize;
        ok = dataEnd >= long(kHeaderSize);
    }
    const long compressed = ok ? dataEnd - long(kHeaderSize) : 0;
    const size_t lineBytes = size_t(bytesPerLine_) * (depth_ == 24 ? 3 : 1);
    ok = ok || Fail("the PCX file ends within its header or palette");
    ok = ok && WithinLimits(uint64_t(fileSize), platform::PictureCoding::PcxRunLength);
    // Every two input bytes make at most 63 output bytes.
    ok = ok && (uint64_t(compressed) * kLongestRun / 2 + 1 >= uint64_t(lineBytes) * height_ ||
                Fail("the PCX run-length data is too short for the picture"));

    HeapBuffer line;
    ok = ok && line.Allocate(lineBytes) &&
         image_->Create(width_, height_, depth_, depth_ == 8 ? 256 : 0);
    if (ok && depth_ == 8) {
        uint8_t palette[kPaletteSize];
        ok = std::fseek(file_, dataEnd, SEEK_SET) == 0 && ReadExactly(palette, sizeof palette);
        ColourEntry* table = image_->colours();
        for (int i = 0; ok && i < 256; ++i) {
            table[i] = {palette[3 * i], palette[3 * i + 1], palette[3 * i + 2], 0, 0};
        }
    }
    ok = ok && std::fseek(file_, long(kHeaderSize), SEEK_SET) == 0;
    RleInput input(file_, compressed);
    // Rows are decoded to their full stored length (bytes per line, padding
    // included) so that the next row starts where the file says it does.
    for (int32_t y = 0; ok && y < height_; ++y) {
        if (!input.DecodeRow(line.data(), lineBytes)) {
            ok = Fail("the PCX run-length data ends early");
            break;
        }
        uint8_t* dst = image_->Row(y);
        if (depth_ == 8) {
            std::memcpy(dst, line.data(), size_t(width_));
        } else {
            const uint8_t* red = line.data();
            const uint8_t* green = red + bytesPerLine_;
            const uint8_t* blue = green + bytesPerLine_;
            for (int32_t x = 0; x < width_; ++x, dst += 3) {
                dst[0] = red[x], dst[1] = green[x], dst[2] = blue[x];
            }
        }
        ReportRow(y);
    }
    return FinishDecoding(ok);
}

bool PcxReader::Close() {
    CloseFile();
    reading_ = false;
    return true;
}

}  // namespace imageconv
