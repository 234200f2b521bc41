// RtCallExternal: checks the call against the routine's declaration, binds
// the routine on first use and calls it with the caller's argument words.
#include <string>

#include "runtime/application_object.h"
#include "runtime/external_declarations.h"
#include "runtime/services.h"

namespace rt {
namespace {

constexpr uint32_t kMaxArgumentWords = 16;

using W = uintptr_t;

W CallWithWords(uintptr_t address, uint32_t count, const W* a) {
    switch (count) {
        case 0:
            return reinterpret_cast<W (*)()>(address)();
        case 1:
            return reinterpret_cast<W (*)(W)>(address)(a[0]);
        case 2:
            return reinterpret_cast<W (*)(W, W)>(address)(a[0], a[1]);
        case 3:
            return reinterpret_cast<W (*)(W, W, W)>(address)(a[0], a[1], a[2]);
        case 4:
            return reinterpret_cast<W (*)(W, W, W, W)>(address)(a[0], a[1], a[2], a[3]);
        case 5:
            return reinterpret_cast<W (*)(W, W, W, W, W)>(address)(a[0], a[1], a[2], a[3], a[4]);
        case 6:
            return reinterpret_cast<W (*)(W, W, W, W, W, W)>(address)(a[0], a[1], a[2], a[3], a[4],
                                                                      a[5]);
        case 7:
            return reinterpret_cast<W (*)(W, W, W, W, W, W, W)>(address)(a[0], a[1], a[2], a[3],
                                                                         a[4], a[5], a[6]);
        case 8:
            return reinterpret_cast<W (*)(W, W, W, W, W, W, W, W)>(address)(a[0], a[1], a[2], a[3],
                                                                            a[4], a[5], a[6], a[7]);
        case 9:
            return reinterpret_cast<W (*)(W, W, W, W, W, W, W, W, W)>(address)(
                a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
        case 10:
            return reinterpret_cast<W (*)(W, W, W, W, W, W, W, W, W, W)>(address)(
                a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
        case 11:
            return reinterpret_cast<W (*)(W, W, W, W, W, W, W, W, W, W, W)>(address)(
                a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10]);
        case 12:
            return reinterpret_cast<W (*)(W, W, W, W, W, W, W, W, W, W, W, W)>(address)(
                a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11]);
        case 13:
            return reinterpret_cast<W (*)(W, W, W, W, W, W, W, W, W, W, W, W, W)>(address)(
                a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12]);
        case 14:
            return reinterpret_cast<W (*)(W, W, W, W, W, W, W, W, W, W, W, W, W, W)>(address)(
                a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12],
                a[13]);
        case 15:
            return reinterpret_cast<W (*)(W, W, W, W, W, W, W, W, W, W, W, W, W, W, W)>(address)(
                a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12],
                a[13], a[14]);
        case 16:
            return reinterpret_cast<W (*)(W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W)>(address)(
                a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12],
                a[13], a[14], a[15]);
        default:
            return 0;
    }
}

}  // namespace

void SetExternalDeclarations(const ExternalDeclaration* table, uint32_t count) {
    ApplicationObject::Instance().Binding().Declare(table, count);
}

uintptr_t RtCallExternal(uint32_t number, uint32_t argCount, const uintptr_t* args) {
    ApplicationObject& app = ApplicationObject::Instance();
    const ExternalDeclaration* declaration = app.Binding().Declaration(number);
    if (!declaration) {
        app.FatalError(("The external routine number " + std::to_string(number) +
                        " was called but never declared.")
                           .c_str(),
                       0);
        return 0;
    }
    if (argCount != declaration->argumentCount || (argCount > 0 && !args)) {
        RtRaiseError(ERR_STACK_MISMATCH);
    }
    if (argCount > kMaxArgumentWords) {
        app.FatalError(("The external routine \"" +
                        std::string(declaration->routine ? declaration->routine : "") +
                        "\" is declared with more than 16 argument words.")
                           .c_str(),
                       0);
        return 0;
    }
    uintptr_t address = app.Binding().BindExternal(number);
    // 0 only when the application's fatal-error hook took the failure over:
    // there is nothing to call, and the caller gets 0.
    if (!address)
        return 0;
    return CallWithWords(address, argCount, args);
}

}  // namespace rt
