// picbatch-convert: converts one picture file from a terminal by calling the
// conversion library's commands through their entries, as the application does.
#include <cstdio>
#include <string>
#include <vector>

#include "libs/imageconv/conversion_problem.h"
#include "libs/imageconv/convert_commands.h"
#include "libs/imageconv/convert_result.h"
#include "libs/imageconv/library_notify.h"
#include "libs/imageconv/tool/convert_options.h"
#include "platform/base/text_codec.h"
#include "runtime/services.h"

namespace {

using picbatch_convert::ConvertOptions;
using picbatch_convert::Target;

enum ExitStatus {
    EXIT_CONVERTED = 0,
    EXIT_USAGE = 1,
    EXIT_NO_SOURCE = 2,
    EXIT_UNREADABLE = 3,
    EXIT_WRITE_FAILED = 4,
    EXIT_BAD_ARGUMENTS = 5,
    EXIT_UNKNOWN_RESULT = 6,
};

constexpr const char* kHelp =
    "usage: picbatch-convert --to jpeg|tiff|png [options] SOURCE DEST\n"
    "\n"
    "Reads SOURCE (JPEG, BMP, TIFF, PNG, PCX or Photo CD) and writes DEST in the\n"
    "chosen format.\n"
    "\n"
    "options:\n"
    "  --quality N     JPEG quality, 1 to 100 (default 100)\n"
    "  --smoothing N   JPEG smoothing, 0 to 100 (default 0)\n"
    "  --gray          JPEG with one gray component instead of colour\n"
    "  --no-optimize   JPEG without optimised entropy coding\n"
    "  --gray8         TIFF as 8-bit gray instead of 24-bit colour\n"
    "  --depth N       PNG bit depth; only 24 is supported (default 24)\n"
    "\n"
    "exit status:\n"
    "  0  converted\n"
    "  1  the command line could not be understood\n"
    "  2  the source file does not exist\n"
    "  3  the source is not a picture this tool can read, or it is damaged\n"
    "  4  the destination could not be written\n"
    "  5  an option value is out of range\n"
    "  6  the converter gave an unexpected answer\n";

// The system side of the library interface, as small as this tool needs:
// memory for anything the library hands back.
intptr_t ToolSystemNotify(int32_t message, intptr_t param1, intptr_t /*param2*/) {
    switch (message) {
        case rt::SN_ALLOC:
            return reinterpret_cast<intptr_t>(rt::RtAlloc(size_t(param1)));
        case rt::SN_FREE:
            rt::RtFree(reinterpret_cast<void*>(param1));
            return 0;
        default:
            return 0;
    }
}

int32_t RunCommand(const ConvertOptions& options) {
    // Command texts are runtime texts; the terminal speaks UTF-8.
    const std::string source = platform::Utf8ToRuntime(options.source);
    const std::string destination = platform::Utf8ToRuntime(options.destination);
    std::vector<rt::ArgRecord> args = {rt::ArgRecord::TextArg(source.c_str()),
                                       rt::ArgRecord::TextArg(destination.c_str())};
    rt::CommandEntry entry = nullptr;
    switch (options.target) {
        case Target::Jpeg:
            entry = imageconv::ConvertToJpeg;
            args.push_back(rt::ArgRecord::Int(options.gray ? 1 : 0, rt::TYPE_BOOL));
            args.push_back(rt::ArgRecord::Int(options.quality));
            args.push_back(rt::ArgRecord::Int(options.optimise ? 1 : 0, rt::TYPE_BOOL));
            args.push_back(rt::ArgRecord::Int(options.smoothing));
            break;
        case Target::Tiff:
            entry = imageconv::ConvertToTiff;
            args.push_back(rt::ArgRecord::Int(options.gray8 ? 1 : 0, rt::TYPE_BOOL));
            break;
        case Target::Png:
            entry = imageconv::ConvertToPng;
            args.push_back(rt::ArgRecord::Int(options.depth));
            break;
        case Target::None:
            return imageconv::CONVERT_BAD_ARGUMENTS;
    }
    rt::ResultSlot result{};
    entry(&result, static_cast<int32_t>(args.size()), args.data());
    return result.asInt();
}

// The library's reason (UTF-8, as the terminal) in brackets after the
// line's own words; nothing when it gave none.
std::string ReasonSuffix() {
    const std::string& problem = imageconv::LastConversionProblem();
    if (problem.empty())
        return {};
    return " (" + problem + ")";
}

int Report(int32_t code, const ConvertOptions& options) {
    const char* source = options.source.c_str();
    const char* destination = options.destination.c_str();
    switch (code) {
        case imageconv::CONVERT_OK:
            return EXIT_CONVERTED;
        case imageconv::CONVERT_NO_SOURCE:
            std::fprintf(stderr, "picbatch-convert: %s does not exist\n", source);
            return EXIT_NO_SOURCE;
        case imageconv::CONVERT_UNREADABLE:
            std::fprintf(stderr,
                         "picbatch-convert: %s is not a picture this tool can read, or it is "
                         "damaged%s\n",
                         source, ReasonSuffix().c_str());
            return EXIT_UNREADABLE;
        case imageconv::CONVERT_WRITE_FAILED:
            std::fprintf(stderr, "picbatch-convert: could not write %s%s\n", destination,
                         ReasonSuffix().c_str());
            return EXIT_WRITE_FAILED;
        case imageconv::CONVERT_BAD_ARGUMENTS:
            std::fprintf(stderr,
                         "picbatch-convert: an option is out of range (quality 1-100, smoothing "
                         "0-100, depth 24)\n");
            return EXIT_BAD_ARGUMENTS;
        default:
            std::fprintf(stderr, "picbatch-convert: the converter answered %d\n", code);
            return EXIT_UNKNOWN_RESULT;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    ConvertOptions options;
    std::string error;
    if (!picbatch_convert::ParseOptions(args, options, error)) {
        std::fprintf(stderr, "picbatch-convert: %s\n(see picbatch-convert --help)\n",
                     error.c_str());
        return EXIT_USAGE;
    }
    if (options.help) {
        std::fputs(kHelp, stdout);
        return EXIT_CONVERTED;
    }
    imageconv::LibraryNotify(rt::LN_SET_SYSTEM, reinterpret_cast<intptr_t>(&ToolSystemNotify), 0);
    return Report(RunCommand(options), options);
}
