// Kernel objects and the handles that name them. A handle is a number that
// is never reused, so a stale handle fails instead of reaching a newer
// object; a lookup hands out a shared reference, so closing a handle while
// another thread waits on it only ends the handle, never the object under
// the waiter.
#pragma once

#include <cstdint>
#include <memory>

namespace platform::kernel {

using Handle = uintptr_t;

// The current process's pseudo handle, as the platform spells it.
inline constexpr Handle kCurrentProcess = Handle(-1);

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // A descriptor that polls readable while the object is signalled, or -1
    // for objects that cannot be waited on.
    virtual int SignalFd() const { return -1; }
    // Called when a wait saw the descriptor readable: answers whether the
    // waiter really owns the signal (auto-reset objects consume it here, and
    // another waiter may have taken it first).
    virtual bool Acquire() { return true; }
    // Called once when the last handle to the object is closed.
    virtual void OnHandleClosed() {}
};

Handle AddHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindObject(Handle handle);
template <typename T>
std::shared_ptr<T> FindObjectOf(Handle handle) {
    return std::dynamic_pointer_cast<T>(FindObject(handle));
}
// Answers false for a handle that is not open.
bool CloseHandle(Handle handle);

}  // namespace platform::kernel
