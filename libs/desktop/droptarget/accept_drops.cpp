#include "libs/desktop/droptarget/drop_target_library.h"
#include "libs/desktop/droptarget/drop_target_unit.h"

namespace desktop {

void AcceptDrops(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args) {
    *result = rt::ArgRecord::Int(0, rt::TYPE_BOOL);
    if (argCount < 2 || args[0].omitted())
        return;
    // A unit that is missing is the system's fatal error, as for any command
    // that names a unit.
    auto* object = reinterpret_cast<rt::WindowObject*>(
        DropTargetSystem().Call(rt::SN_GET_UNIT_OBJECT, args[0].windowId(), args[0].unitId()));
    auto* unit = dynamic_cast<DropTargetUnit*>(object);
    if (!unit)
        return;
    auto window = reinterpret_cast<platform::HWND>(uintptr_t(args[1].bits()));
    if (unit->AcceptDrops(window))
        *result = rt::ArgRecord::Int(1, rt::TYPE_BOOL);
}

}  // namespace desktop
