// The message box, directories, unit look-ups, object holders and the core
// library's own messages.
#include <gtest/gtest.h>

#include <filesystem>

#include "corelib/textservices/key_digest.h"
#include "platform/msgbox/message_box.h"
#include "runtime/notify.h"
#include "runtime/system_hooks.h"
#include "tests/corelib/command_test_support.h"

namespace {

using namespace testsupport;

TEST(ShowMessageCommand, WithoutADisplayPrintsAndAnswersTheFirstButton) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunInt(corelib::ShowMessage, {T("Done: 3 files"), I(0), T("Batch")}), 0);
    EXPECT_EQ(RunInt(corelib::ShowMessage, {I(42), I(platform::MB_BUTTONS_YES_NO)}), 5);
    EXPECT_EQ(RunInt(corelib::ShowMessage, {T("Retry?"), I(platform::MB_BUTTONS_RETRY_CANCEL)}), 3);
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find("[Batch]\nDone: 3 files\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find(std::string("[") + corelib::kDefaultMessageTitle + "]\n42\n"),
              std::string::npos)
        << printed;
}

uint32_t g_flagsSeen = 0;
uintptr_t g_parentSeen = 0;
int Presenter(uintptr_t parent, std::string_view, std::string_view, uint32_t flags) {
    g_flagsSeen = flags;
    g_parentSeen = parent;
    return platform::ANSWER_NO;
}

TEST(ShowMessageCommand, ModalityParentAndAnswerMapping) {
    platform::SetMessageBoxPresenter(&Presenter);
    EXPECT_EQ(RunInt(corelib::ShowMessage, {T("?"), I(4), T("t"), I(0x777)}), 6);
    EXPECT_EQ(g_flagsSeen, 4u | platform::MB_TASK_MODAL);
    EXPECT_EQ(g_parentSeen, 0x777u);
    RunInt(corelib::ShowMessage, {T("?"), I(platform::MB_SYSTEM_MODAL), T("t")});
    EXPECT_EQ(g_flagsSeen, platform::MB_SYSTEM_MODAL);
    // The parent counts only as the fourth argument.
    RunInt(corelib::ShowMessage, {T("?"), I(0), T("t")});
    EXPECT_EQ(g_parentSeen, 0u);
    platform::SetMessageBoxPresenter(nullptr);
}

TEST(MakeDirectoryCommand, AnswersNonZeroOnlyWhenItCreated) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("picbatch-mkdir-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    EXPECT_NE(RunInt(corelib::MakeDirectory, {T(dir.c_str())}), 0);
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_EQ(RunInt(corelib::MakeDirectory, {T(dir.c_str())}), 0);
    EXPECT_EQ(RunInt(corelib::MakeDirectory, {T((dir / "a" / "b").c_str())}), 0);
    EXPECT_EQ(RunInt(corelib::MakeDirectory, {T("")}), 0);
    fs::remove_all(dir);
}

bool AlwaysExists(rt::NativeHandle handle) {
    return handle != 0;
}

int32_t g_dialogRuns = 0;
int32_t ConfirmingDialog(uint32_t windowId, uint32_t unitId, rt::WindowObject* unit) {
    ++g_dialogRuns;
    return windowId == 0x52010009 && unitId == 0x12000002 && unit->Handle() == 0x909 ? 1 : 0;
}

TEST(UnitCommands, HandlesAndDialogsOfAHandBuiltWindow) {
    AnnounceCoreLibrary();
    rt::NativeWindowHooks hooks;
    hooks.windowExists = &AlwaysExists;
    rt::SetNativeWindowHooks(hooks);
    rt::ApplicationObject& app = rt::ApplicationObject::Instance();
    rt::WindowRecord* window = app.Windows().AddWindow(0x52010009);
    ASSERT_NE(window, nullptr);
    for (rt::NativeHandle handle : {0x900, 0x909}) {
        rt::UnitEntryFields fields;
        fields.type = handle == 0x900 ? rt::WINDOW_UNIT_TYPE : rt::CORE_DIALOG_TYPE;
        fields.object = new rt::WindowObject;
        fields.object->Attach(handle);
        std::vector<uint8_t> body = rt::BuildUnitEntry(fields);
        window->units.Append(body.data(), uint32_t(body.size()),
                             handle == 0x900 ? 0x51000000 : 0x12000000);
    }
    rt::ArgRecord dialog = rt::ArgRecord::Unit(0x52010009, 0x12000002, rt::CORE_DIALOG_TYPE);
    EXPECT_EQ(Call(corelib::WindowHandleOf, {dialog}).bits(), 0x909u);
    EXPECT_EQ(
        Call(corelib::WindowHandleOf, {rt::ArgRecord::Unit(0x52010009, 0x12000077, 0)}).bits(), 0u);

    rt::ResultSlot unconfirmed = Call(corelib::OpenFileDialog, {dialog});
    EXPECT_EQ(unconfirmed.type, rt::TYPE_BOOL);
    EXPECT_EQ(unconfirmed.asInt(), 0);
    corelib::SetDialogOpenOperation(&ConfirmingDialog);
    EXPECT_EQ(RunInt(corelib::OpenFileDialog, {dialog}), 1);
    EXPECT_EQ(g_dialogRuns, 1);
    corelib::SetDialogOpenOperation(nullptr);

    // The parent of a message box may be named as a window unit.
    platform::SetMessageBoxPresenter(&Presenter);
    RunInt(corelib::ShowMessage,
           {T("?"), I(0), T("t"), rt::ArgRecord::Unit(0x52010009, 0, rt::CORE_WINDOW_TYPE)});
    EXPECT_EQ(g_parentSeen, 0x900u);
    platform::SetMessageBoxPresenter(nullptr);

    app.Windows().Clear();
    rt::SetNativeWindowHooks({});
}

struct CountingInterface : rt::InterfaceObject {
    int references = 1;
    int blocksReleased = 0;
    uint32_t AddReference() override { return uint32_t(++references); }
    uint32_t Release() override { return uint32_t(--references); }
    void ReleaseBlock(void*) override { ++blocksReleased; }
};

rt::ArgRecord Holder(rt::InterfaceHolder& holder) {
    return rt::ArgRecord::Pointer(&holder, rt::CORE_INTERFACE_HOLDER_TYPE);
}

TEST(ObjectHolderCommands, AssignCountsReferencesAndReleaseClearsBothWords) {
    CountingInterface first;
    CountingInterface second;
    rt::InterfaceHolder source{&first, nullptr};
    rt::InterfaceHolder target{&second, nullptr};
    EXPECT_EQ(RunInt(corelib::ObjectIsEmpty, {Holder(source)}), 0);

    Call(corelib::ObjectAssign, {Holder(target), Holder(source)});
    EXPECT_EQ(target.object, &first);
    EXPECT_EQ(first.references, 2);
    EXPECT_EQ(second.references, 0);  // the interface it held was let go
    Call(corelib::ObjectAssign, {Holder(target), Holder(target)});
    EXPECT_EQ(first.references, 2);

    int block = 0;
    target.block = &block;
    Call(corelib::ObjectRelease, {Holder(target)});
    EXPECT_EQ(first.references, 1);
    EXPECT_EQ(first.blocksReleased, 1);
    EXPECT_EQ(target.object, nullptr);
    EXPECT_EQ(target.block, nullptr);
    EXPECT_EQ(RunInt(corelib::ObjectIsEmpty, {Holder(target)}), 1);

    rt::InterfaceHolder blockOnly{nullptr, rt::RtAlloc(16)};
    Call(corelib::ObjectRelease, {Holder(blockOnly)});
    EXPECT_EQ(blockOnly.block, nullptr);
}

class Invocable : public rt::RuntimeObject {
public:
    intptr_t Invoke(intptr_t argument) override { return argument * 2; }
};

TEST(CoreLibraryNotify, AnswersItsOwnMessagesAndMinusOneForTheRest) {
    AnnounceCoreLibrary();
    Invocable object;
    EXPECT_EQ(corelib::CoreLibraryNotify(2, reinterpret_cast<intptr_t>(&object), 21), 42);
    char digest[33];
    char expected[33];
    EXPECT_EQ(corelib::CoreLibraryNotify(12, reinterpret_cast<intptr_t>("secret"),
                                         reinterpret_cast<intptr_t>(digest)),
              0);
    corelib::KeyDigest("secret", 6, expected);
    EXPECT_STREQ(digest, expected);
    for (int32_t message : {3, 4, 5, 6, 7, 8, 9, 14, 999}) {
        EXPECT_EQ(corelib::CoreLibraryNotify(message, 0, 0), -1) << message;
    }
    // Without a sound player nothing plays.
    const char midi[] = "MThd";
    uintptr_t request[3] = {reinterpret_cast<uintptr_t>(midi), 4, 0};
    EXPECT_EQ(corelib::CoreLibraryNotify(13, reinterpret_cast<intptr_t>(request), 0), 0);

    intptr_t file = corelib::CoreLibraryNotify(10, reinterpret_cast<intptr_t>("key"), -5);
    EXPECT_NE(file, 0);
    EXPECT_EQ(corelib::CoreLibraryNotify(11, file, 0), 0);
}

}  // namespace
