#include "libs/desktop/skin/skin_library.h"

#include "libs/desktop/library_notify.h"
#include "libs/desktop/skin/skin_engine.h"

namespace desktop {
namespace {

const rt::LibraryInfo kSkinLibrary = {"skin", 0, nullptr, &SkinLibraryNotify};

}  // namespace

rt::SystemCallbackSlot& SkinSystemCallback() {
    static rt::SystemCallbackSlot slot;
    return slot;
}

const rt::LibraryInfo& SkinLibraryInfo() {
    return kSkinLibrary;
}

intptr_t SkinLibraryNotify(int32_t message, intptr_t param1, intptr_t /*param2*/) {
    // At unload the program is ending: give the controls their own
    // procedures back before the windows and the library go.
    return AnswerLibraryMessage(SkinSystemCallback(), message, param1,
                                [] { skin::SkinEngine::ForThisThread().TurnOff(); });
}

void SetSkinScheme(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args) {
    int32_t scheme = (argCount >= 1 && args && !args[0].omitted()) ? args[0].asInt() : 0;
    bool on = skin::SkinEngine::ForThisThread().SetScheme(scheme);
    if (result) {
        rt::SetResultInt(result, on ? 1 : 0);
        result->type = rt::TYPE_BOOL;
    }
}

}  // namespace desktop
