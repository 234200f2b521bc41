// The drop-down list: entries and selection from the window description,
// the style change that re-creates the control and swaps the colours, and
// the user's choice read back as the content text.
#include "tests/units/unit_test_support.h"

namespace {

using namespace unittest;

constexpr uint32_t kList = 0x16010004;
constexpr uint32_t kType = units::kDropDownListType;
// Property numbers (own index + 8).
constexpr uint32_t kStyle = 8, kContent = 9, kBackground = 14, kCurrent = 19, kEntries = 20;

EventLog g_log;
std::string g_contentDuringEvent;
rt::WindowObject* g_list = nullptr;

void LogSelection(rt::EventInvocation*) {
    g_log.calls.push_back({kList, 0});
    auto* text =
        reinterpret_cast<char*>(uintptr_t(rt::GetUnitProperty(kType, g_list, kContent, -1)));
    g_contentDuringEvent = text ? text : "";
    if (text)
        rt::RtFree(text);
}

class DropDownListTest : public UnitTest {
protected:
    void SetUp() override {
        UnitTest::SetUp();
        g_log = {};
        g_list = list_ = Make(
            kType, kList, BlockBuilder().Text(12, "jpg\ntif\r\npng\n").Word(11, 2).Finish(), 10, 10,
            120, 120, WS_VISIBLE | WS_TABSTOP, {{0, reinterpret_cast<uintptr_t>(&LogSelection)}});
        ASSERT_NE(list_, nullptr);
    }
    void TearDown() override {
        g_list = nullptr;
        UnitTest::TearDown();
    }
    int ChildCount() {
        int count = 0;
        for (HWND w = GetWindow(WindowOf(list_), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            ++count;
        return count;
    }
    rt::WindowObject* list_ = nullptr;
};

TEST_F(DropDownListTest, TheDescriptionsEntriesAndSelectionAreShown) {
    EXPECT_EQ(StyleOf(list_) & CBS_KINDMASK, CBS_DROPDOWNLIST);
    EXPECT_EQ(SendMessage(WindowOf(list_), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(Get(kType, list_, kCurrent), 2u);
    EXPECT_EQ(GetText(kType, list_, kContent), "png");
    EXPECT_EQ(GetText(kType, list_, kEntries), "jpg\ntif\npng\n");
}

TEST_F(DropDownListTest, OnlyAValidIndexSelects) {
    Set(kType, list_, kCurrent, 0);
    EXPECT_EQ(GetText(kType, list_, kContent), "jpg");
    Set(kType, list_, kCurrent, 3);
    EXPECT_EQ(Get(kType, list_, kCurrent), uint32_t(-1));
    EXPECT_EQ(GetText(kType, list_, kContent), "");
    SetText(kType, list_, kContent, "tif");  // a list-only style selects by text
    EXPECT_EQ(Get(kType, list_, kCurrent), 1u);
}

TEST_F(DropDownListTest, AStyleChangeSwapsTheDefaultAndWhiteBackgrounds) {
    HWND before = WindowOf(list_);
    EXPECT_EQ(Get(kType, list_, kBackground), 0xff000000u);
    Set(kType, list_, kStyle, 0);
    EXPECT_EQ(Get(kType, list_, kBackground), 0x00ffffffu);
    // A new control of the new kind, holding what the old one held.
    EXPECT_NE(WindowOf(list_), before);
    EXPECT_FALSE(IsWindow(before));
    EXPECT_EQ(StyleOf(list_) & CBS_KINDMASK, CBS_DROPDOWN);
    EXPECT_EQ(ChildCount(), 1);  // its edit field
    EXPECT_NE(StyleOf(list_) & WS_VISIBLE, 0u);
    EXPECT_EQ(GetText(kType, list_, kContent), "png");
    EXPECT_EQ(GetText(kType, list_, kEntries), "jpg\ntif\npng\n");
    Set(kType, list_, kStyle, 2);
    EXPECT_EQ(Get(kType, list_, kBackground), 0xff000000u);
    EXPECT_EQ(ChildCount(), 0);
    // The same style again changes nothing; other colours are kept.
    Set(kType, list_, kBackground, 0x00336699);
    HWND same = WindowOf(list_);
    Set(kType, list_, kStyle, 7);  // clamped to 2
    EXPECT_EQ(WindowOf(list_), same);
    Set(kType, list_, kStyle, 1);
    EXPECT_EQ(Get(kType, list_, kBackground), 0x00336699u);
    EXPECT_EQ(Get(kType, list_, kStyle), 1u);
}

TEST_F(DropDownListTest, TheUsersChoiceIsTheContentTextWhenItsEventRuns) {
    SetFocus(WindowOf(list_));
    InjectKey(VK_UP, true);
    InjectKey(VK_UP, false);
    Pump();
    EXPECT_EQ(g_log.CountOf(kList, 0), 1);
    EXPECT_EQ(g_contentDuringEvent, "tif");
    EXPECT_EQ(Get(kType, list_, kCurrent), 1u);
    // The list keeps its arrow keys from the window's conventions.
    auto claims = Entry<rt::UnitClaimsKeyRoutine>(kType, rt::UNIT_ENTRY_CLAIMS_KEY);
    ASSERT_NE(claims, nullptr);
    EXPECT_EQ(claims(list_, VK_DOWN), 1);
    EXPECT_EQ(claims(list_, VK_RETURN), 0);
    EXPECT_EQ(claims(list_, VK_TAB), 0);
}

}  // namespace
