#include "libs/desktop/droptarget/drop_target_library.h"

#include "libs/desktop/droptarget/drop_target_unit.h"
#include "libs/desktop/library_notify.h"
#include "runtime/unit_type.h"

namespace desktop {
namespace {

rt::SystemCallbackSlot g_system;

constexpr rt::PropertyDescriptor Word() {
    return rt::PropertyDescriptor{0, 0, 0, rt::KIND_WORD, 0, 0};
}

// Own properties 0 to 3, all 32-bit words.
constexpr rt::PropertyDescriptor kProperties[kDropTargetPropertyCount] = {Word(), Word(), Word(),
                                                                          Word()};

// Type 1 raises events, so the system resolves handlers for its units.
const rt::DataTypeInfo kTypes[] = {
    {"DropTarget", rt::TYPE_FLAG_KIND1, &FindDropTargetOperation, kProperties,
     kDropTargetPropertyCount},
};

const rt::LibraryInfo kDropTargetLibrary = {"droptarget", 1, kTypes, &DropTargetLibraryNotify};

}  // namespace

const rt::LibraryInfo& DropTargetLibraryInfo() {
    return kDropTargetLibrary;
}

const rt::SystemCallbackSlot& DropTargetSystem() {
    return g_system;
}

intptr_t DropTargetLibraryNotify(int32_t message, intptr_t param1, intptr_t /*param2*/) {
    // The library does not take the unload message.
    return AnswerLibraryMessage(g_system, message, param1, nullptr);
}

}  // namespace desktop
