#include "runtime/services.h"

namespace rt {

CommandResult RtCallCoreCommand(CommandEntry entry, int32_t argCount, const ArgRecord* args) {
    ResultSlot slot{};
    entry(&slot, argCount, args);
    return {slot.low, slot.high, slot.type};
}

// The library number only says whose command it is; the call is the same.
CommandResult RtCallLibraryCommand(uint32_t, CommandEntry entry, int32_t argCount,
                                   const ArgRecord* args) {
    return RtCallCoreCommand(entry, argCount, args);
}

}  // namespace rt
