// Test helpers: a parent window that records the notifications its
// controls send, message pumping, and memory-only presentation.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "tests/controls/test_windows.h"

namespace ctltest {

using namespace platform;

struct Notification {
    uint32_t message;
    int id;
    uint16_t code;  // WM_COMMAND code, WM_NOTIFY code, or scroll code
    HWND from;
};

inline std::vector<Notification>& Notes() {
    static std::vector<Notification> notes;
    return notes;
}
// What the parent answers to UDN_DELTAPOS (non-zero refuses the step).
inline LRESULT& RefuseDelta() {
    static LRESULT refuse = 0;
    return refuse;
}
inline int& DrawItemCount() {
    static int count = 0;
    return count;
}

inline LRESULT ParentProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Notes().push_back(
                {message, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<const NMHDR*>(lParam);
            Notes().push_back(
                {message, int(header->idFrom), uint16_t(header->code), header->hwndFrom});
            return RefuseDelta();
        }
        case WM_VSCROLL:
        case WM_HSCROLL:
            Notes().push_back({message, 0, LOWORD(wParam), reinterpret_cast<HWND>(lParam)});
            return 0;
        case WM_DRAWITEM:
            ++DrawItemCount();
            return 1;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

// The codes of the WM_COMMAND notifications from control `id`, in order.
inline std::vector<uint16_t> CodesFrom(int id) {
    std::vector<uint16_t> codes;
    for (const auto& n : Notes()) {
        if (n.message == WM_COMMAND && n.id == id)
            codes.push_back(n.code);
    }
    return codes;
}
inline int CountOf(int id, uint16_t code) {
    int count = 0;
    for (uint16_t c : CodesFrom(id))
        count += c == code;
    return count;
}

inline std::string TextOf(HWND hwnd) {
    char buffer[512] = {};
    GetWindowText(hwnd, buffer, sizeof buffer);
    return buffer;
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPresentationMode(PresentationMode::Memory);
        ASSERT_TRUE(RegisterStandardControls());
        static bool registered = RegisterFaceClass("ControlTestParent", ParentProc);
        ASSERT_TRUE(registered);
        parent_ = CreateWindowEx(0, "ControlTestParent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        Pump();
        Notes().clear();
        RefuseDelta() = 0;
    }
    void TearDown() override {
        if (IsWindow(parent_))
            DestroyWindow(parent_);
        Pump();
        Notes().clear();
    }
    HWND Make(const char* cls, const char* text, uint32_t style, int x, int y, int w, int h,
              int id) {
        HWND hwnd = CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent_,
                                   reinterpret_cast<void*>(intptr_t(id)), nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr);
        return hwnd;
    }
    // A click at a control's client point, through the top-level window.
    void Click(HWND control, int x, int y) {
        POINT p{x, y};
        MapWindowPoints(control, parent_, &p, 1);
        InjectClick(parent_, p.x, p.y);
        Pump();
    }
    void Key(uint8_t vk) {
        InjectKey(vk, true);
        InjectKey(vk, false);
        Pump();
    }
    void Type(const char* utf8) {
        InjectText(utf8);
        Pump();
    }
    HWND parent_ = nullptr;
};

}  // namespace ctltest
