// The command line of picbatch. Without options it opens the start window
// for a person; with a format and a source it drives the same window from
// the terminal.
#pragma once

#include <string>
#include <vector>

namespace picbatch {

enum class Source { None, Folder, File, Files };

struct Options {
    bool help = false;
    std::string format;  // jpg, tif or png
    Source source = Source::None;
    std::string folder;              // --folder
    std::string file;                // --file
    std::vector<std::string> files;  // dropped, absolute paths
    std::string filesFrom;           // --files-from LIST ("-": standard input)
    bool nulSeparated = false;       // -0: the list is NUL-separated
    bool noOpen = false;
    std::string screenshot;  // --screenshot FILE
};

// Parses argv (UTF-8). Answers false with a one-line reason on a usage error.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

// True when the options ask for terminal work (a format and a source).
bool DrivesFromTerminal(const Options& options);

extern const char* const kUsage;

}  // namespace picbatch
