#include "platform/controls/control_gallery.h"

#include "platform/controls/controls.h"
#include "platform/menus/menus.h"

namespace platform {
namespace {

constexpr const char* kPanelClass = "PicbatchControlGallery";

// The panel parents the controls so that owner-drawn ones have someone to
// draw them.
LRESULT PanelProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HBRUSH fill = CreateSolidBrush((item->itemState & ODS_SELECTED) ? RGB(255, 200, 120)
                                                                        : RGB(255, 228, 181));
        FillRect(item->hDC, &item->rcItem, fill);
        DeleteObject(fill);
        HBRUSH edge = CreateSolidBrush(RGB(200, 120, 40));
        FrameRect(item->hDC, &item->rcItem, edge);
        DeleteObject(edge);
        DrawOwnerDrawnCaption(*item);
        return 1;
    }
    if (message == WM_DESTROY) {
        // The picture the panel made for its bitmap button.
        if (auto picture = reinterpret_cast<HBITMAP>(GetWindowLongPtr(hwnd, GWLP_USERDATA)))
            DeleteObject(picture);
        SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

bool RegisterPanel() {
    return EnsureWindowClass(kPanelClass, PanelProc, COLOR_BTNFACE);
}

HMENU GalleryMenu() {
    HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, 1001, "&Open...\tCtrl+O");
    HMENU recent = CreatePopupMenu();
    AppendMenu(recent, MF_STRING, 1011, "holiday.jpg");
    AppendMenu(recent, MF_STRING, 1012, "scans");
    AppendMenu(file, MF_POPUP, reinterpret_cast<uintptr_t>(recent), "&Recent");
    AppendMenu(file, MF_SEPARATOR, 0, nullptr);
    AppendMenu(file, MF_STRING | MF_GRAYED, 1002, "&Print");
    AppendMenu(file, MF_STRING, 1003, "E&xit");
    HMENU view = CreatePopupMenu();
    AppendMenu(view, MF_STRING | MF_CHECKED, 1101, "&Toolbar");
    AppendMenu(view, MF_STRING, 1102, "&Status bar");
    HMENU bar = CreateMenu();
    AppendMenu(bar, MF_POPUP, reinterpret_cast<uintptr_t>(file), "&File");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<uintptr_t>(view), "&View");
    AppendMenu(bar, MF_STRING | MF_GRAYED, 1201, "&Disabled");
    AppendMenu(bar, MF_STRING, 1301, "&Help");
    return bar;
}

// A small striped picture for the bitmap-style button.
HBITMAP StripeBitmap() {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int i = 0; i < 4; ++i) {
        RECT band{0, i * 4, 16, i * 4 + 4};
        HBRUSH brush = CreateSolidBrush(i % 2 ? RGB(0, 120, 215) : RGB(255, 185, 0));
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

}  // namespace

HWND GalleryBuilder::Add(const char* cls, const char* text, uint32_t style, int x, int y, int w,
                         int h) {
    return CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, panel_,
                          reinterpret_cast<void*>(intptr_t(nextId_++)), nullptr, nullptr);
}

void GalleryBuilder::Fill(HWND list, uint32_t addMessage,
                          std::initializer_list<const char*> items) {
    for (const char* item : items)
        SendMessage(list, addMessage, 0, reinterpret_cast<LPARAM>(item));
}

void DrawOwnerDrawnCaption(const DRAWITEMSTRUCT& item) {
    RECT text = item.rcItem;
    SetBkMode(item.hDC, TRANSPARENT);
    HGDIOBJ old = SelectObject(item.hDC, GetStockObject(DEFAULT_GUI_FONT));
    DrawText(item.hDC, "Owner-drawn", 11, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item.hDC, old);
}

HWND FillControlGallery(HWND parent) {
    if (!IsWindow(parent) || !RegisterStandardControls() || !RegisterPanel())
        return nullptr;
    SetMenu(parent, GalleryMenu());
    RECT client;
    GetClientRect(parent, &client);
    int top = MenuBarHeight(parent);
    HWND panel = CreateWindowEx(WS_EX_CONTROLPARENT, kPanelClass, "",
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, top, client.right,
                                client.bottom - top, parent, nullptr, nullptr, nullptr);
    if (!panel)
        return nullptr;
    GalleryBuilder b(panel);
    const int w = 180;

    // Push buttons.
    int x = 12, y = 8;
    x += 8;
    b.Add(kButtonClass, "Normal", WS_TABSTOP, x, y + 22, w, 26);
    b.Add(kButtonClass, "Default", WS_TABSTOP | BS_DEFPUSHBUTTON, x, y + 54, w, 26);
    HWND pushed = b.Add(kButtonClass, "Pushed", WS_TABSTOP, x, y + 86, w, 26);
    SendMessage(pushed, BM_SETSTATE, 1, 0);
    b.Add(kButtonClass, "Disabled", WS_TABSTOP | WS_DISABLED, x, y + 118, w, 26);
    b.Add(kButtonClass, "Flat", WS_TABSTOP | BS_FLAT, x, y + 150, w, 26);
    HWND bitmap = b.Add(kButtonClass, "", WS_TABSTOP | BS_BITMAP, x, y + 182, w, 26);
    HBITMAP stripes = StripeBitmap();
    SetWindowLongPtr(panel, GWLP_USERDATA, reinterpret_cast<intptr_t>(stripes));
    SendMessage(bitmap, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(stripes));
    b.Add(kButtonClass, "", WS_TABSTOP | BS_OWNERDRAW, x, y + 214, w, 26);

    // Check boxes and radio buttons.
    x = 12;
    y = 280;
    x += 8;
    b.Add(kButtonClass, "Unchecked", WS_TABSTOP | BS_AUTOCHECKBOX, x, y + 22, w, 22);
    HWND checked = b.Add(kButtonClass, "Checked", WS_TABSTOP | BS_AUTOCHECKBOX, x, y + 46, w, 22);
    SendMessage(checked, BM_SETCHECK, BST_CHECKED, 0);
    HWND mixed = b.Add(kButtonClass, "Indeterminate", WS_TABSTOP | BS_AUTO3STATE, x, y + 70, w, 22);
    SendMessage(mixed, BM_SETCHECK, BST_INDETERMINATE, 0);
    HWND offChecked = b.Add(kButtonClass, "Disabled, checked",
                            WS_TABSTOP | BS_AUTOCHECKBOX | WS_DISABLED, x, y + 94, w, 22);
    SendMessage(offChecked, BM_SETCHECK, BST_CHECKED, 0);
    b.Add(kButtonClass, "Text on the left", WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFTTEXT, x, y + 118,
          w, 22);
    HWND pushLike = b.Add(kButtonClass, "Push-like, checked",
                          WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE, x, y + 142, w, 24);
    SendMessage(pushLike, BM_SETCHECK, BST_CHECKED, 0);
    HWND radio = b.Add(kButtonClass, "Radio, chosen", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, x,
                       y + 172, w, 22);
    SendMessage(radio, BM_SETCHECK, BST_CHECKED, 0);
    b.Add(kButtonClass, "Radio", BS_AUTORADIOBUTTON, x, y + 196, w, 22);
    b.Add(kButtonClass, "Radio, disabled", BS_AUTORADIOBUTTON | WS_DISABLED, x, y + 220, w, 22);

    // Group boxes last: every window here is opaque, and the ones created
    // later lie below the earlier ones.
    b.Add(kButtonClass, "Push buttons", BS_GROUPBOX, 12, 8, w + 16, 262);
    b.Add(kButtonClass, "Check boxes and radio buttons", BS_GROUPBOX, 12, 280, w + 16, 250);

    // Static texts and edit fields.
    x = 220;
    y = 8;
    b.Add(kStaticClass, "Static text, left", SS_LEFT, x, y, w, 18);
    b.Add(kStaticClass, "Centred", SS_CENTER, x, y + 20, w, 18);
    b.Add(kStaticClass, "Sunken, right", SS_RIGHT | SS_SUNKEN, x, y + 40, w, 20);
    b.Add(kStaticClass, "", SS_ETCHEDHORZ, x, y + 68, w, 2);
    b.Add(kStaticClass, "Disabled text", SS_LEFT | WS_DISABLED, x, y + 76, w, 18);
    HWND focused =
        b.Add(kEditClass, "Focused, selected", WS_TABSTOP | ES_AUTOHSCROLL, x, y + 102, w, 24);
    b.Add(kEditClass, "Plain edit", WS_TABSTOP | ES_AUTOHSCROLL, x, y + 132, w, 24);
    b.Add(kEditClass, "Read-only", WS_TABSTOP | ES_READONLY, x, y + 162, w, 24);
    b.Add(kEditClass, "Disabled", WS_TABSTOP | WS_DISABLED, x, y + 192, w, 24);
    b.Add(kEditClass, "secret", WS_TABSTOP | ES_PASSWORD, x, y + 222, w, 24);
    b.Add(kEditClass, "Centred", WS_TABSTOP | ES_CENTER, x, y + 252, w, 24);

    // Lists and combo boxes.
    y = 290;
    HWND list = b.Add(kListBoxClass, "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, x, y, w, 100);
    b.Fill(list, LB_ADDSTRING, {"JPEG", "TIFF", "PNG", "BMP", "GIF", "PCX", "Photo CD"});
    SendMessage(list, LB_SETCURSEL, 2, 0);
    HWND simple = b.Add(kComboBoxClass, "", WS_TABSTOP | CBS_SIMPLE, x, y + 108, w, 100);
    b.Fill(simple, CB_ADDSTRING, {"Simple", "combo", "box"});
    SendMessage(simple, CB_SETCURSEL, 0, 0);

    x = 416;
    y = 8;
    HWND drop = b.Add(kComboBoxClass, "", WS_TABSTOP | CBS_DROPDOWN, x, y, w, 150);
    b.Fill(drop, CB_ADDSTRING, {"Drop-down", "editable"});
    SendMessage(drop, CB_SETCURSEL, 0, 0);
    HWND dropList = b.Add(kComboBoxClass, "", WS_TABSTOP | CBS_DROPDOWNLIST, x, y + 32, w, 150);
    b.Fill(dropList, CB_ADDSTRING, {"JPEG", "TIFF", "PNG"});
    SendMessage(dropList, CB_SETCURSEL, 2, 0);
    HWND offCombo =
        b.Add(kComboBoxClass, "", WS_TABSTOP | CBS_DROPDOWNLIST | WS_DISABLED, x, y + 64, w, 150);
    b.Fill(offCombo, CB_ADDSTRING, {"Disabled list"});
    SendMessage(offCombo, CB_SETCURSEL, 0, 0);

    // Progress bars.
    y = 110;
    for (int percent : {0, 60, 100}) {
        HWND bar = b.Add(kProgressClass, "", 0, x, y, w, 16);
        SendMessage(bar, PBM_SETPOS, WPARAM(percent), 0);
        y += 24;
    }
    HWND vertical = b.Add(kProgressClass, "", PBS_VERTICAL, x + w + 8, 110, 16, 64);
    SendMessage(vertical, PBM_SETPOS, 40, 0);

    // Up-down controls, with buddies.
    y = 196;
    b.Add(kEditClass, "", WS_TABSTOP | ES_NUMBER, x, y, 90, 24);
    HWND spin =
        b.Add(kUpDownClass, "", UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0,
              0, 18, 24);
    SendMessage(spin, UDM_SETRANGE32, 0, 10000);
    SendMessage(spin, UDM_SETPOS32, 0, 1200);
    b.Add(kEditClass, "", WS_TABSTOP, x + 100, y, 50, 24);
    HWND across =
        b.Add(kUpDownClass, "", UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_HORZ, x + 152, y, 32, 24);
    SendMessage(across, UDM_SETPOS32, 0, 5);
    HWND offSpin = b.Add(kUpDownClass, "", WS_DISABLED, x, y + 32, 18, 24);
    (void)offSpin;

    SetFocus(focused);
    SendMessage(focused, EM_SETSEL, 0, 7);
    return panel;
}

}  // namespace platform
