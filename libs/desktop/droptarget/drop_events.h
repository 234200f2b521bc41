// Raising the drop-target unit's events through the system: the text goes
// into a block from SN_ALLOC, its address is the event's one argument word
// (SN_CALL_EVENT_WIDE), and the block is freed (SN_FREE) once the handler
// has returned.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/notify.h"

namespace desktop {

// Raises `event` of the unit with `text`; answers 1 so that the drop goes
// on with the next format. A text that cannot be copied is not reported.
int32_t RaiseDropTextEvent(const rt::SystemCallbackSlot& system, uint32_t windowId, uint32_t unitId,
                           int32_t event, std::string_view text);

// The text of event 3: one name alone; several names each followed by the
// separator.
std::string JoinDroppedFileNames(const std::vector<std::string>& names);

// Event 1's text: the UTF-8 data as a runtime text, each no-break space
// replaced by the replacement text.
std::string SecondFormatToRuntimeText(std::string_view utf8);

}  // namespace desktop
