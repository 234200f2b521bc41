#include "libs/imageconv/convert_commands.h"

#include <string>

#include "libs/imageconv/convert_result.h"
#include "libs/imageconv/image_file.h"
#include "libs/imageconv/jpeg_codec.h"
#include "libs/imageconv/load_any_image.h"
#include "libs/imageconv/png_codec.h"
#include "libs/imageconv/tiff_codec.h"

namespace imageconv {

namespace {

// A null or zero pointer counts as missing; an empty text does not.
rt::ConstText PathArgument(const rt::ArgRecord& arg) {
    return arg.type == rt::TYPE_TEXT ? arg.asText() : nullptr;
}

bool InRange(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

// The destination is written under a neighbouring name and renamed over the
// real one only once complete, so a failed write never leaves a truncated
// file in place of one the user had.
std::string StagingPathFor(rt::ConstText destination) {
    return std::string(destination) + ".picbatch-partial";
}

// Loads the source, lets `writeStaged` write the staging file, then commits it.
template <typename WriteStaged>
int32_t Convert(rt::ConstText source, rt::ConstText destination, WriteStaged writeStaged) {
    RasterImage image;
    const int32_t loaded = LoadAnyImage(source, image);
    if (loaded != 1)
        return loaded;
    if (*destination == '\0')
        return CONVERT_WRITE_FAILED;
    const std::string staging = StagingPathFor(destination);
    const bool written = writeStaged(staging.c_str(), image);
    image.Clear();
    if (written && RenameImageFile(staging.c_str(), destination))
        return CONVERT_OK;
    RemoveImageFile(staging.c_str());
    return CONVERT_WRITE_FAILED;
}

}  // namespace

void ConvertToJpeg(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args) {
    int32_t code = CONVERT_BAD_ARGUMENTS;
    if (argCount >= 6 && args) {
        rt::ConstText source = PathArgument(args[0]);
        rt::ConstText destination = PathArgument(args[1]);
        JpegWriteParameters parameters;
        parameters.colour = args[2].asInt() != 1;
        parameters.quality = args[3].asInt();
        parameters.optimise = args[4].asInt() != 0;
        parameters.smoothing = args[5].asInt();
        if (source && destination && InRange(parameters.quality, 1, 100) &&
            InRange(parameters.smoothing, 0, 100)) {
            code = Convert(source, destination, [&](rt::ConstText path, RasterImage& image) {
                JpegWriter writer;
                bool ok = writer.Open(path, &image, parameters, nullptr) && writer.Write();
                writer.Close();
                return ok;
            });
        }
    }
    rt::SetResultInt(result, code);
}

void ConvertToTiff(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args) {
    int32_t code = CONVERT_BAD_ARGUMENTS;
    if (argCount >= 3 && args) {
        rt::ConstText source = PathArgument(args[0]);
        rt::ConstText destination = PathArgument(args[1]);
        const int32_t depth = args[2].asInt() == 1 ? 8 : 24;
        if (source && destination) {
            code = Convert(source, destination, [&](rt::ConstText path, RasterImage& image) {
                TiffWriter writer;
                bool ok = writer.Open(path, &image, depth, nullptr) && writer.Write();
                writer.Close();
                return ok;
            });
        }
    }
    rt::SetResultInt(result, code);
}

void ConvertToPng(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args) {
    int32_t code = CONVERT_BAD_ARGUMENTS;
    if (argCount >= 3 && args) {
        rt::ConstText source = PathArgument(args[0]);
        rt::ConstText destination = PathArgument(args[1]);
        if (source && destination && args[2].asInt() == 24) {
            code = Convert(source, destination, [&](rt::ConstText path, RasterImage& image) {
                PngWriter writer;
                bool ok = writer.Open(path, &image, 24, 0, nullptr) && writer.Write();
                writer.Close();
                return ok;
            });
        }
    }
    rt::SetResultInt(result, code);
}

}  // namespace imageconv
