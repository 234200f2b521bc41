#include "libs/imageconv/load_any_image.h"

#include <cstring>

#include "libs/imageconv/bmp_reader.h"
#include "libs/imageconv/conversion_problem.h"
#include "libs/imageconv/convert_result.h"
#include "libs/imageconv/image_file.h"
#include "libs/imageconv/jpeg_codec.h"
#include "libs/imageconv/pcx_reader.h"
#include "libs/imageconv/photocd_reader.h"
#include "libs/imageconv/png_codec.h"
#include "libs/imageconv/tiff_codec.h"

namespace imageconv {

namespace {

// True when the file opens like a JPEG, PNG, TIFF or BMP file. Photo CD data
// has no signature of its own, so such a file that its reader declined (a
// CMYK JPEG, a 16-bit PNG, an 8-bit BMP) is a format we do not support, not
// Photo CD data to be decoded into noise and reported as converted.
bool HasKnownSignature(rt::ConstText path) {
    FILE* file = OpenImageFile(path, FileAccess::Read);
    if (!file)
        return false;
    uint8_t head[8] = {};
    const size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    static constexpr uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static constexpr uint8_t kJpeg[3] = {0xFF, 0xD8, 0xFF};
    static constexpr uint8_t kTiffIntel[4] = {'I', 'I', 42, 0};
    static constexpr uint8_t kTiffMotorola[4] = {'M', 'M', 0, 42};
    return (got >= 8 && std::memcmp(head, kPng, 8) == 0) ||
           (got >= 3 && std::memcmp(head, kJpeg, 3) == 0) ||
           (got >= 4 &&
            (std::memcmp(head, kTiffIntel, 4) == 0 || std::memcmp(head, kTiffMotorola, 4) == 0)) ||
           (got >= 2 && head[0] == 'B' && (head[1] == 'M' || head[1] == 'A'));
}

}  // namespace

int32_t LoadAnyImage(rt::ConstText path, RasterImage& image) {
    SetConversionProblem({});
    if (!ImageFileExists(path)) {
        SetConversionProblem("no such file");
        return CONVERT_NO_SOURCE;
    }
    JpegReader jpeg;
    BmpReader bmp;
    TiffReader tiff;
    PngReader png;
    PcxReader pcx;
    PhotoCdReader photoCd(PhotoCdReader::kBase);
    ImageReader* const readers[] = {&jpeg, &bmp, &tiff, &png, &pcx, &photoCd};
    for (ImageReader* reader : readers) {
        if (reader == &photoCd && HasKnownSignature(path)) {
            SetConversionProblem(
                "a kind of JPEG, BMP, TIFF or PNG file this library does not read");
            return CONVERT_UNREADABLE;
        }
        if (!reader->Probe(path, &image, nullptr))
            continue;
        // Once a reader has accepted the file, no other one gets a say.
        const bool decoded = reader->Decode();
        reader->Close();
        if (decoded)
            return 1;
        SetConversionProblem(reader->problem().empty() ? "the picture is damaged"
                                                       : reader->problem());
        return CONVERT_UNREADABLE;
    }
    SetConversionProblem("not a picture file, and too short for Photo CD data");
    return CONVERT_UNREADABLE;
}

}  // namespace imageconv
