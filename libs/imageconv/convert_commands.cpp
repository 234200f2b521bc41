#include "libs/imageconv/convert_commands.h"

#include <string>

#include "libs/imageconv/conversion_problem.h"
#include "libs/imageconv/convert_result.h"
#include "libs/imageconv/jpeg_codec.h"
#include "libs/imageconv/load_any_image.h"
#include "libs/imageconv/png_codec.h"
#include "libs/imageconv/tiff_codec.h"
#include "platform/files/replacing_file.h"

namespace imageconv {

namespace {

// A null or zero pointer counts as missing; an empty text does not.
rt::ConstText PathArgument(const rt::ArgRecord& arg) {
    return arg.type == rt::TYPE_TEXT ? arg.asText() : nullptr;
}

bool InRange(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

// Loads the source, lets `writeStaged` write the destination's stage
// (platform/files/replacing_file.h: a name of its own beside the
// destination) and puts it in place only when it is complete, so a failed
// write never leaves a truncated file in place of one the user had, and two
// conversions to one destination never mix their bytes.
template <typename WriteStaged>
int32_t Convert(rt::ConstText source, rt::ConstText destination, WriteStaged writeStaged) {
    RasterImage image;
    const int32_t loaded = LoadAnyImage(source, image);
    if (loaded != 1)
        return loaded;
    platform::ReplacingFile staged;
    if (staged.Begin(destination) != platform::FileError::None) {
        SetConversionProblem(staged.Problem());
        return CONVERT_WRITE_FAILED;
    }
    std::string problem;
    const bool written = writeStaged(staged.StageName().c_str(), image, problem);
    image.Clear();
    if (!written) {
        staged.Abandon();
        SetConversionProblem(problem.empty() ? "writing the file failed" : problem);
        return CONVERT_WRITE_FAILED;
    }
    if (staged.Commit() != platform::FileError::None) {
        SetConversionProblem(staged.Problem());
        return CONVERT_WRITE_FAILED;
    }
    return CONVERT_OK;
}

// Opens `writer` on the stage, writes and closes it; the writer's reason
// goes to `problem`.
template <typename Writer, typename... Parameters>
bool WriteWith(Writer& writer, rt::ConstText path, RasterImage& image, std::string& problem,
               Parameters... parameters) {
    bool ok = writer.Open(path, &image, parameters..., nullptr) && writer.Write();
    if (!ok)
        problem = writer.problem();
    writer.Close();
    return ok;
}

// The shape of every command: `needed` arguments, the two paths present and
// the options `valid` (read only once the count is checked), then the
// conversion, `writeStaged` writing the stage.
template <typename Valid, typename WriteStaged>
void RunCommand(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args, int32_t needed,
                Valid valid, WriteStaged writeStaged) {
    SetConversionProblem("an argument is missing or out of range");
    int32_t code = CONVERT_BAD_ARGUMENTS;
    if (argCount >= needed && args) {
        rt::ConstText source = PathArgument(args[0]);
        rt::ConstText destination = PathArgument(args[1]);
        if (source && destination && valid())
            code = Convert(source, destination, writeStaged);
    }
    rt::SetResultInt(result, code);
}

}  // namespace

void ConvertToJpeg(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args) {
    JpegWriteParameters parameters;
    auto valid = [&] {
        parameters.colour = args[2].asInt() != 1;
        parameters.quality = args[3].asInt();
        parameters.optimise = args[4].asInt() != 0;
        parameters.smoothing = args[5].asInt();
        return InRange(parameters.quality, 1, 100) && InRange(parameters.smoothing, 0, 100);
    };
    RunCommand(result, argCount, args, 6, valid,
               [&](rt::ConstText path, RasterImage& image, std::string& problem) {
                   JpegWriter writer;
                   return WriteWith(writer, path, image, problem, parameters);
               });
}

void ConvertToTiff(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args) {
    RunCommand(
        result, argCount, args, 3, [] { return true; },
        [&](rt::ConstText path, RasterImage& image, std::string& problem) {
            TiffWriter writer;
            const int32_t depth = args[2].asInt() == 1 ? 8 : 24;
            return WriteWith(writer, path, image, problem, depth);
        });
}

void ConvertToPng(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args) {
    RunCommand(
        result, argCount, args, 3, [&] { return args[2].asInt() == 24; },
        [&](rt::ConstText path, RasterImage& image, std::string& problem) {
            PngWriter writer;
            return WriteWith(writer, path, image, problem, int32_t(24), int32_t(0));
        });
}

}  // namespace imageconv
