// The system notification interface: start-up announcement, type look-ups,
// paths, memory, events, menu-item queries, unit destruction and owned
// objects, each against a hand-built ApplicationObject.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstring>
#include <string>

#include "runtime/application_object.h"
#include "runtime/arg_record.h"
#include "runtime/event_call.h"
#include "runtime/services.h"
#include "runtime/values.h"
#include "tests/runtime_core/test_windows.h"

namespace {

using namespace testsupport;
using rt::ApplicationObject;
using ::testing::HasSubstr;

// A library that keeps its own callback slot and records its messages.
rt::SystemCallbackSlot g_librarySlot;
std::vector<std::pair<int32_t, intptr_t>> g_libraryMessages;

intptr_t RecordingNotify(int32_t message, intptr_t param1, intptr_t param2) {
    g_libraryMessages.emplace_back(message, param1);
    if (message == rt::LN_SET_SYSTEM)
        g_librarySlot.Set(reinterpret_cast<rt::NotifyEntry>(param1));
    if (message == rt::LN_TYPE_QUERY)
        return 700 + param1 + (param2 ? 1000 : 0);
    return 0;
}

const rt::DataTypeInfo kLibraryTwoTypes[] = {{"A", 0, nullptr}, {"B", 0, nullptr}};
const rt::LibraryInfo kRecordingLibrary = {"recording", 2, kLibraryTwoTypes, &RecordingNotify};
const rt::LibraryInfo kSilentLibrary = {"silent", 2, kLibraryTwoTypes, nullptr};

class SystemNotifyTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallFakeNativeWindows();
        g_libraryMessages.clear();
        app_.SetLibrary(0, &TestTypes());
    }
    intptr_t Send(int32_t message, intptr_t p1 = 0, intptr_t p2 = 0) {
        return app_.Handle(message, p1, p2);
    }
    template <typename T>
    static intptr_t P(T* pointer) {
        return reinterpret_cast<intptr_t>(pointer);
    }
    ApplicationObject app_;
};

TEST_F(SystemNotifyTest, LibrariesHearNothingAndGetZeroUntilAnnounced) {
    g_librarySlot.Set(nullptr);
    app_.SetLibrary(3, &kRecordingLibrary);
    app_.SetLibrary(5, &kSilentLibrary);
    EXPECT_EQ(g_librarySlot.Call(rt::SN_IS_PRESENT, 0, 0), 0);
    EXPECT_EQ(g_librarySlot.Call(rt::SN_GET_VERSION, 0, 0), 0);

    // Library slots 1, 2 and 4 are empty and a library without a notify
    // entry is skipped: exactly one announcement goes out.
    app_.AnnounceSystem(&rt::SystemNotify);
    ASSERT_EQ(g_libraryMessages.size(), 1u);
    EXPECT_EQ(g_libraryMessages[0].first, rt::LN_SET_SYSTEM);
    EXPECT_EQ(g_librarySlot.Call(rt::SN_IS_PRESENT, 0, 0), 1);
    g_librarySlot.Set(nullptr);
}

TEST_F(SystemNotifyTest, FixedAnswersAndUnknownMessages) {
    EXPECT_EQ(Send(rt::SN_GET_VERSION), 0x30005);
    EXPECT_EQ(Send(rt::SN_IS_PRESENT), 1);
    EXPECT_EQ(Send(rt::SN_RESERVED_2002, 5, 6), 0);
    EXPECT_EQ(Send(1500), 0);
    EXPECT_EQ(Send(-1), 0);
    EXPECT_EQ(Send(rt::SN_GET_WINDOW_MAP), P(&app_.Windows()));
}

TEST_F(SystemNotifyTest, PathsComeFromTheProgramLocation) {
    app_.SetProgramLocation("/opt/picbatch/bin", "picbatch");
    char first[4096] = "x";
    char second[4096] = "x";
    Send(rt::SN_GET_PATH, 1, P(first));
    Send(rt::SN_GET_PATH, 2001, P(second));
    EXPECT_STREQ(first, "/opt/picbatch/bin/");
    EXPECT_STREQ(second, first);
    Send(rt::SN_GET_PATH, 2002, P(first));
    EXPECT_STREQ(first, "picbatch");
    Send(rt::SN_GET_PATH, 7, P(first));
    EXPECT_STREQ(first, "");
    EXPECT_EQ(Send(rt::SN_GET_PATH, 1, 0), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(Send(rt::SN_GET_PROGRAM_DIR)), "/opt/picbatch/bin");
    EXPECT_STREQ(reinterpret_cast<const char*>(Send(rt::SN_GET_PROGRAM_NAME)), "picbatch");
}

TEST_F(SystemNotifyTest, TypeCodesResolveOnlyWhenLibraryAndIndexExist) {
    app_.SetLibrary(3, &kRecordingLibrary);
    EXPECT_EQ(Send(rt::SN_GET_TYPE_INFO, 0x10003), P(&TestTypes().types[2]));
    EXPECT_EQ(Send(rt::SN_GET_TYPE_INFO, 0x40002), P(&kLibraryTwoTypes[1]));
    EXPECT_EQ(Send(rt::SN_GET_TYPE_INFO, 0x40003), 0);       // beyond the library's types
    EXPECT_EQ(Send(rt::SN_GET_TYPE_INFO, 0x10000), 0);       // type number 0
    EXPECT_EQ(Send(rt::SN_GET_TYPE_INFO, 0x20001), 0);       // an empty library slot
    EXPECT_EQ(Send(rt::SN_GET_TYPE_INFO, 0x90001), 0);       // beyond the table
    EXPECT_EQ(Send(rt::SN_GET_TYPE_INFO, rt::TYPE_INT), 0);  // a system type
    EXPECT_EQ(Send(rt::SN_GET_TYPE_INFO, 0), 0);
    EXPECT_EQ(Send(rt::SN_GET_TYPE_INFO, 0xC0010001u), 0);

    EXPECT_EQ(Send(rt::SN_GET_TYPE_KIND, 0x10006), 2);
    EXPECT_EQ(Send(rt::SN_GET_TYPE_KIND, 0x10001), 1);
    EXPECT_EQ(Send(rt::SN_GET_TYPE_KIND, kQuietType), 0);
    EXPECT_EQ(Send(rt::SN_GET_TYPE_KIND, 0x70001), 0);
}

TEST_F(SystemNotifyTest, TypeQueriesAnswerTheHolderThemselvesAndForwardTheRest) {
    app_.SetLibrary(3, &kRecordingLibrary);
    app_.SetLibrary(5, &kSilentLibrary);
    unsigned char buffer[24];
    std::memset(buffer, 0xAB, sizeof buffer);
    EXPECT_EQ(Send(rt::SN_TYPE_QUERY, rt::CORE_INTERFACE_HOLDER_TYPE, P(buffer)), 1);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(buffer[i], 0) << i;
    EXPECT_EQ(buffer[16], 0xAB);
    EXPECT_TRUE(g_libraryMessages.empty());

    EXPECT_EQ(Send(rt::SN_TYPE_QUERY, 0x40002, P(buffer)), 700 + 1 + 1000);
    ASSERT_EQ(g_libraryMessages.size(), 1u);
    EXPECT_EQ(g_libraryMessages[0], std::make_pair(int32_t(rt::LN_TYPE_QUERY), intptr_t(1)));
    EXPECT_EQ(Send(rt::SN_TYPE_QUERY, 0x60001, P(buffer)), 0);  // no notify entry
    EXPECT_EQ(Send(rt::SN_TYPE_QUERY, 0x40009, P(buffer)), 0);  // no such type
    EXPECT_EQ(Send(rt::SN_TYPE_QUERY, 0x0003, P(buffer)), 0);   // high word 0
}

TEST_F(SystemNotifyTest, ValuesConvertToIntegers) {
    auto convert = [&](rt::ArgRecord value) { return Send(rt::SN_VALUE_TO_INT, P(&value)); };
    EXPECT_EQ(convert(rt::ArgRecord::Int(0xFFFFFFF0, rt::TYPE_BYTE)), 0xF0);
    EXPECT_EQ(convert(rt::ArgRecord::Int(0xFFF0, rt::TYPE_SHORT)), -16);
    EXPECT_EQ(convert(rt::ArgRecord::Long(0x1'0000'0007)), 7);
    EXPECT_EQ(convert(rt::ArgRecord::Double(-2.9)), -2);
    float f = 3.99f;
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    EXPECT_EQ(convert(rt::ArgRecord{bits, 0, rt::TYPE_FLOAT}), 3);
    EXPECT_EQ(Send(rt::SN_VALUE_TO_INT, 0), 0);
}

TEST_F(SystemNotifyTest, StaticDataIsNeverFreedAndIsCopiedOnResize) {
    static char image[16] = "static-data-bl";
    app_.SetStaticDataRange(image, image + sizeof image);
    // Freeing inside the range is ignored (a real free would crash here).
    Send(rt::SN_FREE, P(image + 4));
    Send(rt::SN_FREE, P(rt::EmptyText()));
    Send(rt::SN_FREE, 0);

    // Resizing copies only the bytes up to the range's end.
    auto* copy = reinterpret_cast<char*>(Send(rt::SN_REALLOC, P(image + 7), 64));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::memcmp(copy, image + 7, 9), 0);
    copy = reinterpret_cast<char*>(Send(rt::SN_REALLOC, P(copy), 128));
    EXPECT_EQ(std::memcmp(copy, "data-bl", 7), 0);
    Send(rt::SN_FREE, P(copy));

    auto* fresh = reinterpret_cast<char*>(Send(rt::SN_REALLOC, 0, 10));
    ASSERT_NE(fresh, nullptr);
    Send(rt::SN_FREE, P(fresh));
    intptr_t empty = Send(rt::SN_ALLOC, 0, 0);
    EXPECT_NE(empty, 0);
    Send(rt::SN_FREE, empty);
}

TEST_F(SystemNotifyTest, FreeArrayReleasesTextElements) {
    // Blocks this large are mapped one by one, so the heap's mapped bytes
    // (mallinfo2's hblkhd) show each of them come and go. Under
    // AddressSanitizer mallinfo2 reads zero and the leak checker answers.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    constexpr uint32_t kElements = 100000;
    const std::string big(1 << 20, 'x');
    const size_t before = mallinfo2().hblkhd;
    auto* array = static_cast<rt::ArrayBlock*>(std::malloc(8 + kElements * sizeof(char*)));
    array->dimensionCount = 1;
    array->dimensions()[0] = kElements;
    std::memset(array->elements(), 0, kElements * sizeof(char*));
    char* elements[3] = {rt::NewText(big.c_str()), nullptr, rt::NewText(big.c_str())};
    std::memcpy(array->elements(), elements, sizeof elements);
    const size_t held = mallinfo2().hblkhd;
    // The element code's array flag does not matter.
    Send(rt::SN_FREE_ARRAY, rt::TYPE_TEXT | rt::ARRAY_FLAG, P(array));
    EXPECT_EQ(mallinfo2().hblkhd, before);
    if (held != 0) {
        EXPECT_GE(held, before + 2 * big.size() + kElements * sizeof(char*));
    }
    // The shared empty array is never freed, and null is ignored.
    rt::ArrayBlock* shared = rt::EmptyArray();
    Send(rt::SN_FREE_ARRAY, rt::TYPE_TEXT, P(shared));
    Send(rt::SN_FREE_ARRAY, rt::TYPE_TEXT, 0);
    EXPECT_EQ(rt::EmptyArray(), shared);
    EXPECT_EQ(shared->elementCount(), 0u);
}

// Events.
ApplicationObject* g_app = nullptr;
std::vector<std::vector<uintptr_t>> g_calls;
rt::ArgRecord g_sourceSeen;

void RecordingHandler(rt::EventInvocation* call) {
    g_calls.emplace_back(call->arguments, call->arguments + call->argumentCount);
    g_sourceSeen = {};
    g_app->Handle(rt::SN_GET_EVENT_SOURCE, reinterpret_cast<intptr_t>(&g_sourceSeen), 0);
    call->returnedValue = true;
    call->result = int64_t(call->argumentCount) * 100 + (int64_t(1) << 40);
}

void SilentHandler(rt::EventInvocation*) {
    g_calls.push_back({});
}

class EventTest : public SystemNotifyTest {
protected:
    void SetUp() override {
        SystemNotifyTest::SetUp();
        g_app = &app_;
        g_calls.clear();
        window_ =
            AddTestWindow(app_, kWindowId, 0x100, reinterpret_cast<uintptr_t>(&SilentHandler));
        button_ = AddTestUnit(*window_, kButtonType, 0x101,
                              {{1, 0}, {7, reinterpret_cast<uintptr_t>(&RecordingHandler)}});
        inner_ = AddTestUnit(*window_, kButtonType, 0x102, {}, button_);
    }
    rt::EventCall Call(uint32_t unit, int32_t event, std::vector<uintptr_t> args) {
        rt::EventCall call{};
        call.windowId = kWindowId;
        call.unitId = unit;
        call.eventNumber = event;
        call.argumentCount = int32_t(args.size());
        for (size_t i = 0; i < args.size(); ++i)
            call.arguments[i] = args[i];
        return call;
    }
    rt::WindowRecord* window_ = nullptr;
    uint32_t button_ = 0;
    uint32_t inner_ = 0;
};

TEST_F(EventTest, HandlerGetsArgumentsAndTheSourceAndMayReturnAValue) {
    rt::EventCall call = Call(button_, 7, {11, 22, 33});
    EXPECT_EQ(Send(rt::SN_CALL_EVENT, P(&call)), 1);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0], (std::vector<uintptr_t>{11, 22, 33}));
    EXPECT_EQ(g_sourceSeen.windowId(), kWindowId);
    EXPECT_EQ(g_sourceSeen.unitId(), button_);
    EXPECT_EQ(call.resultPresent, 1);
    EXPECT_EQ(call.result, intptr_t(300 + (int64_t(1) << 40)));
    // Once the handler returned there is no event source.
    rt::ArgRecord after{};
    EXPECT_EQ(Send(rt::SN_GET_EVENT_SOURCE, P(&after)), 0);
}

TEST_F(EventTest, NestedUnitOfTheSameTypeUsesItsParentsHandlers) {
    rt::EventCall call = Call(inner_, 7, {});
    EXPECT_EQ(Send(rt::SN_CALL_EVENT, P(&call)), 1);
    EXPECT_EQ(g_sourceSeen.unitId(), inner_);
    rt::EventCall unknown = Call(button_, 99, {});
    EXPECT_EQ(Send(rt::SN_CALL_EVENT, P(&unknown)), 0);
    rt::EventCall nullHandler = Call(button_, 1, {});
    EXPECT_EQ(Send(rt::SN_CALL_EVENT, P(&nullHandler)), 0);
    EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(EventTest, WindowUnitHasOneHandlerAndNamesItselfAsSource) {
    rt::EventCall call = Call(0, 3, {5});
    EXPECT_EQ(Send(rt::SN_CALL_EVENT, P(&call)), 1);
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(call.resultPresent, 0);
}

TEST_F(EventTest, BlockedEventsCallNothingAndUnblockingStopsAtZero) {
    Send(rt::SN_BLOCK_EVENTS);
    Send(rt::SN_BLOCK_EVENTS);
    EXPECT_EQ(app_.EventBlockCount(), 2);
    EXPECT_EQ(Natives().pumped, 2);
    rt::EventCall call = Call(button_, 7, {1});
    EXPECT_EQ(Send(rt::SN_CALL_EVENT, P(&call)), 0);
    Send(rt::SN_UNBLOCK_EVENTS);
    EXPECT_EQ(Send(rt::SN_CALL_EVENT, P(&call)), 0);
    Send(rt::SN_UNBLOCK_EVENTS);
    Send(rt::SN_UNBLOCK_EVENTS);
    EXPECT_EQ(app_.EventBlockCount(), 0);
    EXPECT_EQ(Send(rt::SN_CALL_EVENT, P(&call)), 1);
    EXPECT_TRUE(g_calls.size() == 1u);
}

TEST_F(EventTest, WideCallsCarryManyArgumentsAndA64BitResult) {
    rt::WideEventCall call{};
    call.windowId = kWindowId;
    call.unitId = button_;
    call.eventNumber = 7;
    call.argumentCount = 20;
    for (int i = 0; i < 20; ++i)
        call.arguments[i] = uintptr_t(i);
    EXPECT_EQ(Send(rt::SN_CALL_EVENT_WIDE, P(&call)), 1);
    EXPECT_EQ(g_calls.at(0).size(), 20u);
    EXPECT_EQ(call.result, 2000 + (int64_t(1) << 40));
    call.argumentCount = 25;
    EXPECT_EQ(Send(rt::SN_CALL_EVENT_WIDE, P(&call)), 0);
    rt::EventCall tooMany = Call(button_, 7, {});
    tooMany.argumentCount = 6;
    EXPECT_EQ(Send(rt::SN_CALL_EVENT, P(&tooMany)), 0);
}

TEST_F(EventTest, DeathEventsForMissingWindowsUnitsOrEventlessTypesAreFatal) {
    uint32_t quiet = AddTestUnit(*window_, kQuietType, 0x103, {{7, 1}});
    rt::EventCall noWindow = Call(button_, 7, {});
    noWindow.windowId = 0x52010099;
    EXPECT_EXIT(Send(rt::SN_CALL_EVENT, P(&noWindow)), ::testing::ExitedWithCode(255),
                "window 52010099, which does not exist");
    rt::EventCall noUnit = Call(0x12000999, 7, {});
    EXPECT_EXIT(Send(rt::SN_CALL_EVENT, P(&noUnit)), ::testing::ExitedWithCode(255),
                "unit 12000999 of the window 52010001");
    rt::EventCall eventless = Call(quiet, 7, {});
    EXPECT_EXIT(Send(rt::SN_CALL_EVENT, P(&eventless)), ::testing::ExitedWithCode(255),
                "type 00010005, which has no events");
}

// Menu items: the window unit, two ordinary units, then a run of items.
class MenuItemTest : public SystemNotifyTest {
protected:
    void SetUp() override {
        SystemNotifyTest::SetUp();
        window_ = AddTestWindow(app_, kWindowId, 0x200);
        AddTestUnit(*window_, kButtonType, 0x201, {});
        AddItem("&File", 0, 0, 0);
        AddItem("&Open", 15, 1, 0);
        AddItem("Hidden", 0, 1, rt::MENU_FLAG_HIDDEN);
        AddItem(std::string(249, 'x') + "\xB0\xA1", 78, 0, 0);
    }
    void AddItem(const std::string& caption, int32_t shortcut, int32_t level, uint32_t flags) {
        rt::MenuItemFields fields;
        fields.caption = caption;
        fields.shortcut = shortcut;
        fields.level = level;
        fields.flags = flags;
        std::vector<uint8_t> body = rt::BuildMenuItemEntry(fields);
        itemIds_.push_back(window_->units.Append(body.data(), uint32_t(body.size()), 0x26000000));
    }
    rt::MenuItemQuery Query(uint32_t command) {
        rt::MenuItemQuery query{};
        query.windowId = kWindowId;
        query.commandId = command;
        answer_ = Send(rt::SN_GET_MENU_ITEM, P(&query));
        return query;
    }
    rt::WindowRecord* window_ = nullptr;
    std::vector<uint32_t> itemIds_;
    intptr_t answer_ = -1;
};

TEST_F(MenuItemTest, CommandIdsCountFromTheFirstItem) {
    rt::MenuItemQuery open = Query(20001);
    EXPECT_EQ(answer_, 1);
    EXPECT_STREQ(open.text, "&Open\tCtrl+O");
    EXPECT_EQ(open.unitId, itemIds_[1]);
    EXPECT_EQ(open.level, 1);
    EXPECT_EQ(open.visible, 1);

    rt::MenuItemQuery hidden = Query(20002);
    EXPECT_EQ(answer_, 1);
    EXPECT_STREQ(hidden.text, "Hidden");
    EXPECT_EQ(hidden.visible, 0);
}

TEST_F(MenuItemTest, CommandsOutsideTheRunAnswerZero) {
    Query(19999);
    EXPECT_EQ(answer_, 0);
    Query(20000 + uint32_t(itemIds_.size()));
    EXPECT_EQ(answer_, 0);
    rt::MenuItemQuery query{};
    query.windowId = 0x52010077;
    query.commandId = 20000;
    EXPECT_EQ(Send(rt::SN_GET_MENU_ITEM, P(&query)), 0);
    EXPECT_EQ(Send(rt::SN_GET_MENU_ITEM, 0), 0);
}

TEST_F(MenuItemTest, LongCaptionsStopAt250BytesWithoutSplittingACharacter) {
    rt::MenuItemQuery query = Query(20003);
    EXPECT_EQ(answer_, 1);
    // 249 single bytes fit; the two-byte character would end at 251, and an
    // index of 78 has no key name.
    EXPECT_EQ(std::strlen(query.text), 249u);
}

// Units, windows and objects.
TEST_F(SystemNotifyTest, DestroyingAUnitReleasesItsWindowObjectAndHandles) {
    rt::WindowRecord* window = AddTestWindow(app_, kWindowId, 0x300);
    uint32_t unit = AddTestUnit(*window, kButtonType, 0x301, {}, 0, 0x3FF);
    EXPECT_NE(Send(rt::SN_FIND_UNIT_OBJECT, kWindowId, unit), 0);
    Send(rt::SN_DESTROY_UNIT, kWindowId, unit);
    EXPECT_EQ(Natives().destroyed, (std::vector<rt::NativeHandle>{0x301}));
    EXPECT_EQ(Natives().releasedHandles, (std::vector<rt::NativeHandle>{0x3FF}));
    EXPECT_EQ(Natives().objectsDeleted, 1);
    EXPECT_EQ(Send(rt::SN_FIND_UNIT_OBJECT, kWindowId, unit), 0);
    EXPECT_EQ(Send(rt::SN_GET_UNIT_TYPE, kWindowId, unit), intptr_t(kButtonType));

    app_.SetModalWindowId(kWindowId);
    Send(rt::SN_DESTROY_UNIT, kWindowId, 0);
    EXPECT_EQ(Natives().objectsDeleted, 2);
    EXPECT_EQ(app_.ModalWindowId(), 0u);
    EXPECT_EQ(window->units.Count(), 0);
    EXPECT_EQ(Send(rt::SN_GET_UNIT_TYPE, kWindowId, unit), 0);
}

TEST_F(SystemNotifyTest, DestroyIsIgnoredDuringShutdownAndForUnknownWindows) {
    rt::WindowRecord* window = AddTestWindow(app_, kWindowId, 0x310);
    app_.SetShuttingDown(true);
    Send(rt::SN_DESTROY_UNIT, kWindowId, 0);
    EXPECT_EQ(window->units.Count(), 1);
    app_.SetShuttingDown(false);
    Send(rt::SN_DESTROY_UNIT, 0x52010055, 0);
    EXPECT_EQ(Natives().objectsDeleted, 0);
}

TEST_F(SystemNotifyTest, UnitObjectsNeedALiveNativeWindow) {
    rt::WindowRecord* window = AddTestWindow(app_, kWindowId, 0x320);
    uint32_t unit = AddTestUnit(*window, kButtonType, 0x321, {});
    intptr_t object = Send(rt::SN_FIND_UNIT_OBJECT, kWindowId, unit);
    ASSERT_NE(object, 0);
    EXPECT_EQ(Send(rt::SN_GET_NATIVE_HANDLE, object), 0x321);
    EXPECT_EQ(Send(rt::SN_IS_UNIT_WINDOW, 0x321), 1);
    EXPECT_EQ(Send(rt::SN_WINDOW_COUNT), 1);
    EXPECT_EQ(Send(rt::SN_WINDOW_HANDLE, 0), 0x320);
    EXPECT_EQ(Send(rt::SN_WINDOW_HANDLE, 1), 0);
    Natives().existing.erase(0x321);
    EXPECT_EQ(Send(rt::SN_FIND_UNIT_OBJECT, kWindowId, unit), 0);
    EXPECT_EQ(Send(rt::SN_IS_UNIT_WINDOW, 0x321), 0);
    EXPECT_EXIT(Send(rt::SN_GET_UNIT_OBJECT, kWindowId, unit), ::testing::ExitedWithCode(255),
                "does not exist or has no window");
}

TEST_F(SystemNotifyTest, HandlesAttachToOneWindowObjectAtATime) {
    intptr_t wrapped = Send(rt::SN_WRAP_WINDOW, 0x400);
    ASSERT_NE(wrapped, 0);
    rt::WindowObject spare;
    EXPECT_EQ(Send(rt::SN_ATTACH_WINDOW, 0x400, P(&spare)), 0);
    EXPECT_EQ(Send(rt::SN_DETACH_WINDOW, wrapped), 0x400);
    EXPECT_EQ(Send(rt::SN_ATTACH_WINDOW, 0x400, P(&spare)), 1);
    EXPECT_EQ(Send(rt::SN_ATTACH_WINDOW, 0x401, P(&spare)), 0);  // spare holds one already
    EXPECT_EQ(Send(rt::SN_WRAP_WINDOW, 0), 0);
    Send(rt::SN_DELETE_OBJECT, wrapped);
    Send(rt::SN_DELETE_OBJECT, 0);
}

TEST_F(SystemNotifyTest, WatchedWindowsAreListedOnce) {
    Natives().existing = {0x500, 0x501};
    uintptr_t entry[3] = {0x500, 1, 2};
    EXPECT_EQ(Send(rt::SN_WATCH_WINDOW, P(entry)), 1);
    EXPECT_EQ(Send(rt::SN_WATCH_WINDOW, P(entry)), 0);
    uintptr_t gone[3] = {0x5FF, 1, 2};
    EXPECT_EQ(Send(rt::SN_WATCH_WINDOW, P(gone)), 0);
    EXPECT_EQ(Send(rt::SN_UNWATCH_WINDOW, 0x500), 1);
    EXPECT_EQ(Send(rt::SN_UNWATCH_WINDOW, 0x500), 0);
    EXPECT_EQ(Send(rt::SN_WATCH_WINDOW, P(entry)), 1);
}

std::vector<std::string> g_closing;

class NamedObject : public rt::OwnedObject {
public:
    explicit NamedObject(std::string name) : name_(std::move(name)) {}
    ~NamedObject() override { g_closing.push_back("delete " + name_); }
    void Close() override { g_closing.push_back("close " + name_); }

private:
    std::string name_;
};

TEST_F(SystemNotifyTest, OwnedObjectsAreClosedThenDeletedInOrder) {
    g_closing.clear();
    auto* a = new NamedObject("a");
    auto* b = new NamedObject("b");
    auto* c = new NamedObject("c");
    Send(rt::SN_ADD_OWNED, P(a), 7);
    Send(rt::SN_ADD_OWNED, P(a), 9);
    Send(rt::SN_ADD_OWNED, P(b), 255);
    Send(rt::SN_ADD_OWNED, P(c), 0);
    EXPECT_EQ(Send(rt::SN_GET_OWNED_TAG, P(a)), 7);
    EXPECT_EQ(Send(rt::SN_GET_OWNED_TAG, P(b)), 255);
    EXPECT_EQ(Send(rt::SN_REMOVE_OWNED, P(c)), 1);
    EXPECT_EQ(Send(rt::SN_GET_OWNED_TAG, P(c)), -1);
    EXPECT_EQ(Send(rt::SN_REMOVE_OWNED, P(c)), 0);
    delete c;
    g_closing.clear();
    Send(rt::SN_DESTROY_OWNED);
    EXPECT_EQ(g_closing, (std::vector<std::string>{"close a", "delete a", "close b", "delete b"}));
    EXPECT_EQ(Send(rt::SN_GET_OWNED_TAG, P(a)), -1);
}

struct CountingInterface : rt::InterfaceObject {
    int references = 1;
    std::vector<void*> blocks;
    uint32_t AddReference() override { return uint32_t(++references); }
    uint32_t Release() override { return uint32_t(--references); }
    void ReleaseBlock(void* block) override { blocks.push_back(block); }
};

TEST_F(SystemNotifyTest, ReleasingAReferenceHandsBackItsBlockFirst) {
    CountingInterface object;
    int marker = 0;
    rt::InterfaceHolder holder{&object, &marker};
    Send(rt::SN_RELEASE_REF, P(&holder));
    EXPECT_EQ(object.references, 0);
    EXPECT_EQ(object.blocks, (std::vector<void*>{&marker}));
    EXPECT_EQ(holder.object, nullptr);
    EXPECT_EQ(holder.block, nullptr);
    rt::InterfaceHolder blockOnly{nullptr, std::malloc(8)};
    Send(rt::SN_RELEASE_REF, P(&blockOnly));
    EXPECT_EQ(blockOnly.block, nullptr);
}

TEST_F(SystemNotifyTest, PicturesAreListedOnceAndSubsystemMessagesFailWithoutTheirHooks) {
    int picture = 0;
    Send(rt::SN_ADD_PICTURE, P(&picture));
    Send(rt::SN_ADD_PICTURE, P(&picture));
    EXPECT_EQ(Send(rt::SN_HAS_PICTURE, P(&picture)), 1);
    EXPECT_EQ(Send(rt::SN_FREE_PICTURE, P(&picture)), 1);
    EXPECT_EQ(Send(rt::SN_HAS_PICTURE, P(&picture)), 0);
    EXPECT_EQ(Send(rt::SN_FREE_PICTURE, P(&picture)), 0);

    const char data[] = "RIFF....WAVE";
    uintptr_t sound[3] = {reinterpret_cast<uintptr_t>(data), sizeof data, 0};
    EXPECT_EQ(Send(rt::SN_PLAY_SOUND_DATA, P(sound)), 0);
    EXPECT_EQ(Send(rt::SN_PICTURE_TO_BITMAP, P(data), sizeof data), 0);
    EXPECT_EQ(Send(rt::SN_BITMAP_TO_BMP, 0x77), 0);
    uintptr_t load[3] = {kWindowId, 0, 0};
    EXPECT_EQ(Send(rt::SN_LOAD_WINDOW, P(load)), -1);
    EXPECT_EQ(Send(rt::SN_LOAD_WINDOW, 0), -1);
    EXPECT_EQ(Send(rt::SN_REBUILD_MENU, kWindowId), 0);
}

}  // namespace
