// The library's entry points as the system and the application use them,
// a start window of the batch tool's shape, and skinning on two threads.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "libs/desktop/skin/scheme_tables.h"
#include "tests/skin/skin_test_support.h"

using namespace skintest;
using namespace desktop::skin;

namespace {

intptr_t g_systemCalls = 0;
intptr_t FakeSystem(int32_t message, intptr_t, intptr_t) {
    ++g_systemCalls;
    return message == rt::SN_IS_PRESENT ? 1 : 0;
}

TEST_F(SkinTest, LibraryNotifyKeepsTheSystemEntryAndCleansUp) {
    const rt::LibraryInfo& info = desktop::SkinLibraryInfo();
    ASSERT_NE(info.notify, nullptr);
    EXPECT_EQ(info.typeCount, 0);
    EXPECT_EQ(desktop::kSkinLibraryNumber, 6u);

    EXPECT_EQ(desktop::SkinSystemCallback().Call(rt::SN_IS_PRESENT, 0, 0), 0);
    EXPECT_EQ(info.notify(rt::LN_SET_SYSTEM, reinterpret_cast<intptr_t>(&FakeSystem), 0), 0);
    EXPECT_EQ(desktop::SkinSystemCallback().Call(rt::SN_IS_PRESENT, 0, 0), 1);
    EXPECT_EQ(info.notify(rt::LN_TYPE_QUERY, 0, 0), -1);
    EXPECT_EQ(info.notify(2, 0, 0), -1);

    HWND button = Make(kButtonClass, "Go", BS_PUSHBUTTON, 10, 10, 80, 26);
    CallSetSkinScheme(2);
    ASSERT_TRUE(IsSubclassed(button));
    EXPECT_EQ(info.notify(rt::LN_CLEANUP, 0, 0), 0);
    EXPECT_FALSE(Engine().IsOn());
    EXPECT_FALSE(IsSubclassed(button));
    EXPECT_EQ(Engine().RecordCount(), 0u);
    desktop::SkinSystemCallback().Set(nullptr);
}

// The batch tool's start window: its own top-level class with a button,
// a drop-down list and a progress bar, skinned by its load handler.
TEST_F(SkinTest, AStartWindowIsAttachedAndPaintedInSchemeTwo) {
    static bool registered = ctltest::RegisterFaceClass("SkinTestStartWindow", DefWindowProc);
    ASSERT_TRUE(registered);
    HWND window =
        CreateWindowEx(0, "SkinTestStartWindow", "convert", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                       50, 400, 200, nullptr, nullptr, nullptr, nullptr);
    HWND folder =
        Make(kButtonClass, "Folder...", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 100, 28, window);
    HWND format =
        Make(kComboBoxClass, "", CBS_DROPDOWNLIST | WS_TABSTOP, 120, 10, 120, 120, window);
    for (const char* name : {"JPEG", "TIFF", "PNG"})
        SendMessage(format, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessage(format, CB_SETCURSEL, 0, 0);
    HWND progress = Make(kProgressClass, "", 0, 10, 60, 230, 16, window);
    Pump();

    EXPECT_EQ(CallSetSkinScheme(2).asInt(), 1);
    EXPECT_EQ(RecordOf(window), nullptr);
    EXPECT_EQ(RecordOf(progress), nullptr);
    ASSERT_NE(RecordOf(folder), nullptr);
    ASSERT_NE(RecordOf(format), nullptr);
    EXPECT_EQ(RecordOf(folder)->kind, KIND_PUSH_BUTTON);
    EXPECT_EQ(RecordOf(format)->kind, KIND_COMBO_BOX);
    Pump();
    EXPECT_EQ(PixelOf(folder, 1, 14), PushButtonFrameColor(2));
    const GradientSet& normal = PushButtonSet(2, PUSH_FACE_NORMAL);
    EXPECT_EQ(PixelOf(folder, 50, 2), normal.topLeft & 0xFFFFFF);
    EXPECT_EQ(PixelOf(format, 0, 5), SchemeEdgeColor(2));
    // The whole window, as a screenshot would show it, has the skinned
    // button in it.
    HBITMAP shot = CaptureWindow(window);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, shot);
    EXPECT_EQ(GetPixel(memory, 10 + 1, 10 + 14), PushButtonFrameColor(2));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(shot);
    CallSetSkinScheme(0);
    DestroyWindow(window);
}

// Each thread skins its own windows in its own scheme; neither sees the
// other's records, and one thread's turning off leaves the other's on. The
// threads take turns (the drawing layer's shared default bitmap is not
// meant for two threads' contexts at once), each keeping its windows
// skinned while the other works.
TEST(SkinThreads, EachThreadSkinsOnlyItsOwnWindows) {
    SetPresentationMode(PresentationMode::Memory);
    ASSERT_TRUE(RegisterStandardControls());
    std::mutex lock;
    std::condition_variable changed;
    int turn = 0;
    std::atomic<int> failures{0};
    auto inTurn = [&](int me, auto step) {
        std::unique_lock hold(lock);
        changed.wait(hold, [&] { return turn == me; });
        step();
        turn = 1 - me;
        changed.notify_all();
    };
    auto run = [&](int me, int scheme) {
        HWND top = nullptr, button = nullptr;
        inTurn(me, [&] {
            top = CreateWindowEx(0, kStaticClass, "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
            button = CreateWindowEx(0, kButtonClass, "", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10,
                                    10, 80, 30, top, nullptr, nullptr, nullptr);
            if (CallSetSkinScheme(scheme).asInt() != 1)
                ++failures;
        });
        for (int round = 0; round < 10; ++round) {
            inTurn(me, [&] {
                // Still as this thread left it, whatever the other did.
                if (Engine().Scheme() != scheme || Engine().RecordCount() != 1 ||
                    !IsSubclassed(button))
                    ++failures;
                InvalidateRect(button, nullptr, true);
                UpdateWindow(button);
                if (PixelOf(button, 1, 15) != PushButtonFrameColor(scheme))
                    ++failures;
                HWND later =
                    CreateWindowEx(0, kButtonClass, "x", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, 10,
                                   50, 80, 20, top, nullptr, nullptr, nullptr);
                if (!RecordOf(later) || Engine().RecordCount() != 2)
                    ++failures;
                DestroyWindow(later);
                Pump();
                if (CallSetSkinScheme(scheme).asInt() != 1)
                    ++failures;
            });
        }
        inTurn(me, [&] {
            CallSetSkinScheme(0);
            if (Engine().RecordCount() != 0 || IsSubclassed(button))
                ++failures;
            DestroyWindow(top);
        });
    };
    std::thread blue(run, 0, 1), silver(run, 1, 3);
    blue.join();
    silver.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(Engine().RecordCount(), 0u);
}

}  // namespace
