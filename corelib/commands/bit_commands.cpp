// BitOr and ShiftLeft over the shared bit fold.
#include "corelib/commands/command_arguments.h"
#include "corelib/commands/core_commands.h"

namespace corelib {

int32_t FoldBits(int32_t mode, int32_t count, const rt::ArgRecord* args) {
    auto value = uint32_t(IntegerOf(ArgumentAt(count, args, 0)));
    for (int32_t i = 1; i < count; ++i) {
        auto next = uint32_t(IntegerOf(args[i]));
        switch (mode) {
            case 0:
                value &= next;
                break;
            case 1:
                value |= next;
                break;
            default:
                value ^= next;
                break;
        }
    }
    return int32_t(value);
}

void BitOr(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    rt::SetResultInt(result, FoldBits(1, count, args));
}

void ShiftLeft(rt::ResultSlot* result, int32_t count, const rt::ArgRecord* args) {
    auto value = uint32_t(IntegerOf(ArgumentAt(count, args, 0)));
    auto shift = uint32_t(IntegerOf(ArgumentAt(count, args, 1))) & 31;
    rt::SetResultInt(result, int32_t(value << shift));
}

}  // namespace corelib
