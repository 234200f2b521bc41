// Text drawing through FreeType with faces found by fontconfig. Texts given
// as `const char*` are runtime texts (GB18030) and are converted here; the
// *Utf8 forms take UTF-8 for platform code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/graphics/gdi_types.h"

namespace platform {

inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;
inline constexpr int LF_FACESIZE = 32;

struct LOGFONT {
    int32_t lfHeight = 0;  // < 0: character height, > 0: cell height, 0: default
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = FW_NORMAL;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};  // runtime text
};

struct TEXTMETRIC {
    int32_t tmHeight = 0;
    int32_t tmAscent = 0;
    int32_t tmDescent = 0;
    int32_t tmInternalLeading = 0;
    int32_t tmExternalLeading = 0;
    int32_t tmAveCharWidth = 0;
    int32_t tmMaxCharWidth = 0;
    int32_t tmWeight = 0;
    uint8_t tmItalic = 0;
    uint8_t tmUnderlined = 0;
    uint8_t tmStruckOut = 0;
};

HFONT CreateFontIndirect(const LOGFONT* font);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight,
                 uint32_t italic, uint32_t underline, uint32_t strikeOut, uint32_t charSet,
                 uint32_t outPrecision, uint32_t clipPrecision, uint32_t quality,
                 uint32_t pitchAndFamily, const char* faceName);

inline constexpr uint32_t TA_LEFT = 0;
inline constexpr uint32_t TA_RIGHT = 2;
inline constexpr uint32_t TA_CENTER = 6;
inline constexpr uint32_t TA_TOP = 0;
inline constexpr uint32_t TA_BOTTOM = 8;
inline constexpr uint32_t TA_BASELINE = 24;
uint32_t SetTextAlign(HDC dc, uint32_t align);

bool TextOut(HDC dc, int x, int y, const char* text, int length);
bool TextOutUtf8(HDC dc, int x, int y, std::string_view text);
bool GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size);
bool GetTextExtentUtf8(HDC dc, std::string_view text, SIZE* size);
bool GetTextMetrics(HDC dc, TEXTMETRIC* metrics);
// Path of the font file the face name, weight and slant resolve to (for
// diagnostics and tests).
std::string_view ResolvedFontFile(HFONT font);

inline constexpr uint32_t DT_LEFT = 0x0;
inline constexpr uint32_t DT_CENTER = 0x1;
inline constexpr uint32_t DT_RIGHT = 0x2;
inline constexpr uint32_t DT_VCENTER = 0x4;
inline constexpr uint32_t DT_BOTTOM = 0x8;
inline constexpr uint32_t DT_WORDBREAK = 0x10;
inline constexpr uint32_t DT_SINGLELINE = 0x20;
inline constexpr uint32_t DT_EXPANDTABS = 0x40;
inline constexpr uint32_t DT_NOCLIP = 0x100;
inline constexpr uint32_t DT_CALCRECT = 0x400;
inline constexpr uint32_t DT_NOPREFIX = 0x800;
// Lays a text out in a rectangle: line breaks, "&" marks the next character
// for underlining ("&&" is one "&") unless DT_NOPREFIX. Answers the height
// of the text; DT_CALCRECT only measures, setting rect's right and bottom.
int DrawText(HDC dc, const char* text, int length, RECT* rect, uint32_t format);
int DrawTextUtf8(HDC dc, std::string_view text, RECT* rect, uint32_t format);

}  // namespace platform
