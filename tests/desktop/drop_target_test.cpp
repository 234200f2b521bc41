// The drop-target unit inside a window described as the framework would:
// created through its type's entries, registered with AcceptDrops, and
// raising its events through the system into an application-like handler.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <string>
#include <vector>

#include "libs/desktop/droptarget/drop_effect.h"
#include "libs/desktop/droptarget/drop_target_library.h"
#include "libs/desktop/droptarget/drop_target_unit.h"
#include "platform/dragdrop/data_object.h"
#include "platform/dragdrop/drag_session.h"
#include "runtime/event_call.h"
#include "runtime/unit_property_block.h"
#include "tests/desktop/test_system.h"

namespace {

using namespace platform;
using namespace platform::dragdrop;

constexpr uint32_t kWindowId = 0x52010001;
constexpr uint32_t kUnitId = 0x160116f4;

// The events the handlers saw, with their text argument.
struct RaisedEvent {
    int32_t event;
    std::string text;
};
std::vector<RaisedEvent> g_raised;

template <int32_t kEvent>
void OnDropEvent(rt::EventInvocation* call) {
    ASSERT_EQ(call->argumentCount, 1);
    g_raised.push_back({kEvent, reinterpret_cast<const char*>(call->arguments[0])});
}

// The GB18030 bytes of a UTF-8 text, by the C library's converter.
std::string Gb18030(const std::string& utf8) {
    iconv_t converter = iconv_open("GB18030", "UTF-8");
    EXPECT_NE(converter, iconv_t(-1));
    std::string out(utf8.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* at = out.data();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(converter, &in, &inLeft, &at, &outLeft), size_t(-1));
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

std::vector<uint8_t> Properties(uint32_t text, uint32_t second, uint32_t first, uint32_t files) {
    rt::PropertyBlockWriter block;
    block.Word(0, text);
    block.Word(1, second);
    block.Word(2, first);
    block.Word(3, files);
    return block.Finish();
}

template <typename Routine>
Routine Entry(rt::UnitTypeEntry entry) {
    return reinterpret_cast<Routine>(
        desktop::DropTargetLibraryInfo().types[0].findOperation(entry));
}

class DropTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_raised.clear();
        main_ = desktoptest::TestSystem::NewTopLevel("main");
        window_ = system_.AddWindow(kWindowId, main_);
    }
    void TearDown() override {
        system_.App().Windows().Clear();
        if (IsWindow(main_))
            DestroyWindow(main_);
    }

    // Creates the unit through entry 1 and describes it in the window with
    // a handler for each event.
    desktop::DropTargetUnit* AddUnit(const std::vector<uint8_t>& properties,
                                     bool designMode = false) {
        rt::UnitCreateArgs args{};
        args.propertyBlock = properties.empty() ? nullptr : properties.data();
        args.propertyBlockLength = uint32_t(properties.size());
        args.windowId = kWindowId;
        args.unitId = kUnitId;
        args.parent = reinterpret_cast<rt::NativeHandle>(main_);
        args.x = 10;
        args.y = 10;
        args.width = 100;
        args.height = 60;
        args.style = WS_VISIBLE;
        args.designMode = designMode ? 1 : 0;
        auto create = Entry<rt::UnitCreateRoutine>(rt::UNIT_ENTRY_CREATE);
        rt::WindowObject* object = create(&args);
        auto* unit = dynamic_cast<desktop::DropTargetUnit*>(object);
        if (!unit)
            return nullptr;
        system_.AddUnit(*window_, kUnitId, desktop::kDropTargetTypeCode, unit,
                        {{0, reinterpret_cast<uintptr_t>(&OnDropEvent<0>)},
                         {1, reinterpret_cast<uintptr_t>(&OnDropEvent<1>)},
                         {2, reinterpret_cast<uintptr_t>(&OnDropEvent<2>)},
                         {3, reinterpret_cast<uintptr_t>(&OnDropEvent<3>)}});
        return unit;
    }
    bool AcceptDrops(HWND window) {
        rt::ArgRecord args[2] = {
            rt::ArgRecord::Unit(kWindowId, kUnitId, desktop::kDropTargetTypeCode),
            rt::ArgRecord::Int(int32_t(reinterpret_cast<uintptr_t>(window)))};
        rt::ResultSlot result{};
        desktop::AcceptDrops(&result, 2, args);
        EXPECT_EQ(result.type, rt::TYPE_BOOL);
        return result.low == 1;
    }
    // A point inside the unit's window, on the screen.
    POINT OverUnit() {
        POINT point{20, 20};
        ClientToScreen(main_, &point);
        return point;
    }
    static DataObject* Files(const std::vector<std::string>& names) {
        DataObject* data = DataObject::Create();
        data->SetFiles(names);
        return data;
    }
    static DataObject* Text(const std::string& text) {
        DataObject* data = DataObject::Create();
        data->SetText(text);
        return data;
    }
    // The effect a drag of `data` over the unit would have.
    uint32_t DragOver(DataObject* data, uint32_t keys, uint32_t allowed) {
        DragSession session(data, allowed);
        uint32_t effect = session.MoveTo(OverUnit(), keys);
        data->Release();
        return effect;
    }

    desktoptest::TestSystem system_{{{5, &desktop::DropTargetLibraryInfo()}}};
    HWND main_ = nullptr;
    rt::WindowRecord* window_ = nullptr;
};

TEST_F(DropTargetTest, TheTypeResolvesWithEventsAndFourWordProperties) {
    const rt::DataTypeInfo* info = system_.App().ResolveType(0x60001);
    ASSERT_EQ(info, &desktop::DropTargetLibraryInfo().types[0]);
    EXPECT_EQ(system_.Send(rt::SN_GET_TYPE_KIND, 0x60001), 1);
    ASSERT_EQ(info->propertyCount, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(info->properties[i].kind, rt::KIND_WORD);
    EXPECT_EQ(info->findOperation(2), nullptr);
    EXPECT_EQ(info->findOperation(7), nullptr);
    EXPECT_EQ(desktop::DropTargetLibraryNotify(rt::LN_CLEANUP, 0, 0), -1);
}

TEST_F(DropTargetTest, PropertiesComeFromTheBlockAndTravelThroughTheEntries) {
    desktop::DropTargetUnit* unit = AddUnit(Properties(1, 0, 7, 0));
    ASSERT_NE(unit, nullptr);
    auto get = Entry<rt::UnitGetPropertyRoutine>(rt::UNIT_ENTRY_GET_PROPERTY);
    auto set = Entry<rt::UnitSetPropertyRoutine>(rt::UNIT_ENTRY_SET_PROPERTY);
    auto save = Entry<rt::UnitSavePropertiesRoutine>(rt::UNIT_ENTRY_SAVE_PROPERTIES);

    rt::PropertyValue value{55, 66};
    ASSERT_EQ(get(unit, 2, &value), 1);
    EXPECT_EQ(value.w0, 7u);
    EXPECT_EQ(value.w1, 0u);
    value = {55, 66};
    EXPECT_EQ(get(unit, 4, &value), 0);
    EXPECT_EQ(get(unit, -1, &value), 0);
    EXPECT_EQ(value.w0, 55u) << "an unknown index leaves the result alone";

    rt::PropertyValue files{1, 0};
    int32_t cleared = 0;
    EXPECT_EQ(set(unit, 3, &files, &cleared), 0);
    EXPECT_EQ(set(unit, 9, &files, &cleared), 0);
    uint32_t length = 0;
    uint8_t* block = save(unit, &length);
    ASSERT_NE(block, nullptr);
    rt::PropertyBlockReader reader(block, length);
    EXPECT_EQ(reader.Word(0), 1u);
    EXPECT_EQ(reader.Word(1), 0u);
    EXPECT_EQ(reader.Word(2), 7u);
    EXPECT_EQ(reader.Word(3), 1u);
    system_.Send(rt::SN_FREE, reinterpret_cast<intptr_t>(block));

    // The unit's window is a child of the form's window.
    HWND own = reinterpret_cast<HWND>(unit->Handle());
    ASSERT_TRUE(IsWindow(own));
    EXPECT_EQ(GetParent(own), main_);
    EXPECT_TRUE(GetWindowLong(own, GWL_STYLE) & int32_t(WS_CHILD | WS_CLIPSIBLINGS));
}

TEST_F(DropTargetTest, WithoutAParentWindowNoUnitIsMade) {
    rt::UnitCreateArgs args{};
    args.windowId = kWindowId;
    args.unitId = kUnitId;
    args.width = 10;
    args.height = 10;
    EXPECT_EQ(Entry<rt::UnitCreateRoutine>(rt::UNIT_ENTRY_CREATE)(&args), nullptr);
    EXPECT_EQ(Entry<rt::UnitCreateRoutine>(rt::UNIT_ENTRY_CREATE)(nullptr), nullptr);
}

TEST_F(DropTargetTest, AcceptDropsRegistersOnceOnly) {
    ASSERT_NE(AddUnit(Properties(0, 0, 0, 1)), nullptr);
    EXPECT_TRUE(AcceptDrops(main_));
    EXPECT_NE(FindDropTarget(main_), nullptr);
    EXPECT_FALSE(AcceptDrops(main_));
    HWND other = desktoptest::TestSystem::NewTopLevel("other");
    EXPECT_FALSE(AcceptDrops(other));
    EXPECT_EQ(FindDropTarget(other), nullptr);
    DestroyWindow(other);
}

TEST_F(DropTargetTest, AFailedRegistrationKeepsTheWindowSoLaterCallsAreRefused) {
    ASSERT_NE(AddUnit(Properties(0, 0, 0, 1)), nullptr);
    HWND gone = desktoptest::TestSystem::NewTopLevel("gone");
    DestroyWindow(gone);
    EXPECT_FALSE(AcceptDrops(gone));
    EXPECT_FALSE(AcceptDrops(main_));
    EXPECT_EQ(FindDropTarget(main_), nullptr);
}

TEST_F(DropTargetTest, AUnitOfAnotherTypeIsNotRegistered) {
    auto* plain = new rt::WindowObject;
    HWND button = CreateWindowEx(0, "DesktopTestWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                 main_, nullptr, nullptr, nullptr);
    plain->Attach(reinterpret_cast<rt::NativeHandle>(button));
    system_.AddUnit(*window_, kUnitId, 0x10001, plain, {});
    EXPECT_FALSE(AcceptDrops(main_));
    EXPECT_EQ(FindDropTarget(main_), nullptr);
}

TEST_F(DropTargetTest, TheEffectRule) {
    using desktop::ChooseDropEffect;
    constexpr uint32_t kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(ChooseDropEffect(false, 0, kAll), 0u);
    EXPECT_EQ(ChooseDropEffect(true, MK_CONTROL, kAll), DROPEFFECT_COPY);
    EXPECT_EQ(ChooseDropEffect(true, MK_CONTROL | MK_SHIFT, kAll), 0u);
    EXPECT_EQ(ChooseDropEffect(true, MK_SHIFT, kAll), DROPEFFECT_MOVE);
    EXPECT_EQ(ChooseDropEffect(true, MK_SHIFT, DROPEFFECT_COPY), 0u);
    EXPECT_EQ(ChooseDropEffect(true, MK_CONTROL, DROPEFFECT_MOVE), 0u);
    EXPECT_EQ(ChooseDropEffect(true, 0, kAll), DROPEFFECT_COPY);
    EXPECT_EQ(ChooseDropEffect(true, 0, DROPEFFECT_MOVE | DROPEFFECT_LINK), DROPEFFECT_MOVE);
    // A link the source alone allows, not asked for by keys, is made.
    EXPECT_EQ(ChooseDropEffect(true, 0, DROPEFFECT_LINK), DROPEFFECT_LINK);
    EXPECT_EQ(ChooseDropEffect(true, 0, 0), 0u);
}

TEST_F(DropTargetTest, DragsOverTheUnitFollowTheRuleAndTheAcceptedKinds) {
    ASSERT_NE(AddUnit(Properties(0, 0, 0, 1)), nullptr);
    ASSERT_TRUE(AcceptDrops(main_));
    constexpr uint32_t kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    // Text over a unit that takes only files.
    EXPECT_EQ(DragOver(Text("hello"), 0, kAll), 0u);
    EXPECT_EQ(DragOver(Files({"/tmp/a.jpg"}), 0, kAll), DROPEFFECT_COPY);
    EXPECT_EQ(DragOver(Files({"/tmp/a.jpg"}), MK_CONTROL | MK_SHIFT, kAll), 0u);
    EXPECT_EQ(DragOver(Files({"/tmp/a.jpg"}), MK_SHIFT, kAll), DROPEFFECT_MOVE);
    EXPECT_EQ(DragOver(Files({"/tmp/a.jpg"}), MK_SHIFT, DROPEFFECT_COPY), 0u);
}

TEST_F(DropTargetTest, ThreeFilesRaiseEventThreeOnceAndTheDropAnswersFail) {
    ASSERT_NE(AddUnit(Properties(0, 0, 0, 1)), nullptr);
    ASSERT_TRUE(AcceptDrops(main_));
    IDropTarget* target = FindDropTarget(main_);
    ASSERT_NE(target, nullptr);
    DataObject* data = Files({"/tmp/a.jpg", "/tmp/b c.png", "/srv/d.tif"});
    uint32_t effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    POINT at = OverUnit();
    ASSERT_EQ(target->DragEnter(data, 0, POINTL{at.x, at.y}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(data, 0, POINTL{at.x, at.y}, &effect), E_FAIL);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    data->Release();
    ASSERT_EQ(g_raised.size(), 1u);
    EXPECT_EQ(g_raised[0].event, 3);
    EXPECT_EQ(g_raised[0].text, "/tmp/a.jpg\r\n/tmp/b c.png\r\n/srv/d.tif\r\n");
}

TEST_F(DropTargetTest, OneFileIsTheNameAlone) {
    ASSERT_NE(AddUnit(Properties(0, 0, 0, 1)), nullptr);
    ASSERT_TRUE(AcceptDrops(main_));
    DataObject* data = Files({"/tmp/only.bmp"});
    DragSession(data, DROPEFFECT_COPY).Drop(OverUnit(), 0);
    data->Release();
    ASSERT_EQ(g_raised.size(), 1u);
    EXPECT_EQ(g_raised[0].text, "/tmp/only.bmp");
}

TEST_F(DropTargetTest, AChineseFileNameFromAnotherProgramArrivesAsGb18030) {
    ASSERT_NE(AddUnit(Properties(0, 0, 0, 1)), nullptr);
    ASSERT_TRUE(AcceptDrops(main_));
    std::string utf8 = "/home/用户/照片 1.jpg";
    EXPECT_EQ(DeliverExternalDrop(main_, POINT{20, 20}, {utf8, "/tmp/x.png"}, ""), DROPEFFECT_COPY);
    ASSERT_EQ(g_raised.size(), 1u);
    EXPECT_EQ(g_raised[0].text, Gb18030(utf8) + "\r\n/tmp/x.png\r\n");
    EXPECT_EQ(g_raised[0].text.substr(11, 4), "\xD5\xD5\xC6\xAC");  // 照片
}

TEST_F(DropTargetTest, FileDropsSwitchedOnAfterLoadingAreTaken) {
    // The application loads the unit with nothing accepted and then writes
    // its property 3.
    desktop::DropTargetUnit* unit = AddUnit({});
    ASSERT_NE(unit, nullptr);
    ASSERT_TRUE(AcceptDrops(main_));
    EXPECT_EQ(DragOver(Files({"/tmp/a.jpg"}), 0, DROPEFFECT_COPY), 0u);
    rt::PropertyValue on{1, 0};
    int32_t cleared = 0;
    Entry<rt::UnitSetPropertyRoutine>(rt::UNIT_ENTRY_SET_PROPERTY)(unit, 3, &on, &cleared);
    DataObject* data = Files({"/tmp/a.jpg"});
    EXPECT_EQ(DragSession(data, DROPEFFECT_COPY).Drop(OverUnit(), 0), DROPEFFECT_COPY);
    data->Release();
    ASSERT_EQ(g_raised.size(), 1u);
    EXPECT_EQ(g_raised[0].text, "/tmp/a.jpg");
}

TEST_F(DropTargetTest, OneDropRaisesEachAcceptedKindInOrder) {
    ASSERT_NE(AddUnit(Properties(1, 1, 1, 1)), nullptr);
    ASSERT_TRUE(AcceptDrops(main_));
    uint16_t first = RegisterClipboardFormat(desktop::kFirstFormatName);
    uint16_t second = RegisterClipboardFormat(desktop::kSecondFormatName);
    std::string utf8 =
        "naïve\xC2\xA0"
        "café";
    DataObject* data = DataObject::Create();
    data->SetText("plain");
    data->SetData(second, std::vector<uint8_t>(utf8.begin(), utf8.end()));
    data->SetData(first, {'{', '\\', 'r', 't', 'f', '1', '}', 0});
    data->SetFiles({"/tmp/a.jpg"});
    EXPECT_EQ(DragSession(data, DROPEFFECT_COPY).Drop(OverUnit(), 0), DROPEFFECT_COPY);
    data->Release();
    ASSERT_EQ(g_raised.size(), 4u);
    // The text event takes the source's UTF-8 text over its plain text.
    EXPECT_EQ(g_raised[0].event, 0);
    EXPECT_EQ(g_raised[0].text, Gb18030(utf8));
    EXPECT_EQ(g_raised[1].event, 1);
    EXPECT_EQ(g_raised[1].text, Gb18030("naïve café"));
    EXPECT_EQ(g_raised[2].event, 2);
    EXPECT_EQ(g_raised[2].text, "{\\rtf1}");
    EXPECT_EQ(g_raised[3].event, 3);
    EXPECT_EQ(g_raised[3].text, "/tmp/a.jpg");
}

TEST_F(DropTargetTest, PlainTextIsTakenWhenNoUtf8TextIsOffered) {
    ASSERT_NE(AddUnit(Properties(1, 0, 0, 1)), nullptr);
    ASSERT_TRUE(AcceptDrops(main_));
    DataObject* data = Text("\xC4\xE3\xBA\xC3");  // 你好 in GB18030
    EXPECT_EQ(DragSession(data, DROPEFFECT_COPY).Drop(OverUnit(), 0), DROPEFFECT_COPY);
    data->Release();
    ASSERT_EQ(g_raised.size(), 1u);
    EXPECT_EQ(g_raised[0].event, 0);
    EXPECT_EQ(g_raised[0].text, "\xC4\xE3\xBA\xC3");
}

TEST_F(DropTargetTest, ARefusedDropRaisesNothing) {
    ASSERT_NE(AddUnit(Properties(0, 0, 0, 1)), nullptr);
    ASSERT_TRUE(AcceptDrops(main_));
    DataObject* data = Files({"/tmp/a.jpg"});
    EXPECT_EQ(DragSession(data, DROPEFFECT_COPY | DROPEFFECT_LINK)
                  .Drop(OverUnit(), MK_CONTROL | MK_SHIFT),
              0u);
    data->Release();
    EXPECT_TRUE(g_raised.empty());
}

TEST_F(DropTargetTest, InDesignModeDropsRaiseNothing) {
    ASSERT_NE(AddUnit(Properties(1, 1, 1, 1), /*designMode=*/true), nullptr);
    ASSERT_TRUE(AcceptDrops(main_));
    DataObject* data = Files({"/tmp/a.jpg"});
    DragSession(data, DROPEFFECT_COPY).Drop(OverUnit(), 0);
    data->Release();
    EXPECT_TRUE(g_raised.empty());
}

TEST_F(DropTargetTest, DestroyingTheUnitRevokesItsRegistrationAndItsWindow) {
    desktop::DropTargetUnit* unit = AddUnit(Properties(0, 0, 0, 1));
    ASSERT_NE(unit, nullptr);
    HWND own = reinterpret_cast<HWND>(unit->Handle());
    ASSERT_TRUE(AcceptDrops(main_));
    system_.Send(rt::SN_DESTROY_UNIT, kWindowId, kUnitId);
    EXPECT_FALSE(IsWindow(own));
    EXPECT_EQ(FindDropTarget(main_), nullptr);
    EXPECT_TRUE(IsWindow(main_));
}

}  // namespace
