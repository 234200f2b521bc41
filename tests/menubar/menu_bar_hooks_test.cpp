// A window's menu bar kept up to date through the system messages, and its
// accelerators reaching the window through input pre-translation.
#include "runtime/menubar/menu_bar_hooks.h"

#include <gtest/gtest.h>

#include "platform/menus/menus.h"
#include "runtime/application_object.h"
#include "runtime/event_call.h"
#include "runtime/input/pre_translate.h"
#include "runtime/system_hooks.h"
#include "runtime/unit_type.h"
#include "tests/menubar/menu_items.h"

namespace {

using menutest::Item;

constexpr uint32_t kWindowId = 0x52010007;

std::vector<platform::WPARAM>& Commands() {
    static std::vector<platform::WPARAM> commands;
    return commands;
}

platform::LRESULT OwnerProc(platform::HWND hwnd, uint32_t message, platform::WPARAM wParam,
                            platform::LPARAM lParam) {
    if (message == platform::WM_COMMAND)
        Commands().push_back(wParam);
    return platform::DefWindowProc(hwnd, message, wParam, lParam);
}

bool Exists(rt::NativeHandle handle) {
    return platform::IsWindow(reinterpret_cast<platform::HWND>(handle));
}

void ReleaseUnitHandle(uint32_t type, rt::NativeHandle handle) {
    if (type == rt::WINDOW_UNIT_TYPE)
        rt::DestroyWindowAccelerators(handle);
}

class MenuBarHooksTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetPresentationMode(platform::PresentationMode::Memory);
        static bool registered = [] {
            platform::WNDCLASS windowClass;
            windowClass.lpfnWndProc = &OwnerProc;
            windowClass.lpszClassName = "MenuBarHooksTest";
            return platform::RegisterClass(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        rt::NativeWindowHooks natives;
        natives.windowExists = &Exists;
        natives.releaseUnitHandle = &ReleaseUnitHandle;
        rt::SetNativeWindowHooks(natives);
        rt::InstallMenuBarHooks();
        Commands().clear();

        window_ = platform::CreateWindowEx(0, "MenuBarHooksTest", "menus",
                                           platform::WS_OVERLAPPEDWINDOW | platform::WS_VISIBLE, 10,
                                           10, 300, 200, nullptr, nullptr, nullptr, nullptr);
        form_ = new rt::FormWindowObject;
        form_->windowId = kWindowId;
        form_->Attach(reinterpret_cast<rt::NativeHandle>(window_));
        record_ = app_.Windows().AddWindow(kWindowId);
        rt::UnitEntryFields fields;
        fields.type = rt::WINDOW_UNIT_TYPE;
        fields.object = form_;
        std::vector<uint8_t> body = rt::BuildUnitEntry(fields);
        record_->units.Append(body.data(), uint32_t(body.size()), 0x51000000);
        platform::SetActiveWindow(window_);
        platform::SetFocus(window_);
    }
    void TearDown() override {
        platform::DestroyWindow(window_);
        app_.Windows().Clear();
        rt::SetNativeWindowHooks({});
        rt::SetMenuBarHooks({});
    }
    intptr_t Send(int32_t message, intptr_t p1, intptr_t p2 = 0) {
        return app_.Handle(message, p1, p2);
    }
    rt::NativeHandle OwnedTable() { return record_->units.View(0).OwnedHandle(); }
    void Pump(rt::InputTranslator& translator) {
        platform::MSG msg;
        while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
            if (translator.PreTranslate(&msg))
                continue;
            platform::TranslateMessage(&msg);
            platform::DispatchMessage(&msg);
        }
    }

    rt::ApplicationObject app_;
    platform::HWND window_ = nullptr;
    rt::FormWindowObject* form_ = nullptr;
    rt::WindowRecord* record_ = nullptr;
};

TEST_F(MenuBarHooksTest, RebuildAttachesABarAndHandsTheAcceleratorsToTheWindow) {
    menutest::AddItems(record_->units, {{0, "&File"}, {1, "&Open", 0, 15}, {1, "E&xit", 0, 66}});
    EXPECT_EQ(Send(rt::SN_REBUILD_MENU, kWindowId), 1);
    platform::HMENU bar = platform::GetMenu(window_);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(record_->menuBar, reinterpret_cast<rt::NativeHandle>(bar));
    ASSERT_NE(OwnedTable(), 0u);
    EXPECT_EQ(form_->input.accelerators, OwnedTable());

    // A rebuild replaces bar and table and destroys the old ones.
    auto oldTable = reinterpret_cast<platform::HACCEL>(OwnedTable());
    EXPECT_EQ(Send(rt::SN_MARK_MENU_CHANGED, kWindowId), 1);
    EXPECT_TRUE(record_->units.View(0).Flags() & rt::UNIT_FLAG_MENU_CHANGED);
    EXPECT_NE(platform::GetMenu(window_), bar);
    EXPECT_FALSE(platform::IsMenu(bar));
    EXPECT_EQ(platform::CopyAcceleratorTable(oldTable, nullptr, 0), 0);
    EXPECT_EQ(platform::CopyAcceleratorTable(
                  reinterpret_cast<platform::HACCEL>(form_->input.accelerators), nullptr, 0),
              2);
}

TEST_F(MenuBarHooksTest, AcceleratorsOfTheTableReachTheWindowThroughPreTranslation) {
    menutest::AddItems(record_->units, {{0, "&File"},
                                        {1, "&Open", 0, 15},
                                        {1, "&Grey", rt::MENU_FLAG_GREY, 16},
                                        {1, "E&xit", 0, 66}});
    ASSERT_EQ(Send(rt::SN_REBUILD_MENU, kWindowId), 1);
    rt::InputTranslator translator(app_);
    Pump(translator);
    for (uint8_t key : {platform::VK_CONTROL, uint8_t('O')})
        platform::InjectKey(key, true);
    for (uint8_t key : {uint8_t('O'), platform::VK_CONTROL})
        platform::InjectKey(key, false);
    // Ctrl+P is the grey item's: taken but not obeyed.
    for (uint8_t key : {platform::VK_CONTROL, uint8_t('P')})
        platform::InjectKey(key, true);
    for (uint8_t key : {uint8_t('P'), platform::VK_CONTROL})
        platform::InjectKey(key, false);
    for (uint8_t key : {platform::VK_MENU, uint8_t(0x73)})
        platform::InjectKey(key, true);
    for (uint8_t key : {uint8_t(0x73), platform::VK_MENU})
        platform::InjectKey(key, false);
    Pump(translator);
    EXPECT_EQ(Commands(),
              (std::vector<platform::WPARAM>{platform::WPARAM(platform::MAKELPARAM(20001, 1)),
                                             platform::WPARAM(platform::MAKELPARAM(20003, 1))}));
}

TEST_F(MenuBarHooksTest, AWindowWithoutMenuItemsLosesItsBar) {
    menutest::AddItems(record_->units, {{0, "&File"}, {1, "&Open", 0, 15}});
    ASSERT_EQ(Send(rt::SN_REBUILD_MENU, kWindowId), 1);
    ASSERT_NE(platform::GetMenu(window_), nullptr);
    record_->units.RemoveAt(2);
    record_->units.RemoveAt(1);
    EXPECT_EQ(Send(rt::SN_REBUILD_MENU, kWindowId), 1);
    EXPECT_EQ(platform::GetMenu(window_), nullptr);
    EXPECT_EQ(OwnedTable(), 0u);
    EXPECT_EQ(form_->input.accelerators, 0u);
}

TEST_F(MenuBarHooksTest, NoRebuildWithoutANativeWindow) {
    menutest::AddItems(record_->units, {{0, "&File"}, {1, "&Open"}});
    platform::DestroyWindow(window_);
    EXPECT_EQ(Send(rt::SN_REBUILD_MENU, kWindowId), 0);
    EXPECT_EQ(Send(rt::SN_REBUILD_MENU, 0x52010099), 0);
}

TEST_F(MenuBarHooksTest, MenuItemQueryGivesTheTextTheMenuShows) {
    menutest::AddItems(record_->units,
                       {{0, "&File"}, {1, "&Open", 0, 15}, {1, "&Quiet", rt::MENU_FLAG_HIDDEN}});
    rt::MenuItemQuery query{};
    query.windowId = kWindowId;
    query.commandId = 20001;
    ASSERT_EQ(Send(rt::SN_GET_MENU_ITEM, reinterpret_cast<intptr_t>(&query)), 1);
    EXPECT_STREQ(query.text, "&Open\tCtrl+O");
    EXPECT_EQ(query.level, 1);
    EXPECT_EQ(query.visible, 1);
    EXPECT_EQ(query.unitId, record_->units.KeyAt(2));
    query.commandId = 20002;
    ASSERT_EQ(Send(rt::SN_GET_MENU_ITEM, reinterpret_cast<intptr_t>(&query)), 1);
    EXPECT_EQ(query.visible, 0);
    query.commandId = 20003;
    EXPECT_EQ(Send(rt::SN_GET_MENU_ITEM, reinterpret_cast<intptr_t>(&query)), 0);
    query.commandId = 19999;
    EXPECT_EQ(Send(rt::SN_GET_MENU_ITEM, reinterpret_cast<intptr_t>(&query)), 0);
}

}  // namespace
