#include <unordered_map>

#include "runtime/runtime_objects.h"

namespace rt {
namespace {

// Handle -> the object permanently attached to it. Window objects live on
// the user-interface thread, so the registry needs no lock.
std::unordered_map<NativeHandle, WindowObject*>& Attached() {
    static auto* attached = new std::unordered_map<NativeHandle, WindowObject*>;
    return *attached;
}

}  // namespace

WindowObject::~WindowObject() {
    Detach();
}

bool WindowObject::Attach(NativeHandle handle) {
    if (handle == 0 || handle_ != 0)
        return false;
    auto [it, inserted] = Attached().emplace(handle, this);
    if (!inserted)
        return false;
    handle_ = handle;
    return true;
}

NativeHandle WindowObject::Detach() {
    NativeHandle handle = handle_;
    if (handle) {
        auto it = Attached().find(handle);
        if (it != Attached().end() && it->second == this)
            Attached().erase(it);
    }
    handle_ = 0;
    return handle;
}

WindowObject* WindowObject::AttachedTo(NativeHandle handle) {
    auto it = Attached().find(handle);
    return it == Attached().end() ? nullptr : it->second;
}

}  // namespace rt
