#include "runtime/properties/font_kind.h"

#include <cstdlib>
#include <cstring>

#include "platform/graphics/gdi.h"
#include "platform/windowing/windows.h"
#include "runtime/properties/unit_properties.h"
#include "runtime/properties/value_kinds.h"

namespace rt {
namespace {

// The longest face name each path accepts: a whole FontValue keeps one
// byte of the record spare, a single field may fill the record.
constexpr size_t kWholeFontFaceLimit = 30;
constexpr size_t kFieldFaceLimit = 31;

enum FontElement : int32_t {
    FONT_WHOLE = -1,
    FONT_ANGLE = 0,
    FONT_BOLD = 1,
    FONT_ITALIC = 2,
    FONT_STRIKE_OUT = 3,
    FONT_UNDERLINE = 4,
    FONT_SIZE = 5,
    FONT_FACE = 6,
};

int32_t PixelsPerInch() {
    platform::HDC screen = platform::GetDC(nullptr);
    int ppi = screen ? platform::GetDeviceCaps(screen, platform::LOGPIXELSY) : 0;
    if (screen)
        platform::ReleaseDC(nullptr, screen);
    return ppi > 0 ? ppi : 96;
}

size_t FaceLength(const platform::LOGFONT& font) {
    return strnlen(font.lfFaceName, sizeof font.lfFaceName);
}

void SetFace(platform::LOGFONT& font, const char* face, size_t length) {
    std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
    std::memcpy(font.lfFaceName, face, std::min(length, sizeof font.lfFaceName - 1));
}

void SetDefaultFace(platform::LOGFONT& font) {
    std::string face = DefaultFaceName();
    SetFace(font, face.data(), face.size());
}

int32_t HeightFromPoints(int32_t points) {
    if (points < 0)
        points = 0;
    return -MultiplyDivide(points, PixelsPerInch(), 72);
}

int32_t PointsFromHeight(int32_t height) {
    return MultiplyDivide(std::abs(height), 72, PixelsPerInch());
}

// Get step 1: the unit's font, or the default one when the getter did not
// hand over a whole font record.
platform::LOGFONT CurrentFont(UnitGetPropertyRoutine get, WindowObject* unit, int32_t index) {
    PropertyValue record{0, 0};
    if (get)
        get(unit, index, &record);
    if (record.w1 != kFontRecordSize || record.w0 == 0)
        return DefaultUserInterfaceFont();
    platform::LOGFONT font;
    std::memcpy(&font, reinterpret_cast<const void*>(record.w0), sizeof font);
    return font;
}

platform::LOGFONT FontFromValue(const FontValue& value) {
    // A record of zeros: the platform's own defaults (normal weight) do not
    // apply to a font the application describes in full.
    platform::LOGFONT font{};
    font.lfWeight = 0;
    font.lfEscapement = value.angle;
    font.lfOrientation = value.angle;
    font.lfWeight = value.bold != 0 ? platform::FW_BOLD : 0;
    font.lfItalic = value.italic != 0;
    font.lfStrikeOut = value.strikeOut != 0;
    font.lfUnderline = value.underline != 0;
    font.lfHeight = HeightFromPoints(value.size);
    size_t faceLength = value.face ? std::strlen(value.face) : 0;
    if (value.face && faceLength <= kWholeFontFaceLimit)
        SetFace(font, value.face, faceLength);
    else
        SetDefaultFace(font);
    return font;
}

}  // namespace

int32_t MultiplyDivide(int32_t a, int32_t b, int32_t c) {
    if (c == 0)
        return -1;
    int64_t product = int64_t(a) * b;
    int64_t magnitude = (std::llabs(product) + std::llabs(int64_t(c)) / 2) / std::llabs(int64_t(c));
    int64_t result = (product < 0) != (c < 0) ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN)
        return -1;
    return int32_t(result);
}

platform::LOGFONT DefaultUserInterfaceFont() {
    platform::LOGFONT font;
    if (platform::GetObject(platform::GetStockObject(platform::DEFAULT_GUI_FONT), sizeof font,
                            &font) != int(sizeof font)) {
        font = platform::LOGFONT{};
    }
    return font;
}

std::string DefaultFaceName() {
    platform::LOGFONT font = DefaultUserInterfaceFont();
    return std::string(font.lfFaceName, FaceLength(font));
}

uint64_t GetFontProperty(UnitGetPropertyRoutine get, WindowObject* unit, int32_t index,
                         int32_t element) {
    platform::LOGFONT font = CurrentFont(get, unit, index);
    switch (element) {
        case FONT_ANGLE:
            return uint32_t(font.lfOrientation);
        case FONT_BOLD:
            return font.lfWeight > 699 ? 1 : 0;
        case FONT_ITALIC:
            return font.lfItalic != 0;
        case FONT_STRIKE_OUT:
            return font.lfStrikeOut != 0;
        case FONT_UNDERLINE:
            return font.lfUnderline != 0;
        case FONT_SIZE:
            return uint32_t(PointsFromHeight(font.lfHeight));
        case FONT_FACE:
            return PointerValue(FreshText(font.lfFaceName, FaceLength(font)));
        case FONT_WHOLE: {
            auto* value = static_cast<FontValue*>(FreshBlock(sizeof(FontValue)));
            if (!value)
                return 0;
            value->angle = font.lfOrientation;
            value->bold = font.lfWeight > 699 ? 1 : 0;
            value->italic = font.lfItalic != 0;
            value->strikeOut = font.lfStrikeOut != 0;
            value->underline = font.lfUnderline != 0;
            value->size = PointsFromHeight(font.lfHeight);
            value->face = FreshText(font.lfFaceName, FaceLength(font));
            return PointerValue(value);
        }
        default:
            return 0;
    }
}

void SetFontProperty(UnitGetPropertyRoutine get, UnitSetPropertyRoutine set, WindowObject* unit,
                     int32_t index, int32_t element, uint32_t low, uint32_t high) {
    if (!set)
        return;
    platform::LOGFONT font;
    if (element == FONT_WHOLE) {
        const auto* value = static_cast<const FontValue*>(ValuePointer(low, high));
        if (!value)
            return;
        font = FontFromValue(*value);
    } else {
        font = CurrentFont(get, unit, index);
        switch (element) {
            case FONT_ANGLE: {
                int32_t angle = int32_t(low) % 3600;
                if (angle < 0)
                    angle += 3600;
                font.lfEscapement = angle;
                font.lfOrientation = angle;
                break;
            }
            case FONT_BOLD:
                font.lfWeight = low != 0 ? platform::FW_BOLD : 0;
                break;
            case FONT_ITALIC:
                font.lfItalic = low != 0;
                break;
            case FONT_STRIKE_OUT:
                font.lfStrikeOut = low != 0;
                break;
            case FONT_UNDERLINE:
                font.lfUnderline = low != 0;
                break;
            case FONT_SIZE:
                font.lfHeight = HeightFromPoints(int32_t(low));
                break;
            case FONT_FACE: {
                const auto* face = static_cast<const char*>(ValuePointer(low, high));
                size_t length = face ? std::strlen(face) : 0;
                if (length == 0 || length > kFieldFaceLimit)
                    SetDefaultFace(font);
                else
                    SetFace(font, face, length);
                break;
            }
            default:
                return;
        }
    }
    PropertyValue record{reinterpret_cast<uintptr_t>(&font), kFontRecordSize};
    int32_t cleared = 0;
    set(unit, index, &record, &cleared);
}

}  // namespace rt
