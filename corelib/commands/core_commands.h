// The commands of the core library. Each is a CommandEntry: it reads its
// arguments by position, writes one result and never releases arguments.
// Texts and blocks handed back are fresh (empty ones are null).
#pragma once

#include <cstdint>

#include "runtime/arg_record.h"
#include "runtime/runtime_objects.h"

namespace corelib {

#define PICBATCH_CORE_COMMAND(name) \
    void name(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args)

// Texts.
PICBATCH_CORE_COMMAND(TextLength);
PICBATCH_CORE_COMMAND(LeftPart);
PICBATCH_CORE_COMMAND(RightPart);
PICBATCH_CORE_COMMAND(FindFirst);
PICBATCH_CORE_COMMAND(FindLast);
PICBATCH_CORE_COMMAND(SplitText);

// Conversions.
PICBATCH_CORE_COMMAND(ToText);
PICBATCH_CORE_COMMAND(ToInteger);
PICBATCH_CORE_COMMAND(ToBytes);
PICBATCH_CORE_COMMAND(BytesLength);
PICBATCH_CORE_COMMAND(ZeroBytes);

// Bits.
PICBATCH_CORE_COMMAND(BitOr);
PICBATCH_CORE_COMMAND(ShiftLeft);

// System.
PICBATCH_CORE_COMMAND(ShowMessage);
PICBATCH_CORE_COMMAND(TickCount);
PICBATCH_CORE_COMMAND(Pause);
PICBATCH_CORE_COMMAND(ProcessEvents);
PICBATCH_CORE_COMMAND(MakeDirectory);
PICBATCH_CORE_COMMAND(WindowHandleOf);
PICBATCH_CORE_COMMAND(OpenFileDialog);

// Object holders (the core type 0x10030; the argument carries the
// holder's address).
PICBATCH_CORE_COMMAND(ObjectIsEmpty);
PICBATCH_CORE_COMMAND(ObjectRelease);
PICBATCH_CORE_COMMAND(ObjectAssign);

#undef PICBATCH_CORE_COMMAND

inline constexpr const char* kDefaultMessageTitle = "picbatch";

// The dialog unit's open operation, filled when the dialog unit is built:
// runs the dialog of the unit (window id, unit id, its window object) and
// answers 1 when the user confirmed. Until then OpenFileDialog answers 0
// (nothing confirmed).
using DialogOpenOperation = int32_t (*)(uint32_t windowId, uint32_t unitId, rt::WindowObject* unit);
void SetDialogOpenOperation(DialogOpenOperation operation);

// The bitwise fold shared by the bit commands: 0 AND, 1 OR, 2 XOR, starting
// from the first argument.
int32_t FoldBits(int32_t mode, int32_t argCount, const rt::ArgRecord* args);

}  // namespace corelib
