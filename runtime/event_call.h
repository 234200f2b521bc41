// The descriptors a library fills to raise a unit event through the system
// (SN_CALL_EVENT, SN_CALL_EVENT_WIDE), and the convention compiled event
// handlers follow.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

struct EventCall {
    uint32_t windowId;
    uint32_t unitId;  // 0: the window itself
    int32_t eventNumber;
    int32_t argumentCount;  // 0 to 5
    uintptr_t arguments[5];
    int32_t resultPresent;  // set to 1 by the system when the handler returned a value
    intptr_t result;
};

struct WideEventCall {
    uint32_t windowId;
    uint32_t unitId;
    int32_t eventNumber;
    int32_t argumentCount;  // 0 to kMaxArguments
    static constexpr int32_t kMaxArguments = 24;
    uintptr_t arguments[kMaxArguments];
    int32_t resultPresent;
    int64_t result;
};

// What an event handler receives: the argument words, argument 1 first, and
// where to leave a result. A handler that produces a value sets
// returnedValue; the system copies the result into the descriptor only then.
struct EventInvocation {
    const uintptr_t* arguments;
    int32_t argumentCount;
    bool returnedValue = false;
    int64_t result = 0;
};

// Handler addresses stored in unit records have this type.
using EventHandler = void (*)(EventInvocation* call);

// The menu-item query of SN_GET_MENU_ITEM; the byte offsets are fixed.
struct MenuItemQuery {
    uint32_t windowId;
    uint32_t commandId;
    char text[256];  // at most 250 characters and a terminator
    uint32_t unitId;
    int32_t level;
    int32_t visible;
};
static_assert(offsetof(MenuItemQuery, text) == 8);
static_assert(offsetof(MenuItemQuery, unitId) == 264);
static_assert(offsetof(MenuItemQuery, level) == 268);
static_assert(offsetof(MenuItemQuery, visible) == 272);

inline constexpr uint32_t MENU_COMMAND_BASE = 20000;
inline constexpr uint32_t kMenuItemTextLimit = 250;

}  // namespace rt
