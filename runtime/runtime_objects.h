// The object shapes the system reaches through virtual operations: objects
// it deletes, framework window objects, owned objects with a closing step,
// and reference-counted platform interfaces held in two-word holders.
#pragma once

#include <cstdint>

namespace rt {

using NativeHandle = uintptr_t;

// Anything the system may destroy "through its virtual destructor".
class RuntimeObject {
public:
    virtual ~RuntimeObject() = default;
    // The one-argument operation the core library's message 2 reaches.
    // Classes without one answer 0.
    virtual intptr_t Invoke(intptr_t argument) {
        (void)argument;
        return 0;
    }
};

// The window framework's wrapper of one native window. The system reads the
// handle and attaches or detaches it, nothing else. A handle may be
// permanently attached to at most one object at a time.
class WindowObject : public RuntimeObject {
public:
    WindowObject() = default;
    ~WindowObject() override;
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    NativeHandle Handle() const { return handle_; }
    // False when this object already holds a handle, the handle is 0 or
    // another object holds it.
    bool Attach(NativeHandle handle);
    // Answers the handle the object held (0 when none).
    NativeHandle Detach();

    // The object the handle is permanently attached to, or null.
    static WindowObject* AttachedTo(NativeHandle handle);

private:
    NativeHandle handle_ = 0;
};

// An object the runtime owns on a library's behalf; closed before deletion.
class OwnedObject : public RuntimeObject {
public:
    virtual void Close() = 0;
};

// A reference-counted platform interface. Operation numbers: 1 add a
// reference, 2 release, 18 release a block the interface handed out.
class InterfaceObject {
public:
    virtual uint32_t AddReference() = 0;
    virtual uint32_t Release() = 0;
    virtual void ReleaseBlock(void* block) = 0;

protected:
    ~InterfaceObject() = default;
};

// The two-word value of the core object type (0x10030): an interface and an
// auxiliary block. Arguments of that type carry the holder's address.
struct InterfaceHolder {
    InterfaceObject* object;
    void* block;
};
static_assert(sizeof(InterfaceHolder) == 16);

}  // namespace rt
