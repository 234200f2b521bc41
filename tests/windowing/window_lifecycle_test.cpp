// Creation refused by procedures and hooks, parent notification, moving
// and resizing, closing, cross-thread sends in both directions and to a
// thread that ends, and wheel and key-state input.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>

#include "tests/windowing/window_test_support.h"

using namespace wintest;

namespace {

LRESULT RefusingProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Event{hwnd, message, wParam, lParam});
    if (message == WM_CREATE)
        return -1;
    return DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND)
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

constexpr uint32_t kPing = WM_USER + 40;
constexpr uint32_t kPong = WM_USER + 41;
std::atomic<HWND> g_otherWindow{nullptr};

// Answers kPing by sending kPong back to the window named in wParam, which
// lives on the thread that is waiting for this very send.
LRESULT PingProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
        return SendMessage(reinterpret_cast<HWND>(wParam), kPong, 0, 0) + 1;
    }
    if (message == kPong)
        return InSendMessage() ? 100 : 50;
    if (message == WM_USER + 42) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return 1;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

void RegisterOnce(const char* name, WNDPROC proc) {
    WNDCLASS c;
    c.lpfnWndProc = proc;
    c.lpszClassName = name;
    RegisterClass(&c);  // a second registration is refused, which is fine here
}

}  // namespace

class Lifecycle : public WindowTest {};

TEST_F(Lifecycle, ProcedureOrHookCanRefuseCreation) {
    RegisterOnce("Refusing", RefusingProc);
    HWND refused =
        CreateWindowEx(0, "Refusing", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(refused, nullptr);
    ASSERT_FALSE(Log().empty());
    EXPECT_EQ(Log().front().message, WM_NCCREATE);
    EXPECT_EQ(Log().back().message, WM_NCDESTROY);
    HWND gone = Log().front().hwnd;
    EXPECT_FALSE(IsWindow(gone));

    HHOOK hook = SetWindowsHookEx(WH_CBT, RefuseCreation, nullptr, 0);
    EXPECT_EQ(MakeWindow(0, 0, 10, 10), nullptr);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(
        CreateWindowEx(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    // A child needs a real parent.
    EXPECT_EQ(CreateWindowEx(0, RecordingClass(), "", WS_CHILD, 0, 0, 1, 1,
                             reinterpret_cast<HWND>(0x1234560), nullptr, nullptr, nullptr),
              nullptr);
}

TEST_F(Lifecycle, CreationMessagesAndParentNotification) {
    HWND parent = Top();
    Log().clear();
    HWND child = MakeWindow(3, 4, 30, 20, parent, 55);
    std::vector<uint32_t> order;
    for (const Event& e : For(child))
        order.push_back(e.message);
    ASSERT_GE(order.size(), 5u);
    EXPECT_EQ(std::vector<uint32_t>(order.begin(), order.begin() + 5),
              (std::vector<uint32_t>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}));
    auto notes = For(parent, WM_PARENTNOTIFY);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(LOWORD(notes[0].wParam), WM_CREATE);
    EXPECT_EQ(HIWORD(notes[0].wParam), 55);
    EXPECT_EQ(notes[0].lParam, reinterpret_cast<LPARAM>(child));
    char text[8];
    GetWindowText(child, text, sizeof text);
    EXPECT_STREQ(text, "test");
}

TEST_F(Lifecycle, MovingAndResizingReportsAndKeepsThePicture) {
    HWND hwnd = Top(50, 40);
    HDC dc = GetDC(hwnd);
    SetPixel(dc, 5, 5, RGB(1, 2, 3));
    ReleaseDC(hwnd, dc);
    Log().clear();
    ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 30, 40, 80, 60, SWP_NOZORDER | SWP_NOREDRAW));
    auto size = For(hwnd, WM_SIZE);
    ASSERT_EQ(size.size(), 1u);
    EXPECT_EQ(LOWORD(size[0].lParam), 80);
    EXPECT_EQ(HIWORD(size[0].lParam), 60);
    EXPECT_EQ(For(hwnd, WM_MOVE).size(), 1u);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.bottom, 100);
    dc = GetDC(hwnd);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(1, 2, 3));
    EXPECT_NE(GetPixel(dc, 79, 59), CLR_INVALID);
    ReleaseDC(hwnd, dc);
    // Same size again: nothing to report.
    Log().clear();
    SetWindowPos(hwnd, nullptr, 0, 0, 80, 60, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(For(hwnd, WM_SIZE).empty());
    POINT p{1, 1};
    ClientToScreen(hwnd, &p);
    EXPECT_EQ(p.x, 31);
    EXPECT_EQ(WindowFromPoint(POINT{35, 45}), hwnd);
}

TEST_F(Lifecycle, CloseRequestDestroysThroughTheDefaultProcedure) {
    HWND hwnd = Top();
    PostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_FALSE(IsWindow(hwnd));
    std::vector<uint32_t> order;
    for (const Event& e : For(hwnd)) {
        if (e.message == WM_CLOSE || e.message == WM_DESTROY)
            order.push_back(e.message);
    }
    EXPECT_EQ(order, (std::vector<uint32_t>{WM_CLOSE, WM_DESTROY}));
}

TEST_F(Lifecycle, MutualCrossThreadSendsDoNotDeadlock) {
    RegisterOnce("Ping", PingProc);
    HWND mine = CreateWindowEx(0, "Ping", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    std::atomic<bool> stop{false};
    std::thread other([&] {
        HWND hwnd =
            CreateWindowEx(0, "Ping", "mine", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        g_otherWindow = hwnd;
        while (!stop)
            WaitMessage(5), Pump();
        DestroyWindow(hwnd);
    });
    while (!g_otherWindow)
        std::this_thread::yield();
    // Our send runs on the other thread, which sends back to our window
    // while we wait; that inner send runs here, as a send from elsewhere.
    EXPECT_EQ(SendMessage(g_otherWindow, kPing, reinterpret_cast<WPARAM>(mine), 0), 101);
    // Reading another thread's window text does not wait for that thread.
    std::thread busy([&] { SendMessage(g_otherWindow, WM_USER + 42, 0, 0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    auto start = std::chrono::steady_clock::now();
    char text[8];
    EXPECT_EQ(GetWindowText(g_otherWindow, text, sizeof text), 4);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(80));
    busy.join();
    stop = true;
    other.join();
    g_otherWindow = nullptr;
    DestroyWindow(mine);
}

TEST_F(Lifecycle, SendToAThreadThatEndsReturnsZero) {
    RegisterOnce("Ping", PingProc);
    std::mutex m;
    std::condition_variable cv;
    HWND hwnd = nullptr;
    bool release = false;
    std::thread owner([&] {
        HWND created =
            CreateWindowEx(0, "Ping", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        {
            std::lock_guard lock(m);
            hwnd = created;
        }
        cv.notify_all();
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return release; });
        // Ends without ever looking at its queue.
    });
    {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return hwnd != nullptr; });
    }
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        {
            std::lock_guard lock(m);
            release = true;
        }
        cv.notify_all();
    });
    EXPECT_EQ(SendMessage(hwnd, kPong, 0, 0), 0);
    releaser.join();
    owner.join();
}

TEST_F(Lifecycle, WheelGoesToTheFocusAndKeyStatesFollowTakenMessages) {
    HWND parent = Top(100, 100);
    HWND a = MakeWindow(0, 0, 40, 40, parent, 1);
    HWND b = MakeWindow(50, 0, 40, 40, parent, 2);
    SetFocus(b);
    Pump();
    Log().clear();
    InjectWheel(parent, 10, 10, -WHEEL_DELTA);
    InjectKey(VK_CAPITAL, true);
    InjectKey(VK_CAPITAL, false);
    // Not yet taken from the queue: the thread's key state has not moved.
    EXPECT_FALSE(GetKeyState(VK_CAPITAL) & 1);
    EXPECT_TRUE(GetAsyncKeyState(VK_CAPITAL) == 0);
    Pump();
    auto wheel = For(b, WM_MOUSEWHEEL);
    ASSERT_EQ(wheel.size(), 1u);
    EXPECT_EQ(int16_t(HIWORD(wheel[0].wParam)), -WHEEL_DELTA);
    EXPECT_TRUE(For(a, WM_MOUSEWHEEL).empty());
    EXPECT_TRUE(GetKeyState(VK_CAPITAL) & 1);  // toggled on
    Log().clear();
    InjectText("x");
    Pump();
    auto chars = For(b, WM_CHAR);
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].wParam, WPARAM('X'));  // caps lock
    InjectKey(VK_CAPITAL, true);
    InjectKey(VK_CAPITAL, false);
    Pump();
    EXPECT_FALSE(GetKeyState(VK_CAPITAL) & 1);
}

TEST_F(Lifecycle, CaptionPressDragsTheWindowUntilRelease) {
    HWND hwnd = Top(120, 80);
    HWND child = MakeWindow(10, 10, 30, 20, hwnd, 1);
    RECT before;
    GetWindowRect(hwnd, &before);
    InjectMouseMove(child, 5, 5);
    InjectMouseButton(child, 5, 5, MouseButton::Left, true);
    Pump();
    // What a window does when it wants to be dragged by its client area.
    SendMessage(hwnd, WM_NCLBUTTONDOWN, WPARAM(HTCAPTION), 0);
    Log().clear();
    InjectMouseMove(child, 25, 17);
    InjectMouseButton(child, 25, 17, MouseButton::Left, false);
    Pump();
    RECT after;
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.left - before.left, 20);
    EXPECT_EQ(after.top - before.top, 12);
    EXPECT_EQ(after.right - after.left, 120);
    EXPECT_TRUE(For(child, WM_MOUSEMOVE).empty());  // the drag took the pointer
    EXPECT_EQ(For(hwnd, WM_MOVE).size(), 1u);
    EXPECT_EQ(GetCapture(), nullptr);
    // Afterwards input reaches the windows again.
    InjectMouseMove(child, 2, 2);
    Pump();
    EXPECT_EQ(For(child, WM_MOUSEMOVE).size(), 1u);
}

TEST_F(Lifecycle, AnotherThreadMayDrawOnAWindowWhileItIsComposed) {
    // The animated-picture pattern: a worker draws through the window's
    // context while the window's thread takes pictures of it.
    HWND hwnd = Top(64, 48);
    std::atomic<bool> stop{false};
    std::thread painter([&] {
        for (int frame = 0; !stop; ++frame) {
            HDC dc = GetDC(hwnd);
            HBRUSH brush = CreateSolidBrush(frame % 2 ? RGB(255, 0, 0) : RGB(0, 0, 255));
            RECT all{0, 0, 64, 48};
            FillRect(dc, &all, brush);
            DeleteObject(brush);
            ReleaseDC(hwnd, dc);
        }
    });
    for (int i = 0; i < 200; ++i) {
        HBITMAP shot = CaptureWindow(hwnd);
        uint32_t corner = BitmapPixels(shot).Row(0)[0] & 0xFFFFFF;
        uint32_t middle = BitmapPixels(shot).Row(30)[40] & 0xFFFFFF;
        DeleteObject(shot);
        // A picture is taken between two frames, never in the middle of one.
        if (corner == 0xFF0000u || corner == 0x0000FFu) {
            EXPECT_EQ(corner, middle);
        }
    }
    stop = true;
    painter.join();
}
