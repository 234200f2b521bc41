#include "platform/dialogs/font_dialog.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/base/text_codec.h"
#include "platform/dialogs/modal_dialog.h"

namespace platform::dialogs {
namespace {

enum : int {
    kFaceLabelId = 400,
    kFaceId,
    kSizeLabelId,
    kSizeId,
    kBoldId,
    kItalicId,
    kUnderlineId,
    kStrikeId,
    kColorLabelId,
    kColorId,
    kSampleId
};

struct NamedColor {
    const char* name;
    COLORREF color;
};
constexpr NamedColor kColors[] = {
    {"Black", RGB(0, 0, 0)},       {"Maroon", RGB(128, 0, 0)},    {"Green", RGB(0, 128, 0)},
    {"Olive", RGB(128, 128, 0)},   {"Navy", RGB(0, 0, 128)},      {"Purple", RGB(128, 0, 128)},
    {"Teal", RGB(0, 128, 128)},    {"Gray", RGB(128, 128, 128)},  {"Silver", RGB(192, 192, 192)},
    {"Red", RGB(255, 0, 0)},       {"Lime", RGB(0, 255, 0)},      {"Yellow", RGB(255, 255, 0)},
    {"Blue", RGB(0, 0, 255)},      {"Fuchsia", RGB(255, 0, 255)}, {"Aqua", RGB(0, 255, 255)},
    {"White", RGB(255, 255, 255)},
};
constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// The font families fontconfig knows, as runtime texts.
std::vector<std::string> FontFamilies() {
    std::set<std::string> names;
    if (FcInit()) {
        FcPattern* pattern = FcPatternCreate();
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
        if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
            for (int i = 0; i < set->nfont; ++i) {
                FcChar8* family = nullptr;
                if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch &&
                    family) {
                    names.insert(Utf8ToRuntime(reinterpret_cast<const char*>(family)));
                }
            }
            FcFontSetDestroy(set);
        }
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
    }
    return {names.begin(), names.end()};
}

class FontDialog : public ModalDialog {
public:
    FontDialog(const LOGFONT& font, COLORREF color, uint32_t flags)
        : font_(font), color_(color), flags_(flags) {}
    ~FontDialog() override {
        if (sampleFont_)
            DeleteObject(sampleFont_);
    }

    bool Build(HWND dialog) override {
        RECT client;
        GetClientRect(dialog, &client);
        int right = client.right - 12;
        AddControl(dialog, kStaticClass, "&Font:", SS_LEFT, 12, 10, 200, 18, kFaceLabelId);
        face_ =
            AddControl(dialog, kComboBoxClass, "", WS_TABSTOP | CBS_SIMPLE | CBS_SORT | WS_VSCROLL,
                       12, 30, 200, 150, kFaceId);
        std::vector<std::string> families = FontFamilies();
        if (font_.lfFaceName[0] &&
            std::find(families.begin(), families.end(), font_.lfFaceName) == families.end()) {
            families.push_back(font_.lfFaceName);
        }
        for (const std::string& family : families) {
            SendMessage(face_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(family.c_str()));
        }
        AddControl(dialog, kStaticClass, "&Size:", SS_LEFT, 224, 10, 80, 18, kSizeLabelId);
        size_ = AddControl(dialog, kComboBoxClass, "", WS_TABSTOP | CBS_SIMPLE | WS_VSCROLL, 224,
                           30, 80, 150, kSizeId);
        for (int s : kSizes) {
            SendMessage(size_, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(std::to_string(s).c_str()));
        }
        bold_ = AddControl(dialog, kButtonClass, "&Bold", WS_TABSTOP | BS_AUTOCHECKBOX, 316, 30,
                           right - 316, 22, kBoldId);
        italic_ = AddControl(dialog, kButtonClass, "&Italic", WS_TABSTOP | BS_AUTOCHECKBOX, 316, 56,
                             right - 316, 22, kItalicId);
        if (flags_ & CF_EFFECTS) {
            underline_ =
                AddControl(dialog, kButtonClass, "&Underline", WS_TABSTOP | BS_AUTOCHECKBOX, 316,
                           82, right - 316, 22, kUnderlineId);
            strike_ = AddControl(dialog, kButtonClass, "Stri&keout", WS_TABSTOP | BS_AUTOCHECKBOX,
                                 316, 108, right - 316, 22, kStrikeId);
            AddControl(dialog, kStaticClass, "&Colour:", SS_LEFT, 316, 136, right - 316, 18,
                       kColorLabelId);
            colorBox_ = AddControl(dialog, kComboBoxClass, "", WS_TABSTOP | CBS_DROPDOWNLIST, 316,
                                   156, right - 316, 200, kColorId);
            for (const NamedColor& c : kColors)
                SendMessage(colorBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.name));
        }
        sample_ = AddControl(dialog, kStaticClass, "AaBbYyZz",
                             SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN | SS_NOPREFIX, 12, 190,
                             right - 12, 60, kSampleId);
        AddControl(dialog, kButtonClass, "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, right - 184,
                   client.bottom - 38, 88, 26, IDOK);
        AddControl(dialog, kButtonClass, "Cancel", WS_TABSTOP | BS_PUSHBUTTON, right - 88,
                   client.bottom - 38, 88, 26, IDCANCEL);
        ShowFont();
        return true;
    }

    void Command(HWND, int id, uint16_t code, HWND) override {
        switch (id) {
            case IDOK:
                if (Collect())
                    End(IDOK);
                break;
            case IDCANCEL:
                End(IDCANCEL);
                break;
            case kFaceId:
            case kSizeId:
            case kColorId:
                if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE)
                    UpdateSample();
                break;
            default:
                if (code == BN_CLICKED)
                    UpdateSample();
        }
    }

    bool Act(HWND dialog, const Answer& answer) override {
        if (answer.kind != AnswerKind::Font)
            return ModalDialog::Act(dialog, answer);
        const FontAnswer& f = answer.font;
        SetWindowText(face_, Utf8ToRuntime(f.face).c_str());
        SetWindowText(size_, std::to_string(f.pointSize).c_str());
        SendMessage(bold_, BM_SETCHECK, f.bold, 0);
        SendMessage(italic_, BM_SETCHECK, f.italic, 0);
        if (underline_)
            SendMessage(underline_, BM_SETCHECK, f.underline, 0);
        if (strike_)
            SendMessage(strike_, BM_SETCHECK, f.strikeOut, 0);
        if (f.hasColor) {
            customColor_ = f.color;
            hasCustomColor_ = true;
        }
        SendMessage(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        return true;
    }

    COLORREF StaticColor(HWND control) const override {
        return control == sample_ ? CurrentColor() : CLR_INVALID;
    }

    const LOGFONT& Font() const { return font_; }
    COLORREF Color() const { return color_; }

private:
    COLORREF CurrentColor() const {
        if (hasCustomColor_)
            return customColor_;
        if (!colorBox_)
            return color_;
        int index = int(SendMessage(colorBox_, CB_GETCURSEL, 0, 0));
        return index >= 0 ? kColors[index].color : color_;
    }

    void ShowFont() {
        SetWindowText(face_, font_.lfFaceName);
        SendMessage(face_, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(font_.lfFaceName));
        SetWindowText(face_, font_.lfFaceName);
        int points = font_.lfHeight ? HeightToPointSize(font_.lfHeight) : 10;
        SetWindowText(size_, std::to_string(points).c_str());
        SendMessage(bold_, BM_SETCHECK, font_.lfWeight > 699, 0);
        SendMessage(italic_, BM_SETCHECK, font_.lfItalic != 0, 0);
        if (underline_)
            SendMessage(underline_, BM_SETCHECK, font_.lfUnderline != 0, 0);
        if (strike_)
            SendMessage(strike_, BM_SETCHECK, font_.lfStrikeOut != 0, 0);
        if (colorBox_) {
            for (size_t i = 0; i < std::size(kColors); ++i) {
                if (kColors[i].color == color_)
                    SendMessage(colorBox_, CB_SETCURSEL, i, 0);
            }
            if (SendMessage(colorBox_, CB_GETCURSEL, 0, 0) < 0) {
                customColor_ = color_;
                hasCustomColor_ = true;
            }
        }
        UpdateSample();
    }

    // Reads the controls into a font; false (with a message) for a bad size.
    bool Read(LOGFONT* font) {
        char text[64] = {};
        GetWindowText(size_, text, sizeof text);
        char* end = nullptr;
        long points = std::strtol(text, &end, 10);
        if (!*text || *end || points < 1 || points > 1638)
            return false;
        *font = font_;
        char face[LF_FACESIZE * 2] = {};
        GetWindowText(face_, face, sizeof face);
        std::memset(font->lfFaceName, 0, sizeof font->lfFaceName);
        std::memcpy(font->lfFaceName, face, std::min<size_t>(std::strlen(face), LF_FACESIZE - 1));
        font->lfHeight = PointSizeToHeight(int(points));
        font->lfWidth = 0;
        font->lfWeight = SendMessage(bold_, BM_GETCHECK, 0, 0) == BST_CHECKED ? FW_BOLD : FW_NORMAL;
        font->lfItalic = SendMessage(italic_, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (underline_)
            font->lfUnderline = SendMessage(underline_, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (strike_)
            font->lfStrikeOut = SendMessage(strike_, BM_GETCHECK, 0, 0) == BST_CHECKED;
        return true;
    }

    void UpdateSample() {
        if (colorBox_ && SendMessage(colorBox_, CB_GETCURSEL, 0, 0) >= 0 && hasCustomColor_ &&
            kColors[SendMessage(colorBox_, CB_GETCURSEL, 0, 0)].color != customColor_) {
            hasCustomColor_ = false;  // a colour picked from the list replaces a custom one
        }
        LOGFONT font;
        if (!Read(&font))
            return;
        HFONT next = CreateFontIndirect(&font);
        SendMessage(sample_, WM_SETFONT, reinterpret_cast<WPARAM>(next), 1);
        if (sampleFont_)
            DeleteObject(sampleFont_);
        sampleFont_ = next;
    }

    bool Collect() {
        LOGFONT font;
        if (!Read(&font)) {
            HWND dialog = GetParent(size_);
            AskFromDialog(dialog, "The size must be a whole number of points from 1 to 1638.",
                          "Font", 0x30 /* warning */);
            return false;
        }
        font_ = font;
        color_ = CurrentColor();
        return true;
    }

    LOGFONT font_;
    COLORREF color_;
    uint32_t flags_;
    COLORREF customColor_ = 0;
    bool hasCustomColor_ = false;
    HFONT sampleFont_ = nullptr;
    HWND face_ = nullptr, size_ = nullptr, bold_ = nullptr, italic_ = nullptr;
    HWND underline_ = nullptr, strike_ = nullptr, colorBox_ = nullptr, sample_ = nullptr;
};

}  // namespace

int PointSizeToHeight(int pointSize) {
    return -int(std::lround(pointSize * 96.0 / 72.0));
}

int HeightToPointSize(int height) {
    return int(std::lround(std::abs(height) * 72.0 / 96.0));
}

bool ShowFontDialog(HWND owner, LOGFONT* font, COLORREF* color, uint32_t flags) {
    if (!font)
        return false;
    FontDialog dialog(*font, color ? *color : 0, flags);
    if (RunModal(owner, dialog, "Font", 460, 330) != IDOK)
        return false;
    *font = dialog.Font();
    if (color && (flags & CF_EFFECTS))
        *color = dialog.Color();
    return true;
}

}  // namespace platform::dialogs
