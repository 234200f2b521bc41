// Test helpers: a recording window class, message pumping, and memory-only
// presentation so the tests never need a display.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/windowing/windows.h"

namespace wintest {

using namespace platform;

struct Event {
    HWND hwnd;
    uint32_t message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message a recording window receives, in order.
inline std::vector<Event>& Log() {
    static std::vector<Event> log;
    return log;
}

inline LRESULT RecordingProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Event{hwnd, message, wParam, lParam});
    return DefWindowProc(hwnd, message, wParam, lParam);
}

inline const char* RecordingClass() {
    static bool registered = [] {
        WNDCLASS c;
        c.lpfnWndProc = RecordingProc;
        c.lpszClassName = "RecordingWindow";
        c.style = CS_DBLCLKS;
        c.cbWndExtra = 16;
        c.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1));
        return RegisterClass(&c) != 0;
    }();
    EXPECT_TRUE(registered);
    return "RecordingWindow";
}

inline HWND MakeWindow(int x, int y, int w, int h, HWND parent = nullptr, int id = 0,
                       uint32_t style = WS_VISIBLE) {
    uint32_t full = style | (parent ? WS_CHILD : WS_OVERLAPPEDWINDOW);
    return CreateWindowEx(0, RecordingClass(), "test", full, x, y, w, h, parent,
                          reinterpret_cast<void*>(intptr_t(id)), nullptr, nullptr);
}

inline void Pump() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            break;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

// Messages of one kind (or all) for one window, from the log.
inline std::vector<Event> For(HWND hwnd, uint32_t message = 0) {
    std::vector<Event> out;
    for (const Event& e : Log()) {
        if (e.hwnd == hwnd && (message == 0 || e.message == message))
            out.push_back(e);
    }
    return out;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPresentationMode(PresentationMode::Memory);
        Pump();
        Log().clear();
    }
    void TearDown() override {
        for (HWND hwnd : created_) {
            if (IsWindow(hwnd))
                DestroyWindow(hwnd);
        }
        Pump();
        Log().clear();
    }
    HWND Top(int w = 200, int h = 150) {
        HWND hwnd = MakeWindow(10, 10, w, h);
        created_.push_back(hwnd);
        return hwnd;
    }
    std::vector<HWND> created_;
};

}  // namespace wintest
