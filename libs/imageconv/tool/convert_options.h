// The command line of picbatch-convert.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace picbatch_convert {

enum class Target { None, Jpeg, Tiff, Png };

struct ConvertOptions {
    Target target = Target::None;
    int32_t quality = 100;
    int32_t smoothing = 0;
    bool gray = false;
    bool optimise = true;
    bool gray8 = false;
    int32_t depth = 24;
    std::string source;
    std::string destination;
    bool help = false;
};

// Fills `options` from the arguments after the program name; on a usage
// error returns false with `error` set.
bool ParseOptions(const std::vector<std::string>& args, ConvertOptions& options,
                  std::string& error);

}  // namespace picbatch_convert
