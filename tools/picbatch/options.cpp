#include "tools/picbatch/options.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>

namespace picbatch {
namespace {

namespace fs = std::filesystem;

bool FormatName(std::string_view given, std::string* format) {
    if (given == "jpg" || given == "jpeg")
        *format = "jpg";
    else if (given == "tif" || given == "tiff")
        *format = "tif";
    else if (given == "png")
        *format = "png";
    else
        return false;
    return true;
}

std::string Absolute(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// Reads a list of paths, one a line (or NUL-separated), skipping empty
// entries; answers false when the list cannot be read.
bool ReadList(const std::string& from, bool nulSeparated, std::vector<std::string>* files) {
    std::ifstream file;
    std::istream* in = &std::cin;
    if (from != "-") {
        file.open(from, std::ios::binary);
        if (!file)
            return false;
        in = &file;
    }
    std::string entry;
    char separator = nulSeparated ? '\0' : '\n';
    while (std::getline(*in, entry, separator)) {
        if (!nulSeparated && !entry.empty() && entry.back() == '\r')
            entry.pop_back();
        if (!entry.empty())
            files->push_back(Absolute(entry));
    }
    return !in->bad();
}

}  // namespace

const char* const kUsage =
    "usage: picbatch [--format jpg|tif|png (--folder DIR | --file FILE | FILES... |\n"
    "                 --files-from LIST [-0])]\n"
    "                [--no-open] [--screenshot FILE.png]\n"
    "\n"
    "Without a format, picbatch opens its window. With one, it converts from the\n"
    "terminal through the same window: every picture of DIR, one FILE, or the\n"
    "FILES given as if dropped on the window (all looked up in the folder of the\n"
    "first). Output goes to a subfolder named after the format.\n"
    "\n"
    "  --format F       jpg, tif or png (jpeg and tiff are taken too)\n"
    "  --folder DIR     convert the pictures of DIR with six workers\n"
    "  --file FILE      convert one picture\n"
    "  --files-from L   the files to drop, one path a line, from the file L\n"
    "                   (\"-\": standard input); for lists too long for a command\n"
    "  -0, --null       the list is separated by NUL bytes (find -print0)\n"
    "  --no-open        do not open the output folder at the end\n"
    "  --screenshot F   save the window as a PNG picture at the end\n"
    "  --answer TEXT    answer the next dialog with TEXT first (\"cancel\",\n"
    "                   \"choose PATH\", \"press OK\"); may be repeated\n"
    "  --help           show this text\n"
    "\n"
    "Progress goes to standard error; the closing message and one line per file\n"
    "that failed (path: reason) to standard output.\n"
    "\n"
    "Exit status: 0 every picture converted, 1 some failed or there was nothing\n"
    "to convert, 2 usage error.\n";

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
    bool endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&](const char* name, std::string* out) {
            if (i + 1 >= argc) {
                *error = std::string(name) + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        if (!endOfOptions && arg == "--") {
            endOfOptions = true;
        } else if (!endOfOptions && (arg == "--help" || arg == "-h")) {
            options->help = true;
        } else if (!endOfOptions && arg == "--format") {
            std::string given;
            if (!value("--format", &given))
                return false;
            if (!FormatName(given, &options->format)) {
                *error = "unknown format '" + given + "' (use jpg, tif or png)";
                return false;
            }
        } else if (!endOfOptions && arg == "--folder") {
            if (!value("--folder", &options->folder))
                return false;
        } else if (!endOfOptions && arg == "--file") {
            if (!value("--file", &options->file))
                return false;
        } else if (!endOfOptions && arg == "--files-from") {
            if (!value("--files-from", &options->filesFrom))
                return false;
        } else if (!endOfOptions && (arg == "-0" || arg == "--null")) {
            options->nulSeparated = true;
        } else if (!endOfOptions && arg == "--no-open") {
            options->noOpen = true;
        } else if (!endOfOptions && arg == "--screenshot") {
            if (!value("--screenshot", &options->screenshot))
                return false;
        } else if (!endOfOptions && arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option " + std::string(arg);
            return false;
        } else {
            options->files.push_back(Absolute(std::string(arg)));
        }
    }
    if (options->help)
        return true;
    if (!options->filesFrom.empty()) {
        if (!options->files.empty()) {
            *error = "give files or --files-from, not both";
            return false;
        }
        if (!ReadList(options->filesFrom, options->nulSeparated, &options->files)) {
            *error = "cannot read the list " + options->filesFrom;
            return false;
        }
        if (options->files.empty()) {
            *error = "the list " + options->filesFrom + " names no file";
            return false;
        }
    }
    int sources =
        int(!options->folder.empty()) + int(!options->file.empty()) + int(!options->files.empty());
    if (sources > 1) {
        *error = "give one of --folder, --file or files, not several";
        return false;
    }
    if (!options->folder.empty()) {
        options->source = Source::Folder;
        std::error_code ec;
        if (!fs::is_directory(options->folder, ec)) {
            *error = "not a folder: " + options->folder;
            return false;
        }
        options->folder = Absolute(options->folder);
    } else if (!options->file.empty()) {
        options->source = Source::File;
        options->file = Absolute(options->file);
    } else if (!options->files.empty()) {
        options->source = Source::Files;
    }
    if (options->source != Source::None && options->format.empty()) {
        *error = "--format is needed to convert";
        return false;
    }
    if (options->source == Source::None && !options->format.empty()) {
        *error = "--format needs --folder, --file or files to convert";
        return false;
    }
    return true;
}

bool DrivesFromTerminal(const Options& options) {
    return options.source != Source::None;
}

}  // namespace picbatch
