#include "tools/gallery/skin_sheet.h"

#include <vector>

#include "libs/desktop/skin/skin_engine.h"
#include "platform/controls/control_gallery.h"
#include "platform/controls/controls.h"

namespace gallery {
namespace {

using namespace platform;
using namespace desktop::skin;

constexpr const char* kSheetClass = "PicbatchSkinSheet";

constexpr int kLabelWidth = 112;
constexpr int kColumnLeft = 120;
constexpr int kColumnStep = 106;
constexpr int kCellWidth = 96;
constexpr int kHeaderTop = 6;
constexpr int kFirstRowTop = 30;
constexpr int kRowStep = 38;

enum Column {
    COL_NORMAL,
    COL_HOT,
    COL_PRESSED,
    COL_FOCUSED,
    COL_DEFAULT,
    COL_CHECKED,
    COL_INDETERMINATE,
    COL_DISABLED,
    COL_DISABLED_CHECKED,
    COL_COUNT,
};
constexpr const char* kColumnNames[COL_COUNT] = {
    "Normal",  "Hot",           "Pressed",  "Focused",      "Default",
    "Checked", "Indeterminate", "Disabled", "Off, checked",
};

// The state a sheet control is put in once skinned, kept in its user word.
enum Forced : intptr_t {
    FORCE_NONE = 0,
    FORCE_HOT = 1,
    FORCE_PRESSED = 2,
    FORCE_FOCUSED = 4,
    FORCE_FIRST_HALF = 8,
};

// Draws the owner-drawn button the skin leaves to its owner.
LRESULT SheetProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HBRUSH fill = CreateSolidBrush(RGB(255, 228, 181));
        FillRect(item->hDC, &item->rcItem, fill);
        DeleteObject(fill);
        DrawOwnerDrawnCaption(*item);
        return 1;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

bool RegisterSheet() {
    return EnsureWindowClass(kSheetClass, SheetProc, COLOR_BTNFACE);
}

// The gallery's builder on the sheet's grid; a control may be given the
// state it is to be shown in once skinned.
class Sheet {
public:
    explicit Sheet(HWND panel) : builder_(panel) {}

    HWND Add(const char* cls, const char* text, uint32_t style, int x, int y, int w, int h,
             intptr_t forced = FORCE_NONE) {
        HWND hwnd = builder_.Add(cls, text, style, x, y, w, h);
        if (hwnd && forced != FORCE_NONE)
            SetWindowLongPtr(hwnd, GWLP_USERDATA, forced);
        return hwnd;
    }
    void Label(const char* text, int x, int y, int w) {
        Add(kStaticClass, text, SS_LEFT, x, y, w, 18);
    }
    int RowTop(int row) const { return kFirstRowTop + row * kRowStep; }
    int CellLeft(int column) const { return kColumnLeft + column * kColumnStep; }
    void Items(HWND list, uint32_t add, std::initializer_list<const char*> items) {
        builder_.Fill(list, add, items);
    }

private:
    GalleryBuilder builder_;
};

intptr_t ForcedFor(int column) {
    switch (column) {
        case COL_HOT:
            return FORCE_HOT;
        case COL_PRESSED:
            return FORCE_PRESSED;
        case COL_FOCUSED:
            return FORCE_FOCUSED;
        default:
            return FORCE_NONE;
    }
}

void AddButtonRows(Sheet& s) {
    // Push buttons; push-like check boxes show the checked and
    // indeterminate faces.
    int y = s.RowTop(0);
    s.Label("Push button", 6, y + 6, kLabelWidth);
    for (int c : {COL_NORMAL, COL_HOT, COL_PRESSED, COL_FOCUSED})
        s.Add(kButtonClass, "&Convert", BS_PUSHBUTTON, s.CellLeft(c), y, kCellWidth, 28,
              ForcedFor(c));
    s.Add(kButtonClass, "Default", BS_DEFPUSHBUTTON, s.CellLeft(COL_DEFAULT), y, kCellWidth, 28);
    HWND on = s.Add(kButtonClass, "Push-like", BS_AUTOCHECKBOX | BS_PUSHLIKE,
                    s.CellLeft(COL_CHECKED), y, kCellWidth, 28);
    SendMessage(on, BM_SETCHECK, BST_CHECKED, 0);
    HWND mixed = s.Add(kButtonClass, "Push-like", BS_AUTO3STATE | BS_PUSHLIKE,
                       s.CellLeft(COL_INDETERMINATE), y, kCellWidth, 28);
    SendMessage(mixed, BM_SETCHECK, BST_INDETERMINATE, 0);
    s.Add(kButtonClass, "Disabled", BS_PUSHBUTTON | WS_DISABLED, s.CellLeft(COL_DISABLED), y,
          kCellWidth, 28);
    HWND offOn = s.Add(kButtonClass, "Push-like", BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_DISABLED,
                       s.CellLeft(COL_DISABLED_CHECKED), y, kCellWidth, 28);
    SendMessage(offOn, BM_SETCHECK, BST_CHECKED, 0);

    // Check boxes and radio buttons.
    for (int row : {1, 2}) {
        bool radio = row == 2;
        y = s.RowTop(row);
        uint32_t kind = radio ? BS_AUTORADIOBUTTON : BS_AUTO3STATE;
        s.Label(radio ? "Radio button" : "Check box", 6, y + 4, kLabelWidth);
        for (int c = 0; c < COL_COUNT; ++c) {
            if (c == COL_DEFAULT || (radio && c == COL_INDETERMINATE))
                continue;
            uint32_t style = kind | BS_VCENTER | (radio ? WS_GROUP : 0);
            if (c == COL_DISABLED || c == COL_DISABLED_CHECKED)
                style |= WS_DISABLED;
            HWND box = s.Add(kButtonClass, radio ? "Choice" : "Option", style, s.CellLeft(c), y,
                             kCellWidth, 24, ForcedFor(c));
            if (c == COL_CHECKED || c == COL_DISABLED_CHECKED)
                SendMessage(box, BM_SETCHECK, BST_CHECKED, 0);
            if (c == COL_INDETERMINATE)
                SendMessage(box, BM_SETCHECK, BST_INDETERMINATE, 0);
        }
    }
}

void AddFieldRows(Sheet& s) {
    int y = s.RowTop(3);
    s.Label("Edit field", 6, y + 4, kLabelWidth);
    s.Add(kEditClass, "Text", WS_BORDER, s.CellLeft(COL_NORMAL), y, kCellWidth, 24);
    s.Add(kEditClass, "Text", WS_BORDER, s.CellLeft(COL_FOCUSED), y, kCellWidth, 24, FORCE_FOCUSED);
    s.Add(kEditClass, "Read-only", WS_BORDER | ES_READONLY, s.CellLeft(COL_CHECKED), y, kCellWidth,
          24);
    s.Add(kEditClass, "Disabled", WS_BORDER | WS_DISABLED, s.CellLeft(COL_DISABLED), y, kCellWidth,
          24);

    y = s.RowTop(4);
    s.Label("List box", 6, y + 4, kLabelWidth);
    for (int c : {COL_NORMAL, COL_FOCUSED, COL_DISABLED}) {
        HWND list = s.Add(kListBoxClass, "", WS_BORDER | (c == COL_DISABLED ? WS_DISABLED : 0),
                          s.CellLeft(c), y, kCellWidth, 34, ForcedFor(c));
        s.Items(list, LB_ADDSTRING, {"JPEG", "TIFF", "PNG"});
        SendMessage(list, LB_SETCURSEL, 1, 0);
    }

    for (int row : {5, 6}) {
        bool editable = row == 6;
        y = s.RowTop(row);
        s.Label(editable ? "Drop-down" : "Drop-down list", 6, y + 4, kLabelWidth);
        for (int c : {COL_NORMAL, COL_HOT, COL_FOCUSED, COL_DISABLED}) {
            uint32_t style = (editable ? CBS_DROPDOWN : CBS_DROPDOWNLIST) |
                             (c == COL_DISABLED ? WS_DISABLED : 0);
            HWND combo =
                s.Add(kComboBoxClass, "", style, s.CellLeft(c), y, kCellWidth, 120, ForcedFor(c));
            s.Items(combo, CB_ADDSTRING, {"JPEG", "TIFF", "PNG"});
            SendMessage(combo, CB_SETCURSEL, 2, 0);
        }
    }
}

void AddUpDownRows(Sheet& s) {
    for (int row : {7, 8}) {
        bool horizontal = row == 8;
        int y = s.RowTop(row);
        s.Label(horizontal ? "Up-down, across" : "Up-down", 6, y + 4, kLabelWidth);
        for (int c : {COL_NORMAL, COL_HOT, COL_PRESSED, COL_DISABLED}) {
            intptr_t forced = ForcedFor(c);
            if (forced)
                forced |= FORCE_FIRST_HALF;
            uint32_t style = (horizontal ? UDS_HORZ : 0) | (c == COL_DISABLED ? WS_DISABLED : 0);
            s.Add(kUpDownClass, "", style, s.CellLeft(c), y, horizontal ? 40 : 20,
                  horizontal ? 22 : 32, forced);
        }
    }
}

void AddGroupRow(Sheet& s) {
    int y = s.RowTop(9);
    s.Label("Group box", 6, y + 4, kLabelWidth);
    s.Add(kButtonClass, "Output", BS_GROUPBOX, s.CellLeft(COL_NORMAL), y - 4, kCellWidth, 36);
    s.Add(kButtonClass, "Output", BS_GROUPBOX | WS_DISABLED, s.CellLeft(COL_DISABLED), y - 4,
          kCellWidth, 36);
}

void AddVariations(Sheet& s) {
    int y = s.RowTop(10) + 6;
    s.Label("Variations", 6, y + 4, kLabelWidth);
    int x = kColumnLeft;
    s.Add(kButtonClass, "Text on the left", BS_AUTOCHECKBOX | BS_LEFTTEXT | BS_VCENTER, x, y, 150,
          24);
    s.Add(kButtonClass, "Two lines\r\nof caption", BS_AUTOCHECKBOX | BS_VCENTER, x, y + 30, 150,
          36);
    s.Add(kButtonClass, "Radio, text left",
          BS_AUTORADIOBUTTON | BS_LEFTTEXT | BS_VCENTER | WS_GROUP, x, y + 72, 150, 24);
    x += 170;
    s.Add(kButtonClass, "Top left", BS_PUSHBUTTON | 0x500, x, y, 110, 40);
    s.Add(kButtonClass, "Bottom right", BS_PUSHBUTTON | 0xA00, x, y + 46, 110, 40);
    // A caption of double-byte characters ("convert" in GB18030).
    s.Add(kButtonClass, "\xD7\xAA\xBB\xBB && &Go", BS_PUSHBUTTON, x, y + 92, 110, 28);
    x += 130;
    s.Add(kEditClass, "42", WS_BORDER, x, y, 70, 24);
    s.Add(kUpDownClass, "", UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 0,
          18, 24);
    s.Add(kEditClass, "7", WS_BORDER, x, y + 32, 70, 24);
    s.Add(kUpDownClass, "", UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNLEFT | UDS_ARROWKEYS, 0, 0,
          18, 24);
    s.Add(kEditClass, "No frame", 0, x, y + 64, 88, 24);
    HWND emptyList = s.Add(kListBoxClass, "", WS_BORDER, x, y + 94, 88, 30);
    (void)emptyList;
    x += 110;
    s.Add(kButtonClass, "Right", BS_GROUPBOX | BS_RIGHT, x, y, 120, 40);
    s.Add(kButtonClass, "Centred", BS_GROUPBOX | BS_CENTER, x, y + 44, 120, 40);
    s.Add(kButtonClass, "", BS_GROUPBOX, x, y + 88, 120, 36);
    x += 140;
    // What the skin leaves alone.
    HWND simple = s.Add(kComboBoxClass, "", CBS_SIMPLE, x, y, 110, 70);
    s.Items(simple, CB_ADDSTRING, {"Simple", "combo"});
    s.Add(kButtonClass, "", BS_OWNERDRAW, x, y + 76, 110, 24);
    HWND progress = s.Add(kProgressClass, "", 0, x, y + 106, 110, 16);
    SendMessage(progress, PBM_SETPOS, 60, 0);
}

}  // namespace

HWND FillSkinSheet(HWND parent) {
    if (!IsWindow(parent) || !RegisterStandardControls() || !RegisterSheet())
        return nullptr;
    RECT client;
    GetClientRect(parent, &client);
    HWND panel = CreateWindowEx(WS_EX_CONTROLPARENT, kSheetClass, "",
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, client.right,
                                client.bottom, parent, nullptr, nullptr, nullptr);
    if (!panel)
        return nullptr;
    Sheet s(panel);
    for (int c = 0; c < COL_COUNT; ++c)
        s.Label(kColumnNames[c], s.CellLeft(c), kHeaderTop, kCellWidth);
    AddButtonRows(s);
    AddFieldRows(s);
    AddUpDownRows(s);
    AddVariations(s);
    // Group boxes last: a window created later lies below the earlier ones.
    AddGroupRow(s);
    return panel;
}

void ShowSkinSheetStates(HWND panel) {
    SkinEngine& engine = SkinEngine::ForThisThread();
    std::vector<HWND> children;
    EnumChildWindows(
        panel,
        [](HWND hwnd, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return true;
        },
        reinterpret_cast<LPARAM>(&children));
    HWND realFocus = nullptr;
    for (HWND child : children) {
        intptr_t forced = GetWindowLongPtr(child, GWLP_USERDATA);
        SkinRecord* record = engine.Find(child);
        if (!forced || !record)
            continue;
        if (forced & FORCE_PRESSED) {
            if (IsButtonKind(record->kind))
                SendMessage(child, BM_SETSTATE, 1, 0);
            record->flags |= SK_PUSHED;
        }
        if (forced & FORCE_HOT)
            record->flags |= SK_HOT;
        if (forced & FORCE_FIRST_HALF)
            record->flags |= SK_FIRST_HALF;
        if (forced & FORCE_FOCUSED) {
            if (!realFocus)
                realFocus = child;
            record->flags |= SK_FOCUSED;
        }
        InvalidateRect(child, nullptr, true);
    }
    if (realFocus)
        SetFocus(realFocus);
}

}  // namespace gallery
