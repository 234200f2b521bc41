#include "platform/graphics/font_engine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

#include "platform/base/text_codec.h"

namespace platform::gdi {
namespace {

constexpr const char* kDefaultFace = "DejaVu Sans";
constexpr int kDefaultEmPixels = 11;

struct FaceKey {
    std::string name;
    int height;
    bool bold;
    bool italic;
    bool operator<(const FaceKey& o) const {
        return std::tie(name, height, bold, italic) < std::tie(o.name, o.height, o.bold, o.italic);
    }
};

std::string ResolveFile(const std::string& family, bool bold, bool italic, int* index) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    if (match) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
            file = reinterpret_cast<const char*>(path);
        }
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch)
            *index = 0;
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

class FreeTypeFace : public SizedFace {
public:
    FreeTypeFace(FT_Face face, std::string file, bool emboldenWanted, bool slantWanted)
        : face_(face), file_(std::move(file)) {
        emboldened_ = emboldenWanted && !(face->style_flags & FT_STYLE_FLAG_BOLD);
        slanted_ = slantWanted && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    }
    ~FreeTypeFace() override { FT_Done_Face(face_); }

    void SetSize(const LOGFONT& font) {
        int em;
        if (font.lfHeight < 0) {
            em = -font.lfHeight;
        } else if (font.lfHeight > 0) {
            // A cell height: scale so ascent plus descent fill it.
            double cell = double(face_->ascender - face_->descender);
            em = int(std::lround(font.lfHeight * double(face_->units_per_EM) /
                                 (cell > 0 ? cell : face_->units_per_EM)));
        } else {
            em = kDefaultEmPixels;
        }
        em = std::clamp(em, 1, 2000);
        Apply(em);
        // Rounding each of ascent and descent up can overshoot a requested
        // cell; step down until the cell fits.
        while (font.lfHeight > 0 && em > 1 && metrics_.ascent + metrics_.descent > font.lfHeight) {
            Apply(--em);
        }
        metrics_.maxWidth = int((face_->size->metrics.max_advance + 63) >> 6);
        double scale = double(em) / face_->units_per_EM;
        metrics_.underlinePosition =
            std::max(1, int(std::lround(-face_->underline_position * scale)));
        metrics_.lineThickness = std::max(1, int(std::lround(face_->underline_thickness * scale)));
        metrics_.averageWidth = Glyph('x').advance;
    }

    void Apply(int em) {
        FT_Set_Pixel_Sizes(face_, 0, FT_UInt(em));
        metrics_.emPixels = em;
        const FT_Size_Metrics& m = face_->size->metrics;
        metrics_.ascent = int((m.ascender + 63) >> 6);
        metrics_.descent = int((-m.descender + 63) >> 6);
    }

    const FaceMetrics& Metrics() const override { return metrics_; }
    const std::string& File() const override { return file_; }

    const GlyphImage& Glyph(uint32_t codepoint) override {
        auto it = glyphs_.find(codepoint);
        if (it != glyphs_.end())
            return it->second;
        GlyphImage& image = glyphs_[codepoint];
        if (FT_Load_Char(face_, codepoint, FT_LOAD_DEFAULT) != 0)
            return image;
        FT_GlyphSlot slot = face_->glyph;
        if (emboldened_)
            FT_GlyphSlot_Embolden(slot);
        if (slanted_)
            FT_GlyphSlot_Oblique(slot);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
            return image;
        const FT_Bitmap& bitmap = slot->bitmap;
        image.left = slot->bitmap_left;
        image.top = slot->bitmap_top;
        image.width = int(bitmap.width);
        image.height = int(bitmap.rows);
        image.advance = int((slot->advance.x + 32) >> 6);
        image.coverage.resize(size_t(image.width) * image.height);
        for (int y = 0; y < image.height; ++y) {
            const uint8_t* row = bitmap.buffer + y * bitmap.pitch;
            for (int x = 0; x < image.width; ++x) {
                image.coverage[size_t(y) * image.width + x] =
                    bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                        ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255
                        : row[x];
            }
        }
        return image;
    }

private:
    FT_Face face_;
    std::string file_;
    bool emboldened_ = false;
    bool slanted_ = false;
    FaceMetrics metrics_;
    std::unordered_map<uint32_t, GlyphImage> glyphs_;
};

struct Engine {
    FT_Library library = nullptr;
    std::map<FaceKey, std::unique_ptr<FreeTypeFace>> faces;
    Engine() {
        FcInit();
        FT_Init_FreeType(&library);
    }
};

Engine& TheEngine() {
    static auto* engine = new Engine();
    return *engine;
}

std::unique_ptr<FreeTypeFace> Load(const std::string& family, const LOGFONT& font) {
    Engine& engine = TheEngine();
    bool bold = font.lfWeight >= 600;
    bool italic = font.lfItalic != 0;
    int index = 0;
    std::string file = ResolveFile(family, bold, italic, &index);
    if (file.empty())
        return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(engine.library, file.c_str(), index, &face) != 0)
        return nullptr;
    auto sized = std::make_unique<FreeTypeFace>(face, file, bold, italic);
    sized->SetSize(font);
    return sized;
}

}  // namespace

std::mutex& FontLock() {
    static std::mutex mutex;
    return mutex;
}

SizedFace* FaceFor(const LOGFONT& font) {
    Engine& engine = TheEngine();
    std::string family =
        RuntimeToUtf8(std::string_view(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE)));
    if (family.empty())
        family = kDefaultFace;
    FaceKey key{family, font.lfHeight, font.lfWeight >= 600, font.lfItalic != 0};
    auto it = engine.faces.find(key);
    if (it != engine.faces.end())
        return it->second.get();
    auto face = Load(family, font);
    if (!face && family != kDefaultFace)
        face = Load(kDefaultFace, font);
    if (!face)
        return nullptr;
    return (engine.faces[key] = std::move(face)).get();
}

std::vector<uint32_t> DecodeUtf8(std::string_view text) {
    std::vector<uint32_t> out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        auto c = uint8_t(text[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= text.size() || (uint8_t(text[i + k]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (uint8_t(text[i + k]) & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += extra + 1;
    }
    return out;
}

}  // namespace platform::gdi

// fontconfig loses a few bytes while parsing its configuration files, once
// per process; leak checking would otherwise fail every program that draws
// text. Weak, so a program with its own list keeps it.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
