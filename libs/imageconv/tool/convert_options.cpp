#include "libs/imageconv/tool/convert_options.h"

#include <charconv>

namespace picbatch_convert {

namespace {

bool ParseNumber(const std::string& text, int32_t& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, ConvertOptions& options,
                  std::string& error) {
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto needValue = [&](int32_t& into) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a number";
                return false;
            }
            if (!ParseNumber(args[++i], into)) {
                error = arg + " needs a whole number, not '" + args[i] + "'";
                return false;
            }
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--to") {
            if (i + 1 >= args.size()) {
                error = "--to needs jpeg, tiff or png";
                return false;
            }
            const std::string& format = args[++i];
            if (format == "jpeg" || format == "jpg") {
                options.target = Target::Jpeg;
            } else if (format == "tiff" || format == "tif") {
                options.target = Target::Tiff;
            } else if (format == "png") {
                options.target = Target::Png;
            } else {
                error = "unknown output format '" + format + "' (use jpeg, tiff or png)";
                return false;
            }
        } else if (arg == "--quality") {
            if (!needValue(options.quality))
                return false;
        } else if (arg == "--smoothing") {
            if (!needValue(options.smoothing))
                return false;
        } else if (arg == "--depth") {
            if (!needValue(options.depth))
                return false;
        } else if (arg == "--gray") {
            options.gray = true;
        } else if (arg == "--gray8") {
            options.gray8 = true;
        } else if (arg == "--no-optimize") {
            options.optimise = false;
        } else if (arg == "--") {
            paths.insert(paths.end(), args.begin() + long(i) + 1, args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            paths.push_back(arg);
        }
    }
    if (options.help)
        return true;
    if (options.target == Target::None) {
        error = "say which format to write with --to jpeg|tiff|png";
        return false;
    }
    if (paths.size() != 2) {
        error = "give exactly one source and one destination file";
        return false;
    }
    options.source = paths[0];
    options.destination = paths[1];
    return true;
}

}  // namespace picbatch_convert
