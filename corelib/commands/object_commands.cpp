// ObjectIsEmpty, ObjectRelease and ObjectAssign over two-word interface
// holders.
#include "corelib/commands/command_arguments.h"
#include "corelib/commands/core_commands.h"
#include "corelib/commands/core_library.h"
#include "runtime/notify.h"

namespace corelib {
namespace {

rt::InterfaceHolder* HolderOf(const rt::ArgRecord& arg) {
    if (arg.type != rt::CORE_INTERFACE_HOLDER_TYPE)
        return nullptr;
    return static_cast<rt::InterfaceHolder*>(arg.asPointer());
}

// The runtime owns how a holder lets go of its interface and block.
void Release(rt::InterfaceHolder* holder) {
    CallSystem(rt::SN_RELEASE_REF, reinterpret_cast<intptr_t>(holder));
}

}  // namespace

void ObjectIsEmpty(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    rt::InterfaceHolder* holder = HolderOf(ArgumentAt(count, args, 0));
    SetBoolResult(result, !holder || !holder->object);
}

void ObjectRelease(rt::ResultSlot*, int32_t count, const rt::ArgRecord* args) {
    if (rt::InterfaceHolder* holder = HolderOf(ArgumentAt(count, args, 0)))
        Release(holder);
}

void ObjectAssign(rt::ResultSlot*, int32_t count, const rt::ArgRecord* args) {
    rt::InterfaceHolder* target = HolderOf(ArgumentAt(count, args, 0));
    rt::InterfaceHolder* source = HolderOf(ArgumentAt(count, args, 1));
    if (!target || target == source)
        return;
    rt::InterfaceObject* object = source ? source->object : nullptr;
    // Take the new reference before letting the old one go, so assigning a
    // holder the interface it already keeps cannot drop the last reference;
    // and let the old one go rather than leak it when the words are cleared.
    if (object)
        object->AddReference();
    Release(target);
    target->object = object;
    target->block = nullptr;
}

}  // namespace corelib
