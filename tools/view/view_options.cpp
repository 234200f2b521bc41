#include "tools/view/view_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace view {
namespace {

bool ParseCount(const char* text, int low, int high, int* out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < low || value > high)
        return false;
    *out = int(value);
    return true;
}

}  // namespace

void PrintUsage() {
    std::fprintf(stderr,
                 "usage: picbatch-view FILE [--layout N] [--screenshot OUT.png] [--frames N]\n"
                 "                          [--size WxH]\n"
                 "Shows a BMP, JPEG, PNG, GIF, ICO, CUR or PCX picture in a window; animated\n"
                 "GIFs play. Without a display, --screenshot writes the picture as the window\n"
                 "would show it after N frames (default 1) and exits.\n"
                 "  --layout N   0 natural size (default), 2 centred and scaled down to fit,\n"
                 "               1 or 3 stretched to the window\n"
                 "  --size WxH   the window's client area (default: the picture's size)\n"
                 "exit status: 0 shown or written, 1 unreadable picture or failed write,\n"
                 "             2 bad command line or no display to show on\n");
}

bool ParseViewOptions(int argc, char** argv, ViewOptions* options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(arg, "--layout") && hasValue) {
            if (!ParseCount(argv[++i], 0, 3, &options->layout)) {
                std::fprintf(stderr, "picbatch-view: --layout takes 0, 1, 2 or 3\n");
                return false;
            }
        } else if (!std::strcmp(arg, "--frames") && hasValue) {
            if (!ParseCount(argv[++i], 1, 1000000, &options->frames)) {
                std::fprintf(stderr, "picbatch-view: --frames takes a count of 1 or more\n");
                return false;
            }
        } else if (!std::strcmp(arg, "--screenshot") && hasValue) {
            options->screenshot = argv[++i];
        } else if (!std::strcmp(arg, "--size") && hasValue) {
            const std::string size = argv[++i];
            const size_t x = size.find('x');
            if (x == std::string::npos ||
                !ParseCount(size.substr(0, x).c_str(), 1, 16384, &options->width) ||
                !ParseCount(size.substr(x + 1).c_str(), 1, 16384, &options->height)) {
                std::fprintf(stderr, "picbatch-view: --size takes WIDTHxHEIGHT\n");
                return false;
            }
        } else if (arg[0] == '-' && arg[1]) {
            std::fprintf(stderr, "picbatch-view: unknown option %s\n", arg);
            return false;
        } else if (options->file.empty()) {
            options->file = arg;
        } else {
            std::fprintf(stderr, "picbatch-view: one picture at a time\n");
            return false;
        }
    }
    if (options->file.empty()) {
        PrintUsage();
        return false;
    }
    return true;
}

}  // namespace view
