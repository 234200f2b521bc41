// Message order and routing: sends within sends, sends from other threads,
// hooks seeing creation, subclassing, the destroy sequence, posting and the
// quit message, timers.
#include <atomic>
#include <cstring>
#include <thread>

#include "tests/windowing/window_test_support.h"

using namespace wintest;

namespace {

constexpr uint32_t kOuter = WM_USER + 1;
constexpr uint32_t kInner = WM_USER + 2;
constexpr uint32_t kWhichThread = WM_USER + 3;

std::vector<std::string> g_trace;

LRESULT ReentrantProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kOuter: {
            g_trace.push_back("outer begin");
            LRESULT inner = SendMessage(hwnd, kInner, 20, 0);
            g_trace.push_back("outer end");
            return inner + 1;
        }
        case kInner:
            g_trace.push_back("inner");
            return LRESULT(wParam);
        case kWhichThread:
            return LRESULT(GetCurrentThreadId());
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

void RegisterReentrant() {
    static bool once = [] {
        WNDCLASS c;
        c.lpfnWndProc = ReentrantProc;
        c.lpszClassName = "Reentrant";
        return RegisterClass(&c) != 0;
    }();
    ASSERT_TRUE(once);
}

std::vector<std::pair<HWND, uint32_t>> g_hooked;
LRESULT CALLHook(int code, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code >= 0 && (call->message == WM_NCCREATE || call->message == WM_CREATE)) {
        g_hooked.push_back({call->hwnd, call->message});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

WNDPROC g_original = nullptr;
int g_subclassSeen = 0;
LRESULT SubclassProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        ++g_subclassSeen;
        // Change the text on its way to the original procedure.
        return CallWindowProc(g_original, hwnd, message, wParam,
                              reinterpret_cast<LPARAM>("subclassed"));
    }
    return CallWindowProc(g_original, hwnd, message, wParam, lParam);
}

}  // namespace

class Messages : public WindowTest {};

TEST_F(Messages, SendWithinSendCompletesInnerFirstAndReturnsResults) {
    RegisterReentrant();
    HWND hwnd = CreateWindowEx(0, "reentrant", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr) << "class names compare without case";
    g_trace.clear();
    EXPECT_EQ(SendMessage(hwnd, kOuter, 0, 0), 21);
    EXPECT_EQ(g_trace, (std::vector<std::string>{"outer begin", "inner", "outer end"}));
    DestroyWindow(hwnd);
    EXPECT_EQ(SendMessage(hwnd, kOuter, 0, 0), 0);  // gone: nothing runs
}

TEST_F(Messages, SendFromAnotherThreadRunsOnTheWindowsThread) {
    RegisterReentrant();
    std::atomic<HWND> hwnd{nullptr};
    std::atomic<ThreadId> ownerId{0};
    std::thread owner([&] {
        SetPresentationMode(PresentationMode::Memory);
        ownerId = GetCurrentThreadId();
        hwnd =
            CreateWindowEx(0, "Reentrant", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        MSG msg;
        while (GetMessage(&msg, nullptr, 0, 0) > 0)
            DispatchMessage(&msg);
        DestroyWindow(hwnd);
    });
    while (!hwnd)
        std::this_thread::yield();
    EXPECT_EQ(ThreadId(SendMessage(hwnd, kWhichThread, 0, 0)), ownerId.load());
    EXPECT_NE(ownerId.load(), GetCurrentThreadId());
    g_trace.clear();
    EXPECT_EQ(SendMessage(hwnd, kOuter, 0, 0), 21);  // re-entrant on the owner thread
    EXPECT_EQ(GetWindowThreadProcessId(hwnd, nullptr), ownerId.load());
    // Only the owner destroys a window.
    EXPECT_FALSE(DestroyWindow(hwnd));
    PostThreadMessage(ownerId, WM_QUIT, 0, 0);
    PostMessage(hwnd, WM_CLOSE, 0, 0);  // harmless either way
    PostThreadMessage(ownerId, WM_USER, 0, 0);
    owner.join();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Messages, CallHookSeesWindowCreationOnItsThread) {
    g_hooked.clear();
    HHOOK hook = SetWindowsHookEx(WH_CALLWNDPROC, CALLHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    HWND parent = Top();
    HWND child = MakeWindow(0, 0, 10, 10, parent, 7);
    ASSERT_TRUE(UnhookWindowsHookEx(hook));
    HWND after = MakeWindow(0, 0, 10, 10, parent, 8);
    std::vector<std::pair<HWND, uint32_t>> expected{
        {parent, WM_NCCREATE}, {parent, WM_CREATE}, {child, WM_NCCREATE}, {child, WM_CREATE}};
    EXPECT_EQ(g_hooked, expected);
    char name[64];
    ASSERT_GT(GetClassName(child, name, sizeof name), 0);
    EXPECT_STREQ(name, "RecordingWindow");
    EXPECT_NE(after, nullptr);
    // A hook for another thread is refused.
    EXPECT_EQ(SetWindowsHookEx(WH_CALLWNDPROC, CALLHook, nullptr, GetCurrentThreadId() + 1000),
              nullptr);
}

TEST_F(Messages, SubclassedProcedureChainsToTheOriginal) {
    HWND hwnd = Top();
    g_subclassSeen = 0;
    g_original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<intptr_t>(SubclassProc)));
    ASSERT_EQ(g_original, RecordingProc);
    Log().clear();
    SetWindowText(hwnd, "typed");
    char text[32];
    GetWindowText(hwnd, text, sizeof text);
    EXPECT_STREQ(text, "subclassed");
    EXPECT_EQ(g_subclassSeen, 1);
    // The original still saw the message.
    EXPECT_EQ(For(hwnd, WM_SETTEXT).size(), 1u);
    SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<intptr_t>(g_original));
    SetWindowText(hwnd, "plain");
    GetWindowText(hwnd, text, sizeof text);
    EXPECT_STREQ(text, "plain");
    EXPECT_EQ(g_subclassSeen, 1);
}

TEST_F(Messages, DestroySequenceGoesParentsFirstThenChildrenFirst) {
    HWND parent = Top();
    HWND a = MakeWindow(0, 0, 50, 50, parent, 1);
    HWND a1 = MakeWindow(0, 0, 10, 10, a, 11);
    HWND b = MakeWindow(60, 0, 50, 50, parent, 2);
    SetTimer(a1, 5, 10, nullptr);
    SetProp(b, "Skin", reinterpret_cast<void*>(0x42));
    SetFocus(a1);
    Log().clear();
    ASSERT_TRUE(DestroyWindow(parent));
    std::vector<std::pair<HWND, uint32_t>> teardown;
    for (const Event& e : Log()) {
        if (e.message == WM_DESTROY || e.message == WM_NCDESTROY)
            teardown.push_back({e.hwnd, e.message});
    }
    std::vector<std::pair<HWND, uint32_t>> expected{
        {parent, WM_DESTROY}, {a, WM_DESTROY},    {a1, WM_DESTROY},  {b, WM_DESTROY},
        {b, WM_NCDESTROY},    {a1, WM_NCDESTROY}, {a, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
    EXPECT_EQ(teardown, expected);
    // Focus was taken away before the destroy messages.
    auto kill = For(a1, WM_KILLFOCUS);
    ASSERT_EQ(kill.size(), 1u);
    EXPECT_EQ(GetFocus(), nullptr);
    for (HWND w : {parent, a, a1, b})
        EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(GetProp(b, "skin"), nullptr);
    // Its timer died with it; posts to it fail.
    EXPECT_FALSE(KillTimer(a1, 5));
    EXPECT_FALSE(PostMessage(a, WM_USER, 0, 0));
}

TEST_F(Messages, PostedMessagesComeInOrderAndQuitComesLast) {
    HWND hwnd = Top();
    Pump();
    Log().clear();
    PostMessage(hwnd, WM_USER + 10, 1, 0);
    PostQuitMessage(3);
    PostMessage(hwnd, WM_USER + 11, 2, 0);
    MSG msg;
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, WM_USER + 10);
    DispatchMessage(&msg);
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, WM_USER + 11);
    DispatchMessage(&msg);
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(For(hwnd, WM_USER + 10).size(), 1u);
}

TEST_F(Messages, TimersFireUntilKilledAndCallTheirRoutine) {
    HWND hwnd = Top();
    ASSERT_NE(SetTimer(hwnd, 9, 10, nullptr), 0u);
    static int routineCalls = 0;
    routineCalls = 0;
    uintptr_t threadTimer =
        SetTimer(nullptr, 0, 10, [](HWND, uint32_t, uintptr_t, uint32_t) { ++routineCalls; });
    ASSERT_NE(threadTimer, 0u);
    int timerMessages = 0;
    MSG msg;
    while (timerMessages < 2 || routineCalls < 2) {
        ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
        if (msg.message == WM_TIMER && msg.hwnd == hwnd) {
            EXPECT_EQ(msg.wParam, 9u);
            ++timerMessages;
        }
        DispatchMessage(&msg);
    }
    EXPECT_TRUE(KillTimer(hwnd, 9));
    EXPECT_TRUE(KillTimer(nullptr, threadTimer));
    EXPECT_FALSE(WaitMessage(40));
}

TEST_F(Messages, WindowWordsPropertiesAndEnumeration) {
    HWND parent = Top();
    HWND a = MakeWindow(0, 0, 10, 10, parent, 101);
    HWND b = MakeWindow(0, 0, 10, 10, parent, 102);
    HWND a1 = MakeWindow(0, 0, 5, 5, a, 103);
    EXPECT_EQ(GetDlgItem(parent, 102), b);
    EXPECT_EQ(GetDlgCtrlID(a1), 103);
    EXPECT_EQ(GetParent(a1), a);
    EXPECT_EQ(GetAncestor(a1, GA_ROOT), parent);
    EXPECT_TRUE(IsChild(parent, a1));
    EXPECT_FALSE(IsChild(a, b));
    SetWindowLongPtr(a, 8, 0x1234);
    EXPECT_EQ(GetWindowLongPtr(a, 8), 0x1234);
    EXPECT_EQ(GetWindowLongPtr(a, 12), 0);  // would read past the extra bytes
    EXPECT_TRUE(SetProp(a, "MyProp", reinterpret_cast<void*>(7)));
    EXPECT_EQ(GetProp(a, "MYPROP"), reinterpret_cast<void*>(7));
    EXPECT_EQ(RemoveProp(a, "myprop"), reinterpret_cast<void*>(7));
    EXPECT_EQ(GetProp(a, "MyProp"), nullptr);

    static std::vector<HWND> seen;
    seen.clear();
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM) {
            seen.push_back(h);
            return true;
        },
        0);
    EXPECT_EQ(seen, (std::vector<HWND>{a, a1, b}));
    seen.clear();
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM) {
            seen.push_back(h);
            return true;
        },
        0);
    EXPECT_NE(std::find(seen.begin(), seen.end(), parent), seen.end());
    EXPECT_EQ(std::find(seen.begin(), seen.end(), a), seen.end());  // top-level only
    EXPECT_EQ(GetWindow(parent, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
}
