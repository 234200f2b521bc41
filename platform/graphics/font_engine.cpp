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
#include "platform/graphics/leak_suppressions.h"

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

// A font file and the face within it.
struct FaceFile {
    std::string path;
    int index = 0;
    bool operator==(const FaceFile&) const = default;
};

// What fontconfig is asked for: the family, weight and slant, scalable.
FcPattern* NewPattern(const std::string& family, bool bold, bool italic) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

bool FileOf(FcPattern* font, FaceFile* out) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch || !path)
        return false;
    out->path = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(font, FC_INDEX, 0, &out->index) != FcResultMatch)
        out->index = 0;
    return true;
}

FaceFile ResolveFile(const std::string& family, bool bold, bool italic) {
    FcPattern* pattern = NewPattern(family, bold, italic);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FaceFile file;
    if (match) {
        FileOf(match, &file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

// fontconfig's fallback for a character the face lacks: the font closest to
// the wanted family, weight and slant among those that have it (a CJK font
// for Chinese, for instance). Empty when no installed font has it.
FaceFile ResolveFallback(const std::string& family, bool bold, bool italic, uint32_t codepoint) {
    FcPattern* pattern = NewPattern(family, bold, italic);
    FcResult result;
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
    FaceFile file;
    for (int i = 0; sorted && i < sorted->nfont; ++i) {
        FcCharSet* charset = nullptr;
        if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &charset) == FcResultMatch &&
            FcCharSetHasChar(charset, codepoint) && FileOf(sorted->fonts[i], &file)) {
            break;
        }
        file = FaceFile{};
    }
    if (sorted)
        FcFontSetDestroy(sorted);
    FcPatternDestroy(pattern);
    return file;
}

class FreeTypeFace;
std::unique_ptr<FreeTypeFace> OpenFace(const FaceFile& file, const std::string& family, bool bold,
                                       bool italic);

class FreeTypeFace : public SizedFace {
public:
    FreeTypeFace(FT_Face face, FaceFile file, std::string family, bool bold, bool italic)
        : face_(face),
          file_(std::move(file)),
          family_(std::move(family)),
          bold_(bold),
          italic_(italic) {
        emboldened_ = bold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
        slanted_ = italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
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
    const std::string& File() const override { return file_.path; }

    const GlyphImage& Glyph(uint32_t codepoint) override {
        auto it = glyphs_.find(codepoint);
        if (it != glyphs_.end())
            return it->second;
        GlyphImage& image = glyphs_[codepoint];
        // A character the face lacks is drawn, and measured, from the
        // fallback that has it, at the same size, on the same baseline.
        if (codepoint >= 0x20 && FT_Get_Char_Index(face_, codepoint) == 0) {
            if (FreeTypeFace* fallback = FallbackFor(codepoint)) {
                image = fallback->Glyph(codepoint);
                return image;
            }
        }
        Render(codepoint, image);
        return image;
    }

private:
    bool Has(uint32_t codepoint) const { return FT_Get_Char_Index(face_, codepoint) != 0; }

    FreeTypeFace* FallbackFor(uint32_t codepoint) {
        for (auto& fallback : fallbacks_) {
            if (fallback->Has(codepoint))
                return fallback.get();
        }
        FaceFile file = ResolveFallback(family_, bold_, italic_, codepoint);
        if (file.path.empty() || file == file_)
            return nullptr;
        for (auto& fallback : fallbacks_) {
            if (fallback->file_ == file)
                return nullptr;  // fontconfig's claim and the font disagree
        }
        std::unique_ptr<FreeTypeFace> face = OpenFace(file, family_, bold_, italic_);
        if (!face)
            return nullptr;
        face->Apply(metrics_.emPixels);
        fallbacks_.push_back(std::move(face));
        return fallbacks_.back()->Has(codepoint) ? fallbacks_.back().get() : nullptr;
    }

    void Render(uint32_t codepoint, GlyphImage& image) {
        if (FT_Load_Char(face_, codepoint, FT_LOAD_DEFAULT) != 0)
            return;
        FT_GlyphSlot slot = face_->glyph;
        if (emboldened_)
            FT_GlyphSlot_Embolden(slot);
        if (slanted_)
            FT_GlyphSlot_Oblique(slot);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
            return;
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
    }

    FT_Face face_;
    FaceFile file_;
    std::string family_;
    bool bold_;
    bool italic_;
    bool emboldened_ = false;
    bool slanted_ = false;
    FaceMetrics metrics_;
    std::unordered_map<uint32_t, GlyphImage> glyphs_;
    // Faces of other fonts for the characters this one lacks, in the order
    // they were first needed.
    std::vector<std::unique_ptr<FreeTypeFace>> fallbacks_;
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

std::unique_ptr<FreeTypeFace> OpenFace(const FaceFile& file, const std::string& family, bool bold,
                                       bool italic) {
    FT_Face face = nullptr;
    if (FT_New_Face(TheEngine().library, file.path.c_str(), file.index, &face) != 0)
        return nullptr;
    return std::make_unique<FreeTypeFace>(face, file, family, bold, italic);
}

std::unique_ptr<FreeTypeFace> Load(const std::string& family, const LOGFONT& font) {
    bool bold = font.lfWeight >= 600;
    bool italic = font.lfItalic != 0;
    FaceFile file = ResolveFile(family, bold, italic);
    if (file.path.empty())
        return nullptr;
    std::unique_ptr<FreeTypeFace> sized = OpenFace(file, family, bold, italic);
    if (sized)
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

// See leak_suppressions.h.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return platform::kPlatformLeakSuppressions;
}
