// Windows of any thread on a display. SDL's dummy video driver stands in
// for a display, so this runs headless: input is pushed as SDL events, the
// way the display reports a person's clicks, and the pixels the display
// window shows are read back. Skipped where SDL cannot start at all.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/dialogs/dialog_navigation.h"
#include "platform/dialogs/message_box_dialog.h"
#include "platform/windowing/display_inspection.h"
#include "platform/windowing/windows.h"

using namespace platform;
using platform::win::DisplayWindowFlags;
using platform::win::DisplayWindowId;
using platform::win::ReadDisplayedPixels;

namespace {

constexpr const char* kClass = "DisplayThreadsTestWindow";
constexpr intptr_t kQuitOnDestroy = 1;
constexpr COLORREF kSquare = RGB(200, 30, 40);
// Waiting is bounded only so that a fault fails the test instead of hanging
// it; nothing here depends on how long anything takes.
constexpr auto kPatience = std::chrono::seconds(20);

struct Seen {
    HWND hwnd;
    uint32_t message;
    WPARAM wParam;
    LPARAM lParam;
    ThreadId thread;
};

// What the window procedures saw, from whichever thread they ran on.
class Journal {
public:
    void Add(const Seen& seen) {
        std::lock_guard lock(mutex_);
        entries_.push_back(seen);
        changed_.notify_all();
    }
    std::vector<Seen> Of(HWND hwnd, uint32_t message) {
        std::lock_guard lock(mutex_);
        std::vector<Seen> out;
        for (const Seen& s : entries_) {
            if (s.hwnd == hwnd && s.message == message)
                out.push_back(s);
        }
        return out;
    }
    // For entries another thread adds while this one need not pump.
    bool WaitFor(HWND hwnd, uint32_t message,
                 const std::function<bool(const Seen&)>& matches = nullptr) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] {
            for (const Seen& s : entries_) {
                if (s.hwnd == hwnd && s.message == message && (!matches || matches(s)))
                    return true;
            }
            return false;
        });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Seen> entries_;
};

Journal& TheJournal() {
    static Journal journal;
    return journal;
}

LRESULT JournalProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_KEYDOWN:
        case WM_CHAR:
        case WM_MOVE:
        case WM_CLOSE:
        case WM_ENABLE:
            TheJournal().Add(Seen{hwnd, message, wParam, lParam, GetCurrentThreadId()});
            break;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            RECT square{20, 20, 30, 30};
            HBRUSH brush = CreateSolidBrush(kSquare);
            FillRect(dc, &square, brush);
            DeleteObject(brush);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_DESTROY:
            if (GetWindowLongPtr(hwnd, GWLP_USERDATA) == kQuitOnDestroy)
                PostQuitMessage(0);
            break;
        default:
            break;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

HWND MakeWindow(const char* title, int x, int y, int width, int height, uint32_t exStyle = 0) {
    return CreateWindowEx(exStyle, kClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width,
                          height, nullptr, nullptr, nullptr, nullptr);
}

void PushMouse(uint32_t type, uint32_t windowId, int x, int y) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_MOUSEMOTION) {
        event.motion.windowID = windowId;
        event.motion.x = x;
        event.motion.y = y;
    } else {
        event.button.windowID = windowId;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = x;
        event.button.y = y;
    }
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// A person clicking at (x, y) of a display window.
void PushClick(uint32_t windowId, int x, int y) {
    PushMouse(SDL_MOUSEMOTION, windowId, x, y);
    PushMouse(SDL_MOUSEBUTTONDOWN, windowId, x, y);
    PushMouse(SDL_MOUSEBUTTONUP, windowId, x, y);
}

// What the window manager does to a window (its close button, the
// keyboard focus).
void PushWindowEvent(uint8_t what, uint32_t windowId, int data1 = 0, int data2 = 0) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = what;
    event.window.windowID = windowId;
    event.window.data1 = data1;
    event.window.data2 = data2;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void PushKey(uint32_t type, uint32_t windowId, SDL_Keycode key) {
    SDL_Event event{};
    event.type = type;
    event.key.windowID = windowId;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void PushClose(uint32_t windowId) {
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE, windowId);
}

void PumpOnce() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

// Runs the calling thread's messages until `done` holds.
bool PumpUntil(const std::function<bool()>& done) {
    auto giveUp = std::chrono::steady_clock::now() + kPatience;
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        PumpOnce();
        WaitMessage(10);
    }
    return true;
}

// The visible top-level window owned by `owner` (its dialog), or null.
HWND OwnedWindow(HWND owner) {
    struct Search {
        HWND owner;
        HWND found = nullptr;
    } search{owner};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (GetWindow(hwnd, GW_OWNER) == s->owner && IsWindowVisible(hwnd)) {
                s->found = hwnd;
                return false;
            }
            return true;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class DisplayThreads : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (SetPresentationMode(PresentationMode::Display) != PresentationMode::Display)
            GTEST_SKIP() << "SDL cannot start here";
        ASSERT_TRUE(EnsureWindowClass(kClass, JournalProc, COLOR_WINDOW));
    }
};

TEST_F(DisplayThreads, WorkerWindowIsShownAndItsInputAndCloseRunOnItsThread) {
    std::promise<std::pair<HWND, ThreadId>> made;
    std::thread worker([&made] {
        HWND window = MakeWindow("worker window", 40, 30, 200, 150);
        SetWindowLongPtr(window, GWLP_USERDATA, kQuitOnDestroy);
        UpdateWindow(window);
        made.set_value({window, GetCurrentThreadId()});
        MSG msg;
        while (GetMessage(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    });
    auto [window, workerThread] = made.get_future().get();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(workerThread, GetCurrentThreadId());

    // On the display, showing exactly the window's own pixels.
    uint32_t id = DisplayWindowId(window);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(DisplayWindowFlags(window) & SDL_WINDOW_SHOWN);
    std::vector<uint32_t> shown;
    int width = 0, height = 0;
    ASSERT_TRUE(ReadDisplayedPixels(window, &shown, &width, &height));
    ASSERT_EQ(width, 200);
    ASSERT_EQ(height, 150);
    HBITMAP own = CaptureWindow(window);
    PixelView pixels = BitmapPixels(own);
    int different = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            different += (shown[size_t(y) * width + x] & 0xFFFFFF) != (pixels.Row(y)[x] & 0xFFFFFF);
    DeleteObject(own);
    EXPECT_EQ(different, 0);
    uint32_t square = RGB(200, 30, 40);
    uint32_t expected = (square & 0xFF) << 16 | (square & 0xFF00) | (square >> 16 & 0xFF);
    EXPECT_EQ(shown[25 * 200 + 25] & 0xFFFFFF, expected);
    EXPECT_EQ(shown[5 * 200 + 5] & 0xFFFFFF, 0xFFFFFFu);

    // A click reaches the window procedure on the worker's thread, at the
    // point clicked.
    PushClick(id, 25, 35);
    ASSERT_TRUE(TheJournal().WaitFor(window, WM_LBUTTONUP));
    std::vector<Seen> downs = TheJournal().Of(window, WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].thread, workerThread);
    EXPECT_EQ(GET_X_LPARAM(downs[0].lParam), 25);
    EXPECT_EQ(GET_Y_LPARAM(downs[0].lParam), 35);
    EXPECT_EQ(TheJournal().Of(window, WM_LBUTTONUP)[0].thread, workerThread);

    // Keys go to the window with the keyboard, on its thread, and are
    // translated into characters there.
    PushKey(SDL_KEYDOWN, id, SDLK_q);
    PushKey(SDL_KEYUP, id, SDLK_q);
    ASSERT_TRUE(TheJournal().WaitFor(window, WM_CHAR));
    std::vector<Seen> keys = TheJournal().Of(window, WM_KEYDOWN);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].wParam, WPARAM('Q'));
    EXPECT_EQ(keys[0].thread, workerThread);
    EXPECT_EQ(TheJournal().Of(window, WM_CHAR)[0].wParam, WPARAM('q'));

    // The window manager moves the window: the window follows, on its
    // thread.
    PushWindowEvent(SDL_WINDOWEVENT_MOVED, id, 300, 200);
    ASSERT_TRUE(TheJournal().WaitFor(window, WM_MOVE, [](const Seen& s) {
        return GET_X_LPARAM(s.lParam) == 300 && GET_Y_LPARAM(s.lParam) == 200;
    }));
    RECT placed;
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, 300);
    EXPECT_EQ(placed.top, 200);
    EXPECT_EQ(TheJournal().Of(window, WM_MOVE).back().thread, workerThread);

    // The close button asks the worker's window to close, on its thread; it
    // closes, its thread ends, and its display window goes.
    PushClose(id);
    ASSERT_TRUE(TheJournal().WaitFor(window, WM_CLOSE));
    worker.join();
    EXPECT_EQ(TheJournal().Of(window, WM_CLOSE)[0].thread, workerThread);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(DisplayWindowId(window), 0u);
}

TEST_F(DisplayThreads, WorkersMessageBoxKeepsTheMainWindowDisabledUntilItsOkIsClicked) {
    HWND owner = MakeWindow("main window", 100, 100, 400, 300);
    ASSERT_NE(owner, nullptr);
    PumpOnce();
    ThreadId mainThread = GetCurrentThreadId();
    ASSERT_EQ(GetActiveWindow(), owner);

    std::atomic<int> answer{-1};
    std::thread worker([&] {
        // "转换完成" as a runtime (GB18030) text.
        answer = dialogs::ShowMessageBoxDialog(reinterpret_cast<uintptr_t>(owner),
                                               "\xD7\xAA\xBB\xBB\xCD\xEA\xB3\xC9", "picbatch",
                                               dialogs::MB_OK | dialogs::MB_ICONINFORMATION);
        PostThreadMessage(mainThread, WM_NULL, 0, 0);
    });

    // The main thread keeps running its messages, as its event loop would.
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (box = OwnedWindow(owner)) != nullptr; }));
    EXPECT_NE(GetWindowThreadProcessId(box, nullptr), mainThread);
    EXPECT_FALSE(IsWindowEnabled(owner));
    std::vector<Seen> enables = TheJournal().Of(owner, WM_ENABLE);
    ASSERT_EQ(enables.size(), 1u);
    EXPECT_EQ(enables[0].wParam, 0u);
    EXPECT_EQ(enables[0].thread, mainThread);
    uint32_t boxId = DisplayWindowId(box);
    ASSERT_NE(boxId, 0u);
    // The window manager moves the keyboard to the box, as a display would.
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST, DisplayWindowId(owner));
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED, boxId);
    PumpOnce();
    EXPECT_EQ(GetActiveWindow(), nullptr);

    // While the box is open the main window takes no clicks and cannot be
    // closed.
    uint32_t ownerId = DisplayWindowId(owner);
    PushClick(ownerId, 50, 50);
    PushClose(ownerId);
    PumpOnce();
    EXPECT_TRUE(TheJournal().Of(owner, WM_LBUTTONDOWN).empty());
    EXPECT_TRUE(TheJournal().Of(owner, WM_CLOSE).empty());
    EXPECT_TRUE(IsWindow(owner));

    // A person clicks OK on the box.
    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr);
    RECT button, frame;
    GetWindowRect(ok, &button);
    GetWindowRect(box, &frame);
    PushClick(boxId, (button.left + button.right) / 2 - frame.left,
              (button.top + button.bottom) / 2 - frame.top);
    ASSERT_TRUE(PumpUntil([&] { return answer.load() != -1; }));
    worker.join();

    EXPECT_EQ(answer.load(), IDOK);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(DisplayWindowId(box), 0u);
    EXPECT_TRUE(IsWindowEnabled(owner));
    enables = TheJournal().Of(owner, WM_ENABLE);
    ASSERT_EQ(enables.size(), 2u);
    EXPECT_EQ(enables[1].wParam, 1u);
    EXPECT_EQ(enables[1].thread, mainThread);
    // The main thread's window is active again, though the window manager
    // said nothing.
    EXPECT_EQ(GetActiveWindow(), owner);
    DestroyWindow(owner);
}

// Files dropped by another program on a worker's window reach the drop
// handler on the worker's thread, in order.
struct DropRecord {
    HWND window;
    int event;
    std::string item;
    ThreadId thread;
};
std::mutex g_dropsMutex;
std::vector<DropRecord> g_drops;

void RecordDrop(HWND topLevel, int event, const char* utf8, int, int) {
    std::lock_guard lock(g_dropsMutex);
    g_drops.push_back(DropRecord{topLevel, event, utf8, GetCurrentThreadId()});
}

void PushDrop(uint32_t type, uint32_t windowId, const char* file) {
    SDL_Event event{};
    event.type = type;
    event.drop.windowID = windowId;
    event.drop.file = file ? SDL_strdup(file) : nullptr;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

TEST_F(DisplayThreads, DropsOnAWorkersWindowReachItsThread) {
    SetDisplayDropHandler(&RecordDrop);
    std::promise<std::pair<HWND, ThreadId>> made;
    std::thread worker([&made] {
        HWND window = MakeWindow("drop target", 0, 0, 120, 90);
        SetWindowLongPtr(window, GWLP_USERDATA, kQuitOnDestroy);
        made.set_value({window, GetCurrentThreadId()});
        MSG msg;
        while (GetMessage(&msg, nullptr, 0, 0) > 0)
            DispatchMessage(&msg);
    });
    auto [window, workerThread] = made.get_future().get();
    uint32_t id = DisplayWindowId(window);
    PushDrop(SDL_DROPBEGIN, id, nullptr);
    PushDrop(SDL_DROPFILE, id, "/photos/\xE7\x85\xA7\xE7\x89\x87.jpg");
    PushDrop(SDL_DROPCOMPLETE, id, nullptr);
    PushClose(id);
    worker.join();  // the close comes after the drop, on the same road
    SetDisplayDropHandler(nullptr);

    std::lock_guard lock(g_dropsMutex);
    ASSERT_EQ(g_drops.size(), 3u);
    EXPECT_EQ(g_drops[0].event, 0);
    EXPECT_EQ(g_drops[1].event, 1);
    EXPECT_EQ(g_drops[1].item, "/photos/\xE7\x85\xA7\xE7\x89\x87.jpg");
    EXPECT_EQ(g_drops[2].event, 3);
    for (const DropRecord& d : g_drops) {
        EXPECT_EQ(d.window, window);
        EXPECT_EQ(d.thread, workerThread);
    }
}

TEST_F(DisplayThreads, WindowsOfAThreadThatEndsLeaveTheDisplay) {
    HWND left = nullptr;
    std::thread worker([&left] { left = MakeWindow("left behind", 0, 0, 80, 60); });
    worker.join();
    ASSERT_NE(left, nullptr);
    EXPECT_FALSE(IsWindow(left));
    EXPECT_EQ(DisplayWindowId(left), 0u);
}

TEST_F(DisplayThreads, TopmostWindowIsKeptAboveOnTheDisplay) {
    HWND plain = MakeWindow("plain", 10, 10, 100, 80);
    HWND topmost = MakeWindow("topmost", 20, 20, 100, 80, WS_EX_TOPMOST);
    EXPECT_FALSE(DisplayWindowFlags(plain) & SDL_WINDOW_ALWAYS_ON_TOP);
    EXPECT_TRUE(DisplayWindowFlags(topmost) & SDL_WINDOW_ALWAYS_ON_TOP);
    DestroyWindow(topmost);
    DestroyWindow(plain);
}

}  // namespace
