// Test helpers for the skin: a parent window in memory, message pumping,
// pixels read back from a window, and the gradient arithmetic the painters
// are checked against.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "libs/desktop/skin/skin_engine.h"
#include "libs/desktop/skin/skin_library.h"
#include "platform/controls/controls.h"
#include "tests/controls/test_windows.h"

namespace skintest {

using namespace platform;
using desktop::skin::SkinEngine;
using desktop::skin::SkinRecord;

using ctltest::Pump;

// SetSkinScheme through its command entry, as the application calls it.
inline rt::ResultSlot CallSetSkinScheme(int32_t scheme) {
    rt::ArgRecord arg = rt::ArgRecord::Int(scheme);
    rt::ResultSlot result;
    desktop::SetSkinScheme(&result, 1, &arg);
    return result;
}

inline SkinEngine& Engine() {
    return SkinEngine::ForThisThread();
}
inline SkinRecord* RecordOf(HWND window) {
    return Engine().Find(window);
}
inline bool IsSubclassed(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtr(window, GWLP_WNDPROC)) ==
           &desktop::skin::SkinWindowProc;
}

inline COLORREF PixelOf(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

// One channel of a vertical gradient from `top` to `bottom` over the rows
// [start, start + span), at row y: the 16-bit channel value interpolated
// linearly and cut back to 8 bits.
inline uint32_t LerpChannel(uint32_t top, uint32_t bottom, int y, int start, int span) {
    double value = top * 256.0 + (double(bottom) - double(top)) * 256.0 * (y - start) / span;
    return uint32_t(value) >> 8;
}
inline COLORREF VerticalGradientAt(COLORREF top, COLORREF bottom, int y, int start, int span) {
    uint32_t r = LerpChannel(top & 0xFF, bottom & 0xFF, y, start, span);
    uint32_t g = LerpChannel((top >> 8) & 0xFF, (bottom >> 8) & 0xFF, y, start, span);
    uint32_t b = LerpChannel((top >> 16) & 0xFF, (bottom >> 16) & 0xFF, y, start, span);
    return r | (g << 8) | (b << 16);
}

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPresentationMode(PresentationMode::Memory);
        ASSERT_TRUE(RegisterStandardControls());
        static bool registered = ctltest::RegisterFaceClass("SkinTestParent", DefWindowProc);
        ASSERT_TRUE(registered);
        parent_ = CreateWindowEx(0, "SkinTestParent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        Pump();
    }
    void TearDown() override {
        CallSetSkinScheme(0);
        if (IsWindow(parent_))
            DestroyWindow(parent_);
        Pump();
        EXPECT_EQ(Engine().RecordCount(), 0u);
    }
    HWND Make(const char* cls, const char* text, uint32_t style, int x, int y, int w, int h,
              HWND parent = nullptr, uint32_t exStyle = 0) {
        HWND hwnd = CreateWindowEx(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                   parent ? parent : parent_,
                                   reinterpret_cast<void*>(intptr_t(++nextId_)), nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr);
        return hwnd;
    }
    HWND parent_ = nullptr;
    int nextId_ = 100;
};

}  // namespace skintest
