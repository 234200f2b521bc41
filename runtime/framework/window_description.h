// Window descriptions: the program's windows as constant data, read by one
// loader. A description lists a window's units in table order (the window's
// own unit, type 0x10003, first); each unit names its type, its parent unit,
// its place, its style bits, its own properties and the application
// routines bound to its events. Installing a description turns it into a
// WindowRecord of the WindowMap whose UnitEntry records are laid out as the
// system reads them; loading (SN_LOAD_WINDOW) then creates the native
// windows from those records.
#pragma once

#include <cstdint>

#include "runtime/event_call.h"

namespace rt {

// One own property of a unit as the description sets it: a 32-bit word, or
// (when `text` is not null) the bytes of a runtime text.
struct UnitPropertySpec {
    int32_t index;
    uint32_t word;
    const char* text;
};

struct UnitEventSpec {
    int32_t event;
    EventHandler handler;
};

struct UnitDescription {
    uint32_t id;
    uint32_t type;
    uint32_t parent;  // 0: the window
    const char* name;
    int32_t left, top, width, height;
    uint32_t style;    // window style bits of the unit's native window
    uint32_t exStyle;  // extended style bits
    int32_t tabOrder;  // -1: not reached by Tab
    uint32_t flags;    // UnitEntry flags (bit 0: show the window when loaded)
    const UnitPropertySpec* properties;
    int32_t propertyCount;
    const UnitEventSpec* events;  // units other than the window's own
    int32_t eventCount;
    EventHandler windowHandler;  // the window's own unit: its load handler
};

struct WindowDescription {
    uint32_t id;
    const UnitDescription* units;
    int32_t unitCount;
};

// The program's window descriptions, given once at start-up.
void SetWindowDescriptions(const WindowDescription* const* descriptions, int32_t count);
const WindowDescription* FindWindowDescription(uint32_t windowId);

// Adds the window to the WindowMap with one UnitEntry record per unit.
// False when the id is taken or invalid, or a unit id is invalid or repeated.
bool InstallWindowDescription(const WindowDescription& description);

}  // namespace rt
