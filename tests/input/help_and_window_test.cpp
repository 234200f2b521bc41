// F1 help through the desktop's opener, dragging by the client area, other
// windows' own windows as targets, and a window that a handler destroys.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/shell/shell_open.h"
#include "runtime/input/embedded_control.h"
#include "runtime/input/framework_input_hooks.h"
#include "runtime/input/unit_events.h"
#include "runtime/system_hooks.h"
#include "tests/input/test_form.h"

namespace {

using inputtest::Behave;
using inputtest::TestForm;

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = std::filesystem::temp_directory_path() /
                     ("picbatch-help-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory_);
        app_.SetProgramLocation(directory_.string(), "conventions.bin");
        platform::shell::SetLauncher([](const platform::shell::Launch& launch) {
            Behave().launches.push_back(launch.argv.back());
            return true;
        });
        text_ = form_.AddUnit(inputtest::kTextType, platform::kEditClass, "", platform::WS_VISIBLE,
                              10, 40, 100, 24, 0);
        platform::SetFocus(form_.UnitWindow(text_));
        form_.Pump();
    }
    void TearDown() override {
        platform::shell::SetLauncher(nullptr);
        std::filesystem::remove_all(directory_);
    }
    void Write(const std::string& name) {
        std::ofstream(directory_ / name) << "<html><body><a id=\"context-7\">x</a></body></html>";
    }

    std::filesystem::path directory_;
    rt::ApplicationObject app_;
    TestForm form_{app_};
    uint32_t text_ = 0;
};

TEST_F(HelpTest, F1OpensTheHelpFileNamedAfterTheProgram) {
    Write("conventions.html");
    form_.Form().input.f1Help = 1;
    std::vector<uint32_t> consumed = form_.Press({platform::VK_F1});
    ASSERT_EQ(Behave().launches.size(), 1u);
    EXPECT_EQ(Behave().launches[0], (directory_ / "conventions.html").string());
    EXPECT_EQ(form_.Form().input.helpShown, 1);
    EXPECT_EQ(consumed.front(), platform::WM_KEYDOWN);
}

TEST_F(HelpTest, AContextOpensTheDocumentAtItsAnchor) {
    Write("manual.html");
    form_.Form().input.f1Help = 1;
    form_.Form().input.helpFile = "manual.html";
    form_.Form().input.helpContext = 7;
    form_.Press({platform::VK_F1});
    ASSERT_EQ(Behave().launches.size(), 1u);
    EXPECT_EQ(Behave().launches[0],
              "file://" + (directory_ / "manual.html").string() + "#context-7");
}

TEST_F(HelpTest, NoHelpWithoutTheFlagOrTheFile) {
    form_.Form().input.f1Help = 1;
    form_.Press({platform::VK_F1});  // no file
    EXPECT_TRUE(Behave().launches.empty());
    EXPECT_EQ(form_.Form().input.helpShown, 0);

    Write("conventions.html");
    form_.Form().input.f1Help = 0;
    std::vector<uint32_t> consumed = form_.Press({platform::VK_F1});
    EXPECT_TRUE(Behave().launches.empty());
    EXPECT_TRUE(consumed.empty());
}

class WindowInputTest : public ::testing::Test {
protected:
    rt::ApplicationObject app_;
    TestForm form_{app_};
};

TEST_F(WindowInputTest, DragAnywhereMovesTheWindowFromItsClientAreaAndDraggingUnits) {
    uint32_t grip = form_.AddUnit(inputtest::kDraggerType, platform::kStaticClass, "grip",
                                  platform::WS_VISIBLE, 10, 40, 60, 20, -1);
    uint32_t button = form_.AddUnit(inputtest::kButtonType, platform::kButtonClass, "Go",
                                    platform::WS_VISIBLE, 100, 40, 60, 24, 0);
    form_.Form().input.dragAnywhere = 1;
    form_.Pump();
    platform::RECT before;
    platform::GetWindowRect(form_.Window(), &before);

    platform::InjectMouseMove(form_.UnitWindow(grip), 5, 5);
    platform::InjectMouseButton(form_.UnitWindow(grip), 5, 5, platform::MouseButton::Left, true);
    std::vector<uint32_t> consumed = form_.Pump();
    EXPECT_EQ(consumed, std::vector<uint32_t>{platform::WM_LBUTTONDOWN});
    platform::InjectMouseMove(form_.UnitWindow(grip), 35, 25);
    platform::InjectMouseButton(form_.UnitWindow(grip), 35, 25, platform::MouseButton::Left, false);
    form_.Pump();
    platform::RECT after;
    platform::GetWindowRect(form_.Window(), &after);
    EXPECT_EQ(after.left - before.left, 30);
    EXPECT_EQ(after.top - before.top, 20);

    // A press on the window's own client area drags too, and still goes
    // on to the window.
    platform::GetWindowRect(form_.Window(), &before);
    platform::InjectMouseMove(form_.Window(), 300, 200);
    platform::InjectMouseButton(form_.Window(), 300, 200, platform::MouseButton::Left, true);
    EXPECT_TRUE(form_.Pump().empty());
    platform::InjectMouseMove(form_.Window(), 290, 215);
    platform::InjectMouseButton(form_.Window(), 290, 215, platform::MouseButton::Left, false);
    form_.Pump();
    platform::GetWindowRect(form_.Window(), &after);
    EXPECT_EQ(after.left - before.left, -10);
    EXPECT_EQ(after.top - before.top, 15);

    // An ordinary unit keeps its clicks.
    platform::InjectClick(form_.UnitWindow(button), 5, 5);
    consumed = form_.Pump();
    EXPECT_TRUE(consumed.empty());
    EXPECT_EQ(Behave().notifications.size(), 1u);
}

TEST_F(WindowInputTest, AnotherWindowsOwnWindowInsideIsLeftToThatWindow) {
    form_.AddUnit(inputtest::kFilteredType, platform::kStaticClass, "", platform::WS_VISIBLE, 0, 0,
                  10, 10, -1);
    Behave().filterConsumes = true;
    // A second window of the map whose own window lies inside the first.
    platform::HWND inner = platform::CreateWindowEx(
        0, platform::kStaticClass, "", platform::WS_CHILD | platform::WS_VISIBLE, 10, 40, 100, 60,
        form_.Window(), nullptr, nullptr, nullptr);
    rt::WindowRecord* other = app_.Windows().AddWindow(0x52010002);
    rt::UnitEntryFields fields;
    fields.type = rt::WINDOW_UNIT_TYPE;
    fields.object = new rt::WindowObject;
    fields.object->Attach(reinterpret_cast<rt::NativeHandle>(inner));
    std::vector<uint8_t> body = rt::BuildUnitEntry(fields);
    other->units.Append(body.data(), uint32_t(body.size()), 0x51000000);

    platform::MSG down =
        inputtest::Message(inner, platform::WM_LBUTTONDOWN, 0, platform::MAKELPARAM(3, 4));
    EXPECT_FALSE(form_.Translator().PreTranslate(&down));
    EXPECT_TRUE(Behave().filtered.empty());
    // A window that takes foreign units treats it like any window inside.
    form_.Form().input.foreignUnits = 1;
    EXPECT_TRUE(form_.Translator().PreTranslate(&down));
    EXPECT_EQ(Behave().filtered, std::vector<uint32_t>{platform::WM_LBUTTONDOWN});
}

TEST_F(WindowInputTest, AMessageWhoseHandlerDestroyedTheWindowIsConsumed) {
    uint32_t text = form_.AddUnit(inputtest::kTextType, platform::kEditClass, "",
                                  platform::WS_VISIBLE, 10, 40, 100, 24, 0);
    platform::SetFocus(form_.UnitWindow(text));
    form_.Pump();
    // A key-down handler that closes the window and reports no result.
    Behave().destroyOn = {text, rt::EVENT_KEY_DOWN};
    Behave().destroyTarget = form_.Window();
    platform::MSG key = inputtest::Message(form_.UnitWindow(text), platform::WM_KEYDOWN, 'Q', 1);
    EXPECT_TRUE(form_.Translator().PreTranslate(&key));
    EXPECT_FALSE(platform::IsWindow(form_.Window()));
}

TEST_F(WindowInputTest, TheFrameworkSeesPressesAndMayTakeMessagesFirst) {
    uint32_t button = form_.AddUnit(inputtest::kButtonType, platform::kButtonClass, "Go",
                                    platform::WS_VISIBLE, 10, 40, 60, 24, 0);
    static std::vector<platform::HWND> pressed;
    pressed.clear();
    rt::FrameworkInputHooks hooks;
    hooks.toolTipMouseDown = [](platform::HWND target) { pressed.push_back(target); };
    hooks.preTranslate = [](platform::MSG* msg) { return msg->message == platform::WM_KEYUP; };
    rt::SetFrameworkInputHooks(hooks);
    platform::MSG down = inputtest::Message(form_.UnitWindow(button), platform::WM_LBUTTONDOWN, 0,
                                            platform::MAKELPARAM(9, 9));
    EXPECT_FALSE(form_.Translator().PreTranslate(&down));
    platform::MSG up = inputtest::Message(form_.UnitWindow(button), platform::WM_KEYUP, 'A', 1);
    EXPECT_TRUE(form_.Translator().PreTranslate(&up));
    rt::SetFrameworkInputHooks({});
    EXPECT_EQ(pressed, std::vector<platform::HWND>{form_.UnitWindow(button)});
    // The key-up never became a unit event; the press did.
    ASSERT_EQ(Behave().log.size(), 1u);
    EXPECT_EQ(Behave().log[0].arguments, (std::vector<intptr_t>{9, 9, 0}));
}

TEST(InputHooksTest, InstallPutsPreTranslationIntoTheHookTable) {
    rt::InstallInputHooks();
    EXPECT_EQ(rt::Input().preTranslateInput, &rt::PreTranslateInput);
    rt::SetInputHooks({});
}

}  // namespace

namespace {

// An embedded control: its window answers the in-place query; its own
// accelerator is F5 and its own mnemonic the character 'z'.
class TestInPlace : public rt::InPlaceObject {
public:
    bool TranslateAccelerator(platform::MSG* msg) override {
        return msg->message == platform::WM_KEYDOWN && msg->wParam == 0x74;
    }
    bool TakeMnemonic(platform::MSG* msg) override { return msg->wParam == 'z'; }
};
TestInPlace g_inPlace;

platform::LRESULT HostProc(platform::HWND hwnd, uint32_t message, platform::WPARAM wParam,
                           platform::LPARAM lParam) {
    if (message == rt::kInPlaceObjectQuery)
        return reinterpret_cast<platform::LRESULT>(static_cast<rt::InPlaceObject*>(&g_inPlace));
    return platform::DefWindowProc(hwnd, message, wParam, lParam);
}

TEST_F(WindowInputTest, TheFocusedEmbeddedControlTakesItsKeysFirst) {
    static bool registered = [] {
        platform::WNDCLASS host;
        host.lpfnWndProc = &HostProc;
        host.lpszClassName = "EmbeddedHost";
        return platform::RegisterClass(&host) != 0;
    }();
    ASSERT_TRUE(registered);
    uint32_t embedded = form_.AddUnit(inputtest::kEmbeddedType, "EmbeddedHost", "",
                                      platform::WS_VISIBLE, 10, 40, 200, 60, 0);
    // The focus is in a window of the control's own, not in the unit's.
    platform::HWND inner = platform::CreateWindowEx(
        0, platform::kEditClass, "", platform::WS_CHILD | platform::WS_VISIBLE, 5, 5, 100, 24,
        form_.UnitWindow(embedded), nullptr, nullptr, nullptr);
    platform::SetFocus(inner);
    form_.Pump();
    platform::MSG f5 = inputtest::Message(inner, platform::WM_KEYDOWN, 0x74, 1);
    platform::MSG f6 = inputtest::Message(inner, platform::WM_KEYDOWN, 0x75, 1);
    platform::MSG z = inputtest::Message(inner, platform::WM_CHAR, 'z', 1);
    platform::MSG y = inputtest::Message(inner, platform::WM_CHAR, 'y', 1);
    EXPECT_TRUE(form_.Translator().PreTranslate(&f5));
    EXPECT_FALSE(form_.Translator().PreTranslate(&f6));
    EXPECT_TRUE(form_.Translator().PreTranslate(&z));
    EXPECT_FALSE(form_.Translator().PreTranslate(&y));
}

}  // namespace
