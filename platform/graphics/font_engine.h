// Internal: faces resolved through fontconfig and rasterised by FreeType,
// cached per logical font. FreeType faces are not thread-safe, so every use
// of a face happens under FontLock().
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/graphics/gdi_text.h"

namespace platform::gdi {

struct GlyphImage {
    int left = 0;  // from the pen position to the first column
    int top = 0;   // from the baseline up to the first row
    int width = 0;
    int height = 0;
    int advance = 0;
    std::vector<uint8_t> coverage;
};

struct FaceMetrics {
    int ascent = 0;
    int descent = 0;
    int emPixels = 0;
    int averageWidth = 0;
    int maxWidth = 0;
    int underlinePosition = 0;  // below the baseline
    int lineThickness = 1;
};

class SizedFace {
public:
    virtual ~SizedFace() = default;
    virtual const FaceMetrics& Metrics() const = 0;
    virtual const GlyphImage& Glyph(uint32_t codepoint) = 0;
    virtual const std::string& File() const = 0;
};

std::mutex& FontLock();
// The face for a logical font; never null (falls back to the default face),
// unless no font at all can be loaded.
SizedFace* FaceFor(const LOGFONT& font);

// UTF-8 to code points; malformed bytes become U+FFFD.
std::vector<uint32_t> DecodeUtf8(std::string_view text);

}  // namespace platform::gdi
