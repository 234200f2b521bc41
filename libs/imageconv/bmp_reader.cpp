#include "libs/imageconv/bmp_reader.h"

#include <cstdlib>
#include <cstring>

#include "libs/imageconv/heap_buffer.h"
#include "platform/base/byte_order.h"

namespace imageconv {

using platform::ReadLe16;
using platform::ReadLe32;

namespace {
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kOs2InfoSize = 12;
constexpr uint32_t kWindowsInfoMinimum = 20;  // up to the compression field
// Info header plus the largest palette; anything bigger is not a bitmap.
constexpr uint32_t kMaxHeaderAndPalette = 64 * 1024;
}  // namespace

bool BmpReader::Probe(rt::ConstText path, RasterImage* image, ProgressCallback progress) {
    if (!OpenForReading(path, image, progress))
        return false;

    uint8_t fileHeader[kFileHeaderSize];
    HeapBuffer info;
    bool accepted = [&] {
        if (!ReadExactly(fileHeader, sizeof fileHeader))
            return false;
        if (!(fileHeader[0] == 'B' && (fileHeader[1] == 'M' || fileHeader[1] == 'A')))
            return false;
        dataOffset_ = ReadLe32(fileHeader + 10);
        if (dataOffset_ < kFileHeaderSize + kOs2InfoSize ||
            dataOffset_ - kFileHeaderSize > kMaxHeaderAndPalette) {
            return false;
        }
        if (!info.Allocate(dataOffset_ - kFileHeaderSize) ||
            !ReadExactly(info.data(), info.size())) {
            return false;
        }
        const uint8_t* h = info.data();
        const uint32_t infoSize = ReadLe32(h);
        int64_t width, height;
        uint32_t bitCount;
        if (infoSize == kOs2InfoSize) {
            width = ReadLe16(h + 4);
            height = ReadLe16(h + 6);
            bitCount = ReadLe16(h + 10);
            bottomUp_ = true;
            kind_ = KIND_BMP_OS2;
        } else {
            if (infoSize < kWindowsInfoMinimum || info.size() < kWindowsInfoMinimum)
                return false;
            width = platform::ReadLeS32(h + 4);
            height = platform::ReadLeS32(h + 8);
            bitCount = ReadLe16(h + 14);
            const uint32_t compression = ReadLe32(h + 16);
            if (compression > 3)
                return false;
            if (compression == 1)
                bitCount = 8;
            if (compression == 2)
                bitCount = 4;
            bottomUp_ = height > 0;
            kind_ = KIND_BMP_WINDOWS;
        }
        height = std::llabs(height);
        if (width < 1 || height == 0 || height > INT32_MAX || bitCount != 24)
            return false;
        width_ = static_cast<int32_t>(width);
        height_ = static_cast<int32_t>(height);
        return true;
    }();
    if (!accepted) {
        Close();
        return false;
    }
    return true;
}

bool BmpReader::Decode() {
    if (!file_ || !image_)
        return false;
    const size_t fileRow = ((size_t(width_) * 24 + 31) / 32) * 4;
    // A file too short for its own rows fails before any storage is made.
    const long fileSize = FileSizeOf(file_);
    bool ok =
        fileSize >= 0 && WithinLimits(uint64_t(fileSize), platform::PictureCoding::Uncompressed);
    ok = ok &&
         (uint64_t(fileSize) >= uint64_t(dataOffset_) + uint64_t(fileRow) * uint64_t(height_) ||
          Fail("the bitmap's pixel data ends early"));
    HeapBuffer row;
    ok = ok && image_->Create(width_, height_, 24, 0) && row.Allocate(fileRow) &&
         std::fseek(file_, long(dataOffset_), SEEK_SET) == 0;
    for (int32_t y = 0; ok && y < height_; ++y) {
        if (!ReadExactly(row.data(), fileRow)) {
            ok = false;
            break;
        }
        uint8_t* dst = image_->Row(bottomUp_ ? height_ - 1 - y : y);
        const uint8_t* src = row.data();
        for (int32_t x = 0; x < width_; ++x, src += 3, dst += 3) {
            dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
        }
        ReportRow(y);
    }
    return FinishDecoding(ok);
}

bool BmpReader::Close() {
    CloseFile();
    reading_ = false;
    return true;
}

}  // namespace imageconv
