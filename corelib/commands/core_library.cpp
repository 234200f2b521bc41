#include "corelib/commands/core_library.h"

#include <cstring>

#include "corelib/textservices/enciphered_file_messages.h"
#include "corelib/textservices/key_digest.h"
#include "runtime/notify.h"
#include "runtime/runtime_objects.h"
#include "runtime/type_codes.h"

namespace corelib {
namespace {

rt::SystemCallbackSlot g_system;

// The core library's data types, in type-number order (type n is entry
// n - 1). The window and the window unit raise events; the interface holder
// is a plain value. The unit types fill in their own entries when they are
// installed (DefineCoreType), before any window is loaded.
constexpr int32_t kCoreTypeCount = 0x30;

struct CoreTypeTable {
    rt::DataTypeInfo types[kCoreTypeCount];
    CoreTypeTable() : types{} {
        for (auto& type : types)
            type = {"", 0, nullptr};
        types[(rt::CORE_WINDOW_TYPE & 0xffff) - 1] = {"Window", rt::TYPE_FLAG_KIND1, nullptr};
        types[0x03 - 1] = {"WindowUnit", rt::TYPE_FLAG_KIND1, nullptr};
        types[(rt::CORE_DIALOG_TYPE & 0xffff) - 1] = {"Dialog", 0, nullptr};
        types[(rt::CORE_INTERFACE_HOLDER_TYPE & 0xffff) - 1] = {"InterfaceHolder", 0, nullptr};
    }
};

CoreTypeTable& CoreTypes() {
    static CoreTypeTable table;
    return table;
}

intptr_t KeyDigestMessage(intptr_t text, intptr_t out) {
    if (!out)
        return -1;
    const char* key = text ? reinterpret_cast<const char*>(text) : "";
    KeyDigest(key, std::strlen(key), reinterpret_cast<char*>(out));
    return 0;
}

}  // namespace

intptr_t CallSystem(int32_t message, intptr_t param1, intptr_t param2) {
    return g_system.Call(message, param1, param2);
}

const rt::LibraryInfo& CoreLibraryInfo() {
    static const rt::LibraryInfo library = {"core", kCoreTypeCount, CoreTypes().types,
                                            &CoreLibraryNotify};
    return library;
}

bool DefineCoreType(rt::LibraryTypeCode code, const rt::DataTypeInfo& info) {
    uint32_t number = rt::TypeNumberOf(code);
    if (rt::LibraryNumberOf(code) != kCoreLibraryNumber || number < 1 ||
        number > uint32_t(kCoreTypeCount))
        return false;
    CoreTypes().types[number - 1] = info;
    return true;
}

intptr_t CoreLibraryNotify(int32_t message, intptr_t param1, intptr_t param2) {
    switch (message) {
        case rt::LN_SET_SYSTEM:
            g_system.Set(reinterpret_cast<rt::NotifyEntry>(param1));
            return 0;
        case CLN_INVOKE_OBJECT:
            if (!param1)
                return 0;
            return reinterpret_cast<rt::RuntimeObject*>(param1)->Invoke(param2);
        case CLN_CREATE_ENCIPHERED_FILE:
            return CreateEncipheredFileMessage(param1, param2);
        case CLN_DESTROY_ENCIPHERED_FILE:
            return DestroyEncipheredFileMessage(param1);
        case CLN_KEY_DIGEST:
            return KeyDigestMessage(param1, param2);
        case CLN_PLAY_SOUND:
            // The system's sound message does the playing; a library asking
            // through the core library gets the same answer.
            if (!param1)
                return 0;
            return CallSystem(rt::SN_PLAY_SOUND_DATA, param1, 0) == 1 ? 1 : 0;
        default:
            return -1;
    }
}

}  // namespace corelib
