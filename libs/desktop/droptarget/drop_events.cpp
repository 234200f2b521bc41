#include "libs/desktop/droptarget/drop_events.h"

#include <cstring>

#include "libs/desktop/droptarget/drop_target_library.h"
#include "platform/base/text_codec.h"
#include "runtime/event_call.h"

namespace desktop {

int32_t RaiseDropTextEvent(const rt::SystemCallbackSlot& system, uint32_t windowId, uint32_t unitId,
                           int32_t event, std::string_view text) {
    // Not strict: a drop too large to copy is dropped, not a fatal error.
    auto* block = reinterpret_cast<char*>(system.Call(rt::SN_ALLOC, intptr_t(text.size() + 1), 1));
    if (!block)
        return 1;
    std::memcpy(block, text.data(), text.size());
    block[text.size()] = '\0';
    rt::WideEventCall call{};
    call.windowId = windowId;
    call.unitId = unitId;
    call.eventNumber = event;
    call.argumentCount = 1;
    call.arguments[0] = reinterpret_cast<uintptr_t>(block);
    system.Call(rt::SN_CALL_EVENT_WIDE, reinterpret_cast<intptr_t>(&call), 0);
    system.Call(rt::SN_FREE, reinterpret_cast<intptr_t>(block), 0);
    return 1;
}

std::string JoinDroppedFileNames(const std::vector<std::string>& names) {
    if (names.size() == 1)
        return names.front();
    std::string joined;
    for (const std::string& name : names) {
        joined += name;
        joined += kFileSeparator;
    }
    return joined;
}

std::string SecondFormatToRuntimeText(std::string_view utf8) {
    // U+00A0 is the two bytes C2 A0 in UTF-8; C2 never continues another
    // character, so the pair cannot be part of anything else.
    std::string plain;
    plain.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\xC2' && i + 1 < utf8.size() && utf8[i + 1] == '\xA0') {
            plain += kNoBreakSpaceReplacement;
            ++i;
        } else {
            plain += utf8[i];
        }
    }
    return platform::Utf8ToRuntime(plain);
}

}  // namespace desktop
