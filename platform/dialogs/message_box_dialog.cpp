#include "platform/dialogs/message_box_dialog.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dialogs/modal_dialog.h"

namespace platform::dialogs {
namespace {

constexpr int kIconId = 100;
constexpr int kTextId = 101;

struct ButtonSpec {
    int id;
    const char* caption;
};

std::vector<ButtonSpec> ButtonsOf(uint32_t flags) {
    switch (flags & 0xF) {
        case MB_OKCANCEL:
            return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
        case MB_ABORTRETRYIGNORE:
            return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
        case MB_YESNOCANCEL:
            return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
        case MB_YESNO:
            return {{IDYES, "&Yes"}, {IDNO, "&No"}};
        case MB_RETRYCANCEL:
            return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
        default:
            return {{IDOK, "OK"}};
    }
}

// The icon: a coloured disc with a sign, drawn by an owner-drawn button
// that takes no input.
struct IconLook {
    COLORREF disc;
    const char* sign;
};
IconLook LookOf(uint32_t flags) {
    switch (flags & 0xF0) {
        case MB_ICONERROR:
            return {RGB(232, 17, 35), "x"};
        case MB_ICONQUESTION:
            return {RGB(0, 120, 215), "?"};
        case MB_ICONWARNING:
            return {RGB(255, 185, 0), "!"};
        case MB_ICONINFORMATION:
            return {RGB(0, 120, 215), "i"};
        default:
            return {CLR_INVALID, ""};
    }
}

class MessageBoxDialog : public ModalDialog {
public:
    MessageBoxDialog(std::string text, uint32_t flags) : text_(std::move(text)), flags_(flags) {}

    bool Build(HWND dialog) override {
        RECT client;
        GetClientRect(dialog, &client);
        IconLook look = LookOf(flags_);
        int textLeft = 16;
        if (look.disc != CLR_INVALID) {
            HWND icon = AddControl(dialog, kButtonClass, "", BS_OWNERDRAW | WS_DISABLED, 16, 16, 32,
                                   32, kIconId);
            SetWindowLongPtr(icon, GWLP_USERDATA, LPARAM(flags_));
            iconProc_ = reinterpret_cast<WNDPROC>(
                SetWindowLongPtr(icon, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&IconProc)));
            SetProp(icon, "PicbatchIconProc", reinterpret_cast<void*>(iconProc_));
            textLeft = 60;
        }
        AddControl(dialog, kStaticClass, text_.c_str(), SS_LEFT | SS_NOPREFIX, textLeft, 16,
                   client.right - textLeft - 16, textHeight_, kTextId);
        std::vector<ButtonSpec> buttons = ButtonsOf(flags_);
        size_t defaultIndex = (flags_ & MB_DEFBUTTON3) ? 2 : (flags_ & MB_DEFBUTTON2) ? 1 : 0;
        defaultIndex = std::min(defaultIndex, buttons.size() - 1);
        const int width = 88, gap = 8;
        int x = int(client.right) - 16 - int(buttons.size()) * (width + gap) + gap;
        for (size_t i = 0; i < buttons.size(); ++i) {
            uint32_t style = WS_TABSTOP | (i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            AddControl(dialog, kButtonClass, buttons[i].caption, style, x, client.bottom - 40,
                       width, 26, buttons[i].id);
            x += width + gap;
        }
        firstFocus_ = GetDlgItem(dialog, buttons[defaultIndex].id);
        return true;
    }

    void Command(HWND, int id, uint16_t, HWND) override {
        if (id == IDCANCEL) {
            // Closing answers the cancel button, if the box has one that
            // can mean "no".
            End(CancelResult());
            return;
        }
        for (const ButtonSpec& b : ButtonsOf(flags_)) {
            if (b.id == id)
                End(id);
        }
    }

    int CancelResult() const override {
        switch (flags_ & 0xF) {
            case MB_ABORTRETRYIGNORE:
                return IDABORT;
            case MB_YESNO:
                return IDNO;
            case MB_OK:
                return IDOK;
            default:
                return IDCANCEL;
        }
    }

    std::string Summary() const override { return text_; }
    void SetTextHeight(int height) { textHeight_ = height; }
    HWND InitialFocus(HWND) const override { return firstFocus_; }

private:
    static LRESULT IconProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
        auto original = reinterpret_cast<WNDPROC>(GetProp(hwnd, "PicbatchIconProc"));
        if (message == WM_PAINT) {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            IconLook look = LookOf(uint32_t(GetWindowLongPtr(hwnd, GWLP_USERDATA)));
            RECT client;
            GetClientRect(hwnd, &client);
            HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
            FillRect(dc, &client, face);
            HBRUSH disc = CreateSolidBrush(look.disc);
            HGDIOBJ oldBrush = SelectObject(dc, disc);
            HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
            Ellipse(dc, 0, 0, client.right, client.bottom);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
            DeleteObject(disc);
            HFONT font = CreateFont(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
            HGDIOBJ oldFont = SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 255, 255));
            DrawText(dc, look.sign, int(std::strlen(look.sign)), &client,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            SelectObject(dc, oldFont);
            DeleteObject(font);
            EndPaint(hwnd, &paint);
            return 0;
        }
        if (message == WM_NCDESTROY)
            RemoveProp(hwnd, "PicbatchIconProc");
        return original ? CallWindowProc(original, hwnd, message, wParam, lParam)
                        : DefWindowProc(hwnd, message, wParam, lParam);
    }

    std::string text_;
    uint32_t flags_;
    int textHeight_ = 40;
    WNDPROC iconProc_ = nullptr;
    HWND firstFocus_ = nullptr;
};

// The size the text needs, measured with the dialog font.
SIZE MeasureText(const std::string& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT box{0, 0, 420, 0};
    DrawText(dc, text.c_str(), int(text.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{box.right - box.left, box.bottom - box.top};
}

}  // namespace

int ShowMessageBoxDialog(uintptr_t parentWindow, std::string_view text, std::string_view title,
                         uint32_t flags) {
    MessageBoxDialog dialog{std::string(text), flags};
    SIZE textSize = MeasureText(std::string(text));
    bool icon = LookOf(flags).disc != CLR_INVALID;
    size_t buttons = ButtonsOf(flags).size();
    int width = std::max<int>(int(buttons) * 96 + 40, textSize.cx + (icon ? 60 : 16) + 24);
    int textHeight = std::max<int>(textSize.cy + 4, icon ? 32 : 16);
    dialog.SetTextHeight(textHeight);
    int height = 16 + textHeight + 16 + 48 + GetSystemMetrics(SM_CYCAPTION);
    return RunModal(reinterpret_cast<HWND>(parentWindow), dialog, std::string(title), width,
                    height);
}

}  // namespace platform::dialogs
