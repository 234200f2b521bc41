// The menu bar band and the pop-up menu windows, and the tracking that
// runs while a pop-up is open: the newest pop-up holds the mouse capture
// and hands each pointer event to the pop-up (or bar) under it. Keys are
// handled by menu_keyboard.cpp.
#include <algorithm>
#include <map>
#include <mutex>

#include "platform/menus/menu_model.h"
#include "platform/menus/menu_tracking.h"

namespace platform {
namespace menus {

std::map<HWND, BarInfo> g_bars;
Tracking g_tracking;

namespace {

constexpr const char* kBarClass = "PicbatchMenuBar";
constexpr const char* kPopupClass = "PicbatchMenuPopup";
constexpr int kBarHeight = 22;
constexpr int kRowHeight = 22;
constexpr int kSeparatorHeight = 9;
constexpr COLORREF kMenuFace = RGB(249, 249, 249);
constexpr COLORREF kHot = RGB(204, 228, 247);
constexpr COLORREF kText = RGB(32, 32, 32);
constexpr COLORREF kGrey = RGB(160, 160, 160);

void Fill(HDC dc, const RECT& r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

int TextWidth(HDC dc, const std::string& text) {
    RECT r{0, 0, 2000, 100};
    DrawText(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    return r.right - r.left;
}

std::vector<RECT> BarItemRects(HWND bar, Menu* menu) {
    std::vector<RECT> rects;
    HDC dc = GetDC(bar);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    int x = 2;
    for (const Item& item : menu->items) {
        int width = TextWidth(dc, MnemonicFree(item.text)) + 16;
        rects.push_back(RECT{x, 0, x + width, kBarHeight});
        x += width;
    }
    SelectObject(dc, old);
    ReleaseDC(bar, dc);
    return rects;
}

int RowAt(Menu* menu, int y) {
    int top = 3;
    for (size_t i = 0; i < menu->items.size(); ++i) {
        int height = menu->items[i].Separator() ? kSeparatorHeight : kRowHeight;
        if (y >= top && y < top + height)
            return int(i);
        top += height;
    }
    return -1;
}

}  // namespace

int RowTop(Menu* menu, int row) {
    int top = 3;
    for (int i = 0; i < row; ++i)
        top += menu->items[size_t(i)].Separator() ? kSeparatorHeight : kRowHeight;
    return top;
}

namespace {

SIZE PopupSize(Menu* menu) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    int label = 0, shortcut = 0, height = 6;
    for (const Item& item : menu->items) {
        height += item.Separator() ? kSeparatorHeight : kRowHeight;
        size_t tab = item.text.find('\t');
        label = std::max(label, TextWidth(dc, MnemonicFree(item.text)));
        if (tab != std::string::npos)
            shortcut = std::max(shortcut, TextWidth(dc, item.text.substr(tab + 1)));
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{std::max(120, 28 + label + (shortcut ? shortcut + 24 : 0) + 24), height};
}

}  // namespace

PopupState* StateOf(HWND popup) {
    return reinterpret_cast<PopupState*>(GetWindowLongPtr(popup, GWLP_USERDATA));
}

void ClosePopupsAfter(size_t keep) {
    while (g_tracking.popups.size() > keep) {
        HWND last = g_tracking.popups.back();
        g_tracking.popups.pop_back();
        if (IsWindow(last))
            DestroyWindow(last);
    }
    if (!g_tracking.popups.empty())
        SetCapture(g_tracking.popups.back());
}

namespace {

void InvalidateBar() {
    if (g_tracking.bar && IsWindow(g_tracking.bar))
        InvalidateRect(g_tracking.bar, nullptr, true);
}

}  // namespace

HWND OpenPopup(Menu* menu, POINT screen, int index) {
    if (!menu)
        return nullptr;
    if (g_tracking.owner) {
        SendMessage(g_tracking.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                    MAKELPARAM(index, 0));
    }
    SIZE size = PopupSize(menu);
    SIZE screenSize = GetScreenSize();
    int x = std::max(0, std::min(int(screen.x), int(screenSize.cx) - int(size.cx)));
    int y = std::max(0, std::min(int(screen.y), int(screenSize.cy) - int(size.cy)));
    auto* state = new PopupState{menu, -1};
    HWND popup = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPopupClass, "", WS_POPUP, x, y,
                                size.cx, size.cy, g_tracking.owner, nullptr, nullptr, state);
    if (!popup) {
        delete state;
        return nullptr;
    }
    g_tracking.popups.push_back(popup);
    ShowWindow(popup, SW_SHOWNA);
    SetCapture(popup);
    return popup;
}

void OpenBarItem(HWND bar, Menu* menu, int index) {
    ClosePopupsAfter(0);
    g_tracking.bar = bar;
    g_tracking.barItem = index;
    InvalidateBar();
    if (index < 0 || size_t(index) >= menu->items.size())
        return;
    const Item& item = menu->items[size_t(index)];
    if (!item.popup || item.Grey())
        return;
    RECT r = BarItemRects(bar, menu)[size_t(index)];
    POINT below{r.left, r.bottom};
    ClientToScreen(bar, &below);
    OpenPopup(item.popup, below, index);
}

void Choose(uint32_t id) {
    HWND owner = g_tracking.owner;
    bool returnCommand = g_tracking.returnCommand;
    EndMenu();
    if (returnCommand) {
        g_tracking.chosen = int(id);
    } else if (owner && IsWindow(owner)) {
        SendMessage(owner, WM_COMMAND, MAKELPARAM(int(id), 0), 0);
    }
}

namespace {

// Which open pop-up (deepest first) holds the screen point; -1 none.
int PopupAt(POINT screen) {
    for (int i = int(g_tracking.popups.size()) - 1; i >= 0; --i) {
        RECT r;
        GetWindowRect(g_tracking.popups[size_t(i)], &r);
        if (PtInRect(r, screen))
            return i;
    }
    return -1;
}

// The bar item under the screen point while tracking; -1 none.
int BarItemAt(POINT screen) {
    HWND bar = g_tracking.bar;
    if (!bar || !IsWindow(bar))
        return -1;
    HWND owner = GetParent(bar);
    auto it = g_bars.find(owner);
    if (it == g_bars.end() || !it->second.menu)
        return -1;
    POINT p = screen;
    ScreenToClient(bar, &p);
    std::vector<RECT> rects = BarItemRects(bar, it->second.menu);
    for (size_t i = 0; i < rects.size(); ++i) {
        if (PtInRect(rects[i], p))
            return int(i);
    }
    return -1;
}

void Hover(size_t level, POINT screen) {
    HWND popup = g_tracking.popups[level];
    PopupState* state = StateOf(popup);
    POINT client = screen;
    ScreenToClient(popup, &client);
    int row = RowAt(state->menu, client.y);
    if (row == state->hot)
        return;
    state->hot = row;
    InvalidateRect(popup, nullptr, true);
    ClosePopupsAfter(level + 1);
    if (row >= 0) {
        const Item& item = state->menu->items[size_t(row)];
        if (item.popup && !item.Grey()) {
            RECT r;
            GetWindowRect(popup, &r);
            OpenPopup(item.popup, POINT{r.right - 2, r.top + RowTop(state->menu, row) - 3}, row);
        }
    }
}

void PaintPopup(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    Fill(dc, client, kMenuFace);
    HBRUSH edge = CreateSolidBrush(RGB(160, 160, 160));
    FrameRect(dc, &client, edge);
    DeleteObject(edge);
    PopupState* state = StateOf(hwnd);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    int top = 3;
    for (size_t i = 0; state && i < state->menu->items.size(); ++i) {
        const Item& item = state->menu->items[i];
        if (item.Separator()) {
            Fill(dc, RECT{8, top + 4, client.right - 8, top + 5}, RGB(215, 215, 215));
            top += kSeparatorHeight;
            continue;
        }
        RECT row{2, top, client.right - 2, top + kRowHeight};
        if (int(i) == state->hot && !item.Grey())
            Fill(dc, row, kHot);
        COLORREF color = item.Grey() ? kGrey : kText;
        SetTextColor(dc, color);
        if (item.flags & MF_CHECKED) {
            HPEN pen = CreatePen(PS_SOLID, 2, color);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            MoveToEx(dc, 9, top + 11, nullptr);
            LineTo(dc, 12, top + 15);
            LineTo(dc, 18, top + 7);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
        size_t tab = item.text.find('\t');
        std::string label = item.text.substr(0, tab);
        RECT text{28, top, client.right - 20, top + kRowHeight};
        DrawText(dc, label.c_str(), int(label.size()), &text, DT_SINGLELINE | DT_VCENTER);
        if (tab != std::string::npos) {
            std::string keys = item.text.substr(tab + 1);
            DrawText(dc, keys.c_str(), int(keys.size()), &text,
                     DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
        }
        if (item.popup) {
            // A small right-pointing arrow for a nested pop-up.
            for (int k = 0; k < 4; ++k) {
                Fill(dc,
                     RECT{client.right - 14 + k, top + 7 + k, client.right - 13 + k, top + 15 - k},
                     color);
            }
        }
        top += kRowHeight;
    }
    SelectObject(dc, old);
    EndPaint(hwnd, &paint);
}

LRESULT PopupProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<const CREATESTRUCT*>(lParam);
            SetWindowLongPtr(hwnd, GWLP_USERDATA,
                             reinterpret_cast<intptr_t>(create->lpCreateParams));
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
        case WM_NCDESTROY:
            delete StateOf(hwnd);
            SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
            return 0;
        case WM_MOUSEACTIVATE:
            return 3;  // no activation
        case WM_PAINT:
            PaintPopup(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN: {
            POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(hwnd, &screen);
            int level = PopupAt(screen);
            if (level >= 0) {
                Hover(size_t(level), screen);
                if (message == WM_LBUTTONUP) {
                    PopupState* state = StateOf(g_tracking.popups[size_t(level)]);
                    if (state && state->hot >= 0) {
                        const Item& item = state->menu->items[size_t(state->hot)];
                        if (!item.Grey() && !item.Separator() && !item.popup)
                            Choose(item.id);
                    }
                }
                return 0;
            }
            int barItem = BarItemAt(screen);
            if (barItem >= 0) {
                auto it = g_bars.find(GetParent(g_tracking.bar));
                if (message == WM_LBUTTONDOWN && barItem == g_tracking.barItem) {
                    EndMenu();
                } else if (barItem != g_tracking.barItem && it != g_bars.end()) {
                    OpenBarItem(g_tracking.bar, it->second.menu, barItem);
                }
                return 0;
            }
            if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)
                EndMenu();
            return 0;
        }
        case WM_CAPTURECHANGED:
            // Capture taken by another window (not one of ours) ends the menu.
            if (lParam && std::find(g_tracking.popups.begin(), g_tracking.popups.end(),
                                    reinterpret_cast<HWND>(lParam)) == g_tracking.popups.end()) {
                EndMenu();
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE)
                EndMenu();
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

void PaintBar(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    Fill(dc, client, RGB(255, 255, 255));
    Fill(dc, RECT{0, client.bottom - 1, client.right, client.bottom}, RGB(229, 229, 229));
    auto it = g_bars.find(GetParent(hwnd));
    if (it != g_bars.end() && it->second.menu) {
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        std::vector<RECT> rects = BarItemRects(hwnd, it->second.menu);
        for (size_t i = 0; i < rects.size(); ++i) {
            const Item& item = it->second.menu->items[i];
            bool open = g_tracking.bar == hwnd && g_tracking.barItem == int(i) &&
                        !g_tracking.popups.empty();
            if (open)
                Fill(dc, rects[i], kHot);
            SetTextColor(dc, item.Grey() ? kGrey : kText);
            RECT text = rects[i];
            DrawText(dc, item.text.c_str(), int(item.text.size()), &text,
                     DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        }
        SelectObject(dc, old);
    }
    EndPaint(hwnd, &paint);
}

LRESULT BarProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            PaintBar(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN: {
            HWND owner = GetParent(hwnd);
            auto it = g_bars.find(owner);
            if (it == g_bars.end() || !it->second.menu)
                return 0;
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            std::vector<RECT> rects = BarItemRects(hwnd, it->second.menu);
            for (size_t i = 0; i < rects.size(); ++i) {
                if (!PtInRect(rects[i], p))
                    continue;
                const Item& item = it->second.menu->items[i];
                if (item.Grey())
                    return 0;
                if (!item.popup) {
                    SendMessage(owner, WM_COMMAND, MAKELPARAM(int(item.id), 0), 0);
                    return 0;
                }
                EndMenu();
                g_tracking.owner = owner;
                g_tracking.returnCommand = false;
                SendMessage(owner, WM_INITMENU, reinterpret_cast<WPARAM>(it->second.menu), 0);
                OpenBarItem(hwnd, it->second.menu, int(i));
                RunMenuLoop();
                return 0;
            }
            return 0;
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

// The owner's procedure, chained: keeps the band as wide as the window.
LRESULT OwnerProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    auto it = g_bars.find(hwnd);
    if (it == g_bars.end())
        return DefWindowProc(hwnd, message, wParam, lParam);
    WNDPROC original = it->second.original;
    if (message == WM_SIZE && it->second.bar) {
        MoveWindow(it->second.bar, 0, 0, LOWORD(uintptr_t(lParam)), kBarHeight, true);
    }
    if (message == WM_NCDESTROY) {
        // A window's menu goes with the window.
        if (g_tracking.owner == hwnd)
            EndMenu();
        Menu* menu = it->second.menu;
        g_bars.erase(it);
        if (menu)
            DestroyMenu(menu);
    }
    return CallWindowProc(original, hwnd, message, wParam, lParam);
}

bool IsMenuWindow(HWND hwnd) {
    return hwnd == g_tracking.bar || std::find(g_tracking.popups.begin(), g_tracking.popups.end(),
                                               hwnd) != g_tracking.popups.end();
}

}  // namespace

// With a display a menu is modal: a click outside the menus ends it (and
// goes no further), as does the end of the program. Pop-ups are windows of
// their own, so the mouse capture alone cannot see such clicks.
void RunMenuLoop() {
    if (CurrentPresentationMode() != PresentationMode::Display)
        return;
    MSG msg;
    while (!g_tracking.popups.empty()) {
        if (!GetMessage(&msg, nullptr, 0, 0)) {
            PostQuitMessage(int(msg.wParam));
            EndMenu();
            break;
        }
        bool buttonDown = msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN ||
                          msg.message == WM_MBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN;
        if (buttonDown && !IsMenuWindow(msg.hwnd)) {
            EndMenu();
            continue;
        }
        // Keys drive the menu while it is open, never the window behind it.
        if (TranslateMenuKey(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

bool RegisterMenuClasses() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        WNDCLASS bar;
        bar.lpfnWndProc = BarProc;
        bar.lpszClassName = kBarClass;
        WNDCLASS popup;
        popup.lpfnWndProc = PopupProc;
        popup.lpszClassName = kPopupClass;
        ok = RegisterClass(&bar) != 0 && RegisterClass(&popup) != 0;
    });
    return ok;
}

}  // namespace menus

using namespace menus;

bool SetMenu(HWND hwnd, HMENU handle) {
    if (!IsWindow(hwnd) || !RegisterMenuClasses())
        return false;
    Menu* menu = handle ? Resolve(handle) : nullptr;
    if (handle && !menu)
        return false;
    auto it = g_bars.find(hwnd);
    if (!menu) {
        if (it != g_bars.end()) {
            if (it->second.bar && IsWindow(it->second.bar))
                DestroyWindow(it->second.bar);
            it->second.bar = nullptr;
            it->second.menu = nullptr;
        }
        return true;
    }
    if (it == g_bars.end()) {
        BarInfo info;
        info.original = reinterpret_cast<WNDPROC>(GetWindowLongPtr(hwnd, GWLP_WNDPROC));
        it = g_bars.emplace(hwnd, info).first;
        SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<intptr_t>(&OwnerProc));
    }
    it->second.menu = menu;
    if (!it->second.bar) {
        RECT client;
        GetClientRect(hwnd, &client);
        it->second.bar =
            CreateWindowEx(0, kBarClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                           client.right, kBarHeight, hwnd, nullptr, nullptr, nullptr);
    }
    InvalidateRect(it->second.bar, nullptr, true);
    return it->second.bar != nullptr;
}

HMENU GetMenu(HWND hwnd) {
    auto it = g_bars.find(hwnd);
    return it == g_bars.end() ? nullptr : it->second.menu;
}

bool DrawMenuBar(HWND hwnd) {
    auto it = g_bars.find(hwnd);
    if (it == g_bars.end() || !it->second.bar)
        return false;
    return InvalidateRect(it->second.bar, nullptr, true);
}

int MenuBarHeight(HWND hwnd) {
    auto it = g_bars.find(hwnd);
    return it != g_bars.end() && it->second.bar ? kBarHeight : 0;
}

HWND MenuBarWindow(HWND hwnd) {
    auto it = g_bars.find(hwnd);
    return it == g_bars.end() ? nullptr : it->second.bar;
}

int TrackPopupMenu(HMENU handle, uint32_t flags, int x, int y, HWND owner) {
    Menu* menu = Resolve(handle);
    if (!menu || !RegisterMenuClasses())
        return 0;
    EndMenu();
    g_tracking.owner = owner;
    g_tracking.returnCommand = flags & TPM_RETURNCMD;
    g_tracking.chosen = 0;
    if (!OpenPopup(menu, POINT{x, y}, 0))
        return 0;
    if (CurrentPresentationMode() != PresentationMode::Display)
        return 0;
    RunMenuLoop();
    return g_tracking.returnCommand ? g_tracking.chosen : (g_tracking.chosen != 0);
}

int OpenMenuWindows(HWND* windows, int capacity) {
    int n = int(g_tracking.popups.size());
    for (int i = 0; i < n && i < capacity && windows; ++i)
        windows[i] = g_tracking.popups[size_t(i)];
    return n;
}

void EndMenu() {
    bool wasOpen = !g_tracking.popups.empty();
    std::vector<HWND> popups;
    popups.swap(g_tracking.popups);
    for (auto it = popups.rbegin(); it != popups.rend(); ++it) {
        if (IsWindow(*it))
            DestroyWindow(*it);
    }
    if (wasOpen && GetCapture() && !IsWindow(GetCapture()))
        ReleaseCapture();
    InvalidateBar();
    g_tracking.barItem = -1;
    g_tracking.bar = nullptr;
}

}  // namespace platform
