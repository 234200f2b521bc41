// Painting after invalidation, the full redraw, focus and enabling,
// injected input routed to the window under the pointer or with the focus,
// key translation order, pointer-leave tracking, and screenshots.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tests/windowing/window_test_support.h"

using namespace wintest;

namespace {

std::vector<uint32_t> Messages(HWND hwnd) {
    std::vector<uint32_t> out;
    for (const Event& e : For(hwnd))
        out.push_back(e.message);
    return out;
}

RECT g_paintRect;
bool g_paintErase;
LRESULT PaintingProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Event{hwnd, message, wParam, lParam});
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        g_paintRect = ps.rcPaint;
        g_paintErase = ps.fErase;
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        RECT all{0, 0, 1000, 1000};
        FillRect(dc, &all, red);  // limited to the invalid part
        DeleteObject(red);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

HWND PaintingWindow(int w, int h, HWND parent = nullptr) {
    EXPECT_TRUE(EnsureWindowClass("Painting", PaintingProc, COLOR_WINDOW));
    return CreateWindowEx(0, "Painting", "", WS_VISIBLE | (parent ? WS_CHILD : 0), 0, 0, w, h,
                          parent, nullptr, nullptr, nullptr);
}

uint32_t Pixel(HWND hwnd, int x, int y) {
    HBITMAP shot = CaptureWindow(hwnd);
    uint32_t p = BitmapPixels(shot).Row(y)[x] & 0xFFFFFF;
    DeleteObject(shot);
    return p;
}

}  // namespace

class Painting : public WindowTest {};

TEST_F(Painting, InvalidationBringsOnePaintLimitedToTheInvalidPart) {
    HWND hwnd = PaintingWindow(100, 80);
    created_.push_back(hwnd);
    Pump();  // first paint of the new window
    ASSERT_EQ(For(hwnd, WM_PAINT).size(), 1u);
    EXPECT_EQ(Pixel(hwnd, 50, 50), 0xFF0000u);
    // Repaint white, then invalidate a part with erasing.
    HDC dc = GetDC(hwnd);
    PatBlt(dc, 0, 0, 100, 80, WHITENESS);
    ReleaseDC(hwnd, dc);
    Log().clear();
    RECT part{10, 20, 30, 40};
    InvalidateRect(hwnd, &part, true);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, hwnd, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    Pump();
    EXPECT_EQ(Messages(hwnd), (std::vector<uint32_t>{WM_PAINT, WM_ERASEBKGND}));
    EXPECT_EQ(std::memcmp(&g_paintRect, &part, sizeof part), 0);
    EXPECT_FALSE(g_paintErase);  // the class brush erased it
    EXPECT_EQ(Pixel(hwnd, 15, 25), 0xFF0000u);
    EXPECT_EQ(Pixel(hwnd, 50, 50), 0xFFFFFFu);
    EXPECT_FALSE(PeekMessage(&msg, hwnd, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(Painting, FullRedrawPaintsFrameBackgroundAndClientAtOnce) {
    HWND parent = Top();
    HWND child = MakeWindow(5, 5, 40, 20, parent, 1);
    Pump();
    Log().clear();
    ASSERT_TRUE(RedrawWindow(child, nullptr, nullptr, 0x705));
    EXPECT_EQ(Messages(child), (std::vector<uint32_t>{WM_NCPAINT, WM_ERASEBKGND, WM_PAINT}));
    Log().clear();
    Pump();  // nothing left to paint
    EXPECT_TRUE(For(child, WM_PAINT).empty());
    // Hidden windows are not painted until shown.
    ShowWindow(child, SW_HIDE);
    InvalidateRect(child, nullptr, true);
    Pump();
    EXPECT_TRUE(For(child, WM_PAINT).empty());
    ShowWindow(child, SW_SHOW);
    Pump();
    EXPECT_EQ(For(child, WM_PAINT).size(), 1u);
}

TEST_F(Painting, ScreenshotComposesChildrenOverTheirParent) {
    HWND parent = PaintingWindow(60, 40);
    created_.push_back(parent);
    Pump();
    HWND child = CreateWindowEx(0, RecordingClass(), "", WS_CHILD | WS_VISIBLE, 10, 10, 20, 10,
                                parent, nullptr, nullptr, nullptr);
    Pump();  // the child erases itself with the button-face colour
    EXPECT_EQ(Pixel(parent, 15, 15), 0xF0F0F0u);  // the button-face colour
    EXPECT_EQ(Pixel(parent, 5, 5), 0xFF0000u);
    std::string path =
        (std::filesystem::temp_directory_path() / "picbatch_window_shot.png").string();
    std::string error;
    ASSERT_TRUE(SaveWindowScreenshot(parent, path, &error)) << error;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    EXPECT_EQ(image.width, 60u);
    EXPECT_EQ(image.height, 40u);
    const uint8_t* red = &rgb[(5 * 60 + 5) * 3];
    EXPECT_EQ(red[0], 255);
    EXPECT_EQ(red[1], 0);
    const uint8_t* face = &rgb[(15 * 60 + 15) * 3];
    EXPECT_EQ(face[0], 0xF0);
    std::remove(path.c_str());
    EXPECT_FALSE(SaveWindowScreenshot(parent, "/nonexistent-dir/x.png", &error));
    DestroyWindow(child);
}

class Input : public WindowTest {};

TEST_F(Input, FocusMovesWithKillBeforeSetAndLeavesDisabledWindows) {
    HWND parent = Top();
    HWND a = MakeWindow(0, 0, 10, 10, parent, 1);
    HWND b = MakeWindow(20, 0, 10, 10, parent, 2);
    SetFocus(a);
    Log().clear();
    EXPECT_EQ(SetFocus(b), a);
    ASSERT_EQ(Log().size(), 2u);
    EXPECT_EQ(Log()[0].hwnd, a);
    EXPECT_EQ(Log()[0].message, WM_KILLFOCUS);
    EXPECT_EQ(Log()[0].wParam, reinterpret_cast<WPARAM>(b));
    EXPECT_EQ(Log()[1].hwnd, b);
    EXPECT_EQ(Log()[1].message, WM_SETFOCUS);
    EXPECT_EQ(GetFocus(), b);
    EXPECT_EQ(GetActiveWindow(), parent);
    Log().clear();
    EXPECT_FALSE(EnableWindow(b, false));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(Messages(b), (std::vector<uint32_t>{WM_KILLFOCUS, WM_ENABLE}));
    EXPECT_TRUE(GetWindowLong(b, GWL_STYLE) & WS_DISABLED);
    EXPECT_TRUE(EnableWindow(b, true));
}

TEST_F(Input, ClicksGoToTheDeepestChildUnlessCapturedAndDoubleClicksPair) {
    HWND parent = Top(200, 100);
    HWND child = MakeWindow(50, 20, 40, 30, parent, 1);
    HWND disabled = MakeWindow(120, 20, 40, 30, parent, 2, WS_VISIBLE | WS_DISABLED);
    Pump();
    Log().clear();
    InjectClick(parent, 60, 30);
    InjectClick(parent, 130, 30);  // a disabled child passes it to the parent
    Pump();
    auto down = For(child, WM_LBUTTONDOWN);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(down[0].lParam), 10);
    EXPECT_EQ(GET_Y_LPARAM(down[0].lParam), 10);
    EXPECT_TRUE(down[0].wParam & MK_LBUTTON);
    EXPECT_TRUE(For(disabled, WM_LBUTTONDOWN).empty());
    EXPECT_EQ(For(parent, WM_LBUTTONDOWN).size(), 1u);
    // With the capture, input goes to the capturing window wherever it is.
    SetCapture(child);
    Log().clear();
    InjectMouseMove(parent, 5, 5);
    Pump();
    auto moves = For(child, WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), -45);
    ReleaseCapture();
    EXPECT_EQ(For(child, WM_CAPTURECHANGED).size(), 1u);
    // Two quick clicks on a double-click class make down, up, double, up.
    Log().clear();
    InjectClick(child, 3, 3);
    InjectClick(child, 4, 3);
    Pump();
    std::vector<uint32_t> buttons;
    for (uint32_t m : Messages(child)) {
        if (m >= WM_LBUTTONDOWN && m <= WM_LBUTTONDBLCLK)
            buttons.push_back(m);
    }
    EXPECT_EQ(buttons, (std::vector<uint32_t>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                              WM_LBUTTONUP}));
}

TEST_F(Input, TypedTextBecomesKeysAndCharactersInOrder) {
    HWND parent = Top();
    HWND edit = MakeWindow(0, 0, 50, 20, parent, 1);
    SetFocus(edit);
    Pump();
    Log().clear();
    InjectText("aB!");
    Pump();
    std::vector<std::pair<uint32_t, WPARAM>> seen;
    for (const Event& e : For(edit)) {
        if (e.message >= WM_KEYDOWN && e.message <= WM_SYSCHAR)
            seen.push_back({e.message, e.wParam});
    }
    std::vector<std::pair<uint32_t, WPARAM>> expected{
        {WM_KEYDOWN, 'A'},      {WM_CHAR, 'a'},    {WM_KEYUP, 'A'}, {WM_KEYDOWN, VK_SHIFT},
        {WM_KEYDOWN, 'B'},      {WM_CHAR, 'B'},    {WM_KEYUP, 'B'}, {WM_KEYUP, VK_SHIFT},
        {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, '1'}, {WM_CHAR, '!'},  {WM_KEYUP, '1'},
        {WM_KEYUP, VK_SHIFT}};
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
    // Alt with a letter is a system key and makes a system character.
    Log().clear();
    InjectKey(VK_MENU, true);
    InjectKey('S', true);
    InjectKey('S', false);
    InjectKey(VK_MENU, false);
    Pump();
    EXPECT_EQ(For(edit, WM_SYSKEYDOWN).size(), 2u);
    auto sysChar = For(edit, WM_SYSCHAR);
    ASSERT_EQ(sysChar.size(), 1u);
    EXPECT_EQ(sysChar[0].wParam, WPARAM('s'));
    EXPECT_TRUE(sysChar[0].lParam & (1 << 29));
    // Characters beyond the keyboard arrive as runtime-text bytes.
    Log().clear();
    InjectText("é");
    Pump();
    auto chars = For(edit, WM_CHAR);
    ASSERT_EQ(chars.size(), 2u);  // a two-byte GB18030 character
    EXPECT_GE(chars[0].wParam, 0x81u);
}

TEST_F(Input, LeaveTrackingReportsThePointerLeavingOnce) {
    HWND parent = Top(200, 100);
    HWND a = MakeWindow(0, 0, 50, 50, parent, 1);
    HWND b = MakeWindow(100, 0, 50, 50, parent, 2);
    InjectMouseMove(parent, 10, 10);
    Pump();
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = a;
    ASSERT_TRUE(TrackMouseEvent(&track));
    Log().clear();
    InjectMouseMove(parent, 12, 10);
    Pump();
    EXPECT_TRUE(For(a, WM_MOUSELEAVE).empty());
    InjectMouseMove(parent, 110, 10);
    InjectMouseMove(parent, 20, 10);
    InjectMouseMove(parent, 120, 10);
    Pump();
    EXPECT_EQ(For(a, WM_MOUSELEAVE).size(), 1u);  // tracking ends with the report
    EXPECT_EQ(For(b, WM_MOUSEMOVE).size(), 2u);
    // Asking while the pointer is elsewhere reports at once.
    track.hwndTrack = a;
    TrackMouseEvent(&track);
    Pump();
    EXPECT_EQ(For(a, WM_MOUSELEAVE).size(), 2u);
}
