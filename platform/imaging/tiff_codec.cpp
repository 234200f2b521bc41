// TIFF through libtiff over memory. Errors and warnings go to handlers of
// each open file rather than libtiff's process-wide ones, so six threads
// can read and write at once. Reading stops at the first error: a strip
// that cannot be decoded fails the load instead of leaving a hole.
#include <tiffio.h>

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/base/picture_limits.h"
#include "platform/imaging/codecs.h"
#include "platform/imaging/failure_reason.h"

namespace platform::imaging {
namespace {

struct MemoryFile {
    const uint8_t* input = nullptr;
    size_t inputSize = 0;
    Output* output = nullptr;
    uint64_t position = 0;

    size_t size() const { return output ? output->size() : inputSize; }
};

MemoryFile* FileOf(thandle_t handle) {
    return static_cast<MemoryFile*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t count) {
    MemoryFile* file = FileOf(handle);
    const uint8_t* data = file->output ? file->output->data() : file->input;
    size_t size = file->size();
    if (count <= 0 || file->position >= size)
        return 0;
    size_t n = std::min<size_t>(size_t(count), size - file->position);
    std::memcpy(buffer, data + file->position, n);
    file->position += n;
    return tmsize_t(n);
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t count) {
    MemoryFile* file = FileOf(handle);
    if (!file->output || count < 0)
        return -1;
    size_t end = file->position + size_t(count);
    if (end > file->output->size())
        file->output->resize(end);
    std::memcpy(file->output->data() + file->position, buffer, size_t(count));
    file->position = end;
    return count;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    MemoryFile* file = FileOf(handle);
    uint64_t base = whence == SEEK_CUR ? file->position : whence == SEEK_END ? file->size() : 0;
    file->position = base + offset;
    return file->position;
}

int CloseProc(thandle_t) {
    return 0;
}
toff_t SizeProc(thandle_t handle) {
    return FileOf(handle)->size();
}
int MapProc(thandle_t, void**, toff_t*) {
    return 0;
}
void UnmapProc(thandle_t, void*, toff_t) {}

// libtiff's first error message of one open file, kept as the reason.
struct TiffMessages {
    char first[256] = {};
};

int KeepError(TIFF*, void* data, const char* module, const char* format, va_list arguments) {
    auto* messages = static_cast<TiffMessages*>(data);
    if (messages && messages->first[0] == 0) {
        char text[200];
        std::vsnprintf(text, sizeof text, format, arguments);
        std::snprintf(messages->first, sizeof messages->first, "%s: %s", module ? module : "TIFF",
                      text);
    }
    return 1;
}

int Quiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// Options of every open: errors kept in `messages`, warnings dropped, and
// no single allocation of libtiff beyond the shared codec limit.
TIFFOpenOptions* OpenOptions(TiffMessages* messages) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxCodecMemory);
    return options;
}

TIFF* Open(MemoryFile& file, const char* mode, TiffMessages* messages) {
    TIFFOpenOptions* options = OpenOptions(messages);
    if (!options)
        return nullptr;
    TIFF* tiff = TIFFClientOpenExt("memory", mode, &file, ReadProc, WriteProc, SeekProc, CloseProc,
                                   SizeProc, MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return tiff;
}

PictureCoding CodingOf(TIFF* tiff) {
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    switch (compression) {
        case COMPRESSION_NONE:
            return PictureCoding::Uncompressed;
        case COMPRESSION_CCITTRLE:
        case COMPRESSION_CCITTFAX3:
        case COMPRESSION_CCITTFAX4:
        case COMPRESSION_CCITTRLEW:
            return PictureCoding::Fax;
        case COMPRESSION_LZW:
            return PictureCoding::TiffLzw;
        case COMPRESSION_JPEG:
        case COMPRESSION_OJPEG:
            return PictureCoding::Jpeg;
        case COMPRESSION_PACKBITS:
            return PictureCoding::BmpRunLength;
        default:
            return PictureCoding::Deflate;
    }
}

bool HasAlpha(TIFF* tiff) {
    uint16_t count = 0;
    uint16_t* kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds))
        return false;
    return count > 0 && kinds && kinds[0] != EXTRASAMPLE_UNSPECIFIED;
}

// The common case, 8-bit RGB or RGBA in strips, is read row by row as
// stored: exact (no premultiplied detour for alpha) and quicker.
std::unique_ptr<Image> DecodePlainStrips(TIFF* tiff, uint32_t width, uint32_t height) {
    uint16_t bits = 0, samples = 0, photometric = 0, planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric))
        return nullptr;
    uint16_t extraCount = 0;
    uint16_t* extraKinds = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    bool straightAlpha =
        samples == 4 && extraCount == 1 && extraKinds && extraKinds[0] == EXTRASAMPLE_UNASSALPHA;
    if (TIFFIsTiled(tiff) || bits != 8 || photometric != PHOTOMETRIC_RGB ||
        planar != PLANARCONFIG_CONTIG || orientation != ORIENTATION_TOPLEFT ||
        !(samples == 3 || straightAlpha)) {
        return nullptr;
    }
    if (TIFFScanlineSize(tiff) != tmsize_t(width) * samples)
        return nullptr;
    auto image =
        Image::Create(width, height, samples == 4 ? PixelLayout::Bgra32 : PixelLayout::Bgr24);
    if (!image)
        return nullptr;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = image->row(y);
        if (TIFFReadScanline(tiff, row, y, 0) != 1)
            return nullptr;
        for (uint32_t x = 0; x < width; ++x)
            std::swap(row[x * samples], row[x * samples + 2]);
    }
    return image;
}

std::unique_ptr<Image> DecodeOpened(TIFF* tiff) {
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tiff, message))
        return Refuse(message);
    TIFFRGBAImage reader;
    if (!TIFFRGBAImageBegin(&reader, tiff, /*stop on error*/ 1, message))
        return Refuse(message);
    uint32_t width = reader.width, height = reader.height;
    bool alpha = HasAlpha(tiff);
    auto image = Image::Create(width, height, PixelLayout::Bgra32);
    bool ok = false;
    if (image) {
        reader.req_orientation = ORIENTATION_TOPLEFT;
        // Rows come out as packed RGBA words; the image is exactly that size.
        ok = TIFFRGBAImageGet(&reader, reinterpret_cast<uint32_t*>(image->row(0)), width, height) ==
             1;
    }
    TIFFRGBAImageEnd(&reader);
    if (!ok)
        return nullptr;
    if (!alpha) {
        auto rgb = Image::Create(width, height, PixelLayout::Bgr24);
        if (!rgb)
            return nullptr;
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* in = image->row(y);
            uint8_t* out = rgb->row(y);
            for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }
        return rgb;
    }
    // libtiff's RGBA reading hands out premultiplied colour whatever the
    // file holds; undo it so every image here holds straight alpha.
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* p = image->row(y);
        for (uint32_t x = 0; x < width; ++x, p += 4) {
            std::swap(p[0], p[2]);
            if (p[3] != 0 && p[3] != 255) {
                for (int c = 0; c < 3; ++c) {
                    p[c] = uint8_t(std::min(255, (p[c] * 255 + p[3] / 2) / p[3]));
                }
            }
        }
    }
    return image;
}

}  // namespace

std::unique_ptr<Image> DecodeTiff(Bytes bytes) {
    MemoryFile file;
    file.input = bytes.data;
    file.inputSize = bytes.size;
    TiffMessages messages;
    TIFF* tiff = Open(file, "rm", &messages);
    if (!tiff)
        return Refuse(messages.first[0] ? messages.first : "the TIFF header is damaged");
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    std::unique_ptr<Image> image;
    std::string problem = PictureSizeProblem(width, height, bytes.size, CodingOf(tiff));
    if (problem.empty()) {
        image = DecodePlainStrips(tiff, width, height);
        if (!image)
            image = DecodeOpened(tiff);
        if (!image && !FailureReason().empty())
            problem = FailureReason();
        else if (!image)
            problem = messages.first[0] ? messages.first : "the TIFF data is damaged";
    }
    TIFFClose(tiff);
    if (!image)
        return Refuse(problem);
    return image;
}

namespace {

// Written uncompressed: the format's most widely read form, and the fastest
// to write by far; strips of about 64 KiB, converted to RGB order one strip
// at a time.
bool WriteStrips(TIFF* tiff, const Image& image) {
    const uint32_t bpp = image.bytesPerPixel();
    const size_t rowBytes = size_t(image.width()) * bpp;
    const uint32_t rowsPerStrip = uint32_t(std::max<size_t>(1, 65536 / rowBytes));
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width());
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.height());
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, bpp);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    if (bpp == 4) {
        uint16_t kind = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
    std::vector<uint8_t> strip(rowBytes * rowsPerStrip);
    for (uint32_t first = 0, index = 0; first < image.height(); first += rowsPerStrip, ++index) {
        uint32_t rows = std::min(rowsPerStrip, image.height() - first);
        for (uint32_t r = 0; r < rows; ++r) {
            const uint8_t* in = image.row(first + r);
            uint8_t* line = strip.data() + r * rowBytes;
            for (size_t x = 0; x < rowBytes; x += bpp) {
                line[x] = in[x + 2];
                line[x + 1] = in[x + 1];
                line[x + 2] = in[x];
                if (bpp == 4)
                    line[x + 3] = in[x + 3];
            }
        }
        if (TIFFWriteEncodedStrip(tiff, index, strip.data(), tmsize_t(rows * rowBytes)) < 0) {
            return false;
        }
    }
    return TIFFWriteDirectory(tiff) == 1;
}

}  // namespace

bool EncodeTiff(const Image& image, Output& out) {
    if (!out.empty())
        return false;  // the memory file starts at offset 0
    out.reserve(size_t(image.width()) * image.bytesPerPixel() * image.height() + 65536);
    MemoryFile file;
    file.output = &out;
    TiffMessages messages;
    TIFF* tiff = Open(file, "wm", &messages);
    bool ok = tiff && WriteStrips(tiff, image);
    if (tiff)
        TIFFClose(tiff);
    if (!ok)
        SetFailureReason(messages.first[0] ? messages.first : "the TIFF encoder failed");
    return ok;
}

// Straight to the file: a TIFF is as large as the raster, so going through
// memory would cost a second copy of the picture.
bool EncodeTiffToFile(const Image& image, int fd) {
    int own = dup(fd);  // closing the TIFF closes its descriptor
    if (own < 0)
        return false;
    TiffMessages messages;
    TIFFOpenOptions* options = OpenOptions(&messages);
    TIFF* tiff = options ? TIFFFdOpenExt(own, "file", "wm", options) : nullptr;
    if (options)
        TIFFOpenOptionsFree(options);
    if (!tiff)
        close(own);
    bool ok = tiff && WriteStrips(tiff, image);
    // Closing writes the directory; libtiff reports a failure there through
    // the error handler only.
    if (tiff)
        TIFFClose(tiff);
    ok = ok && messages.first[0] == 0;
    if (!ok)
        SetFailureReason(messages.first[0] ? messages.first : "the TIFF encoder failed");
    return ok;
}

}  // namespace platform::imaging
