// ShowMessage, TickCount, Pause, ProcessEvents, MakeDirectory,
// WindowHandleOf and OpenFileDialog.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "corelib/commands/command_arguments.h"
#include "corelib/commands/core_commands.h"
#include "corelib/commands/core_library.h"
#include "corelib/commands/value_text.h"
#include "platform/directories/make_directory.h"
#include "platform/msgbox/message_box.h"
#include "runtime/notify.h"

namespace corelib {
namespace {

std::atomic<DialogOpenOperation> g_dialogOpen{nullptr};

// The unit's window object when the unit exists and has its native window.
rt::WindowObject* FindUnitObject(const rt::ArgRecord& unit) {
    return reinterpret_cast<rt::WindowObject*>(
        CallSystem(rt::SN_FIND_UNIT_OBJECT, intptr_t(unit.windowId()), intptr_t(unit.unitId())));
}

uintptr_t ParentWindowHandle(const rt::ArgRecord& parent) {
    if (parent.type == rt::CORE_WINDOW_TYPE) {
        intptr_t object = CallSystem(rt::SN_FIND_UNIT_OBJECT, intptr_t(parent.windowId()), 0);
        return object ? uintptr_t(CallSystem(rt::SN_GET_NATIVE_HANDLE, object)) : 0;
    }
    if (parent.type == rt::TYPE_INT)
        return uintptr_t(parent.bits());
    return 0;
}

}  // namespace

void SetDialogOpenOperation(DialogOpenOperation operation) {
    g_dialogOpen.store(operation);
}

void ShowMessage(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    std::string text = FormatScalar(ArgumentAt(count, args, 0)).value_or(std::string());
    auto flags = uint32_t(IntegerOf(ArgumentAt(count, args, 1)));
    if (!(flags & platform::MB_SYSTEM_MODAL))
        flags |= platform::MB_TASK_MODAL;
    rt::ArgRecord titleArg = ArgumentAt(count, args, 2);
    std::string title = titleArg.omitted() ? kDefaultMessageTitle : std::string(TextOf(titleArg));
    uintptr_t parent = count == 4 ? ParentWindowHandle(args[3]) : 0;

    int answer = platform::ShowMessageBox(parent, text, title, flags);
    rt::SetResultInt(result, answer >= 1 && answer <= 7 ? answer - 1 : 0);
}

void TickCount(rt::ResultSlot* result, int32_t, const rt::ArgRecord*) {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    // A 32-bit millisecond counter: it wraps after about 49 days.
    rt::SetResultInt(result, int32_t(uint32_t(uint64_t(milliseconds))));
}

void Pause(rt::ResultSlot*, int32_t count, const rt::ArgRecord* args) {
    int32_t milliseconds = IntegerOf(ArgumentAt(count, args, 0));
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void ProcessEvents(rt::ResultSlot*, int32_t, const rt::ArgRecord*) {
    CallSystem(rt::SN_DO_EVENTS);
}

void MakeDirectory(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    rt::SetResultInt(result, platform::MakeDirectory(TextOf(ArgumentAt(count, args, 0))) ? 1 : 0);
}

void WindowHandleOf(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    // A missing unit answers 0 rather than ending the program: callers ask
    // for handles of units that may not be created yet.
    rt::WindowObject* object = FindUnitObject(ArgumentAt(count, args, 0));
    uintptr_t handle =
        object ? uintptr_t(CallSystem(rt::SN_GET_NATIVE_HANDLE, reinterpret_cast<intptr_t>(object)))
               : 0;
    // Handles are pointer-sized: they fill the whole value word.
    *result = rt::ArgRecord::Pointer(reinterpret_cast<const void*>(handle), rt::TYPE_INT);
}

void OpenFileDialog(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    rt::ArgRecord unit = ArgumentAt(count, args, 0);
    auto* object = reinterpret_cast<rt::WindowObject*>(
        CallSystem(rt::SN_GET_UNIT_OBJECT, intptr_t(unit.windowId()), intptr_t(unit.unitId())));
    DialogOpenOperation open = g_dialogOpen.load();
    bool confirmed = object && open && open(unit.windowId(), unit.unitId(), object) == 1;
    SetBoolResult(result, confirmed);
}

}  // namespace corelib
