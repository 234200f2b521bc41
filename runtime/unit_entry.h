// The UnitEntry record: one unit of a window, stored as a record body in the
// window's SectionTable. Pointer and handle slots are pointer-sized; every
// other field is a 32-bit little-endian word. Layout:
//
//    0  type id (a LibraryTypeCode)          4  parent unit id (0: none)
//    8  16 bytes of the window framework: left, top, width, height of the
//       unit's window (signed 32-bit; the window unit: its client size)
//   24  name text, second text
//  T = the byte after the second text's terminator.
//
//  Units that are not menu items (the window unit among them):
//    T+0   window object pointer (null until the unit is created)
//    T+8   16 bytes of the window framework: style bits, extended style
//          bits, tab order (-1: not reached by Tab), a reserved word
//    T+24  native handle the unit owns (the window unit: its accelerators)
//    T+32  framework word       T+36  count n, then n 32-bit values
//    then  length L and L bytes of type data, then a third text
//  U = the byte after the third text's terminator:
//    U+4   flags (bit 0: show when loaded; bit 3: menu changed)
//    U+12  the window unit: its one handler address
//          other units: event count m, then from U+16 m pairs of
//          (32-bit event number, handler address)
//
//  Menu items (ids of kind 6 and class 2):
//    T+0 shortcut index, T+4 level, T+8 flags (bit 0 hidden, bit 1 grey,
//    bit 2 checked), T+12 caption text; C = after the caption:
//    C+0 framework word, C+4 pop-up menu handle, C+12 12 framework bytes.
//
// Records are read through UnitEntryView, which checks every field against
// the record's length, so a malformed record reads as invalid rather than
// past its end.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "runtime/ids.h"
#include "runtime/runtime_objects.h"

namespace rt {

// The type of a window's own unit (entry 0 of its table).
inline constexpr uint32_t WINDOW_UNIT_TYPE = 0x10003;

// Menu items are told apart by their id, with the same test the section
// table's MenuRun uses, so a unit is a menu item in both or in neither.
constexpr bool IsMenuItemUnitId(uint32_t id) {
    return IsMenuItemId(id);
}

inline constexpr uint32_t UNIT_FLAG_SHOW_ON_LOAD = 0x1;
inline constexpr uint32_t UNIT_FLAG_MENU_CHANGED = 0x8;
inline constexpr uint32_t MENU_FLAG_HIDDEN = 0x1;
inline constexpr uint32_t MENU_FLAG_GREY = 0x2;
inline constexpr uint32_t MENU_FLAG_CHECKED = 0x4;

class UnitEntryView {
public:
    UnitEntryView(uint8_t* body, uint32_t length, bool menuItem);

    bool Valid() const { return valid_; }
    bool IsMenuItem() const { return menuItem_; }
    uint32_t TypeId() const { return Word(0); }
    uint32_t ParentId() const { return Word(4); }
    // The window framework's layout words: left, top, width, height.
    int32_t Geometry(int index) const;
    const char* Name() const;
    const char* SecondText() const;

    // Units that are not menu items.
    WindowObject* Object() const;
    void SetObject(WindowObject* object);
    NativeHandle OwnedHandle() const;
    void SetOwnedHandle(NativeHandle handle);
    uint32_t Style() const;
    uint32_t ExStyle() const;
    int32_t TabOrder() const;
    // The L bytes of type data: the unit's property block.
    const uint8_t* TypeData(uint32_t* length) const;
    uint32_t Flags() const;
    void SetFlags(uint32_t flags);
    // The window unit's single handler (0 for other types).
    uintptr_t WindowHandler() const;
    uint32_t EventCount() const;
    uint32_t EventNumberAt(uint32_t index) const;
    uintptr_t EventHandlerAt(uint32_t index) const;

    // Menu items.
    int32_t Shortcut() const;
    int32_t Level() const;
    uint32_t MenuFlags() const;
    const char* Caption() const;
    NativeHandle PopupHandle() const;
    void SetPopupHandle(NativeHandle handle);

private:
    uint32_t Word(uint32_t offset) const;
    uintptr_t Pointer(uint32_t offset) const;
    void SetPointer(uint32_t offset, uintptr_t value);
    // Offset just past the zero-terminated text at `offset`, or 0 when the
    // text is not terminated inside the record.
    uint32_t SkipText(uint32_t offset) const;
    bool Fits(uint64_t offset, uint64_t size) const { return offset + size <= length_; }

    uint8_t* body_;
    uint32_t length_;
    bool menuItem_;
    bool valid_ = false;
    uint32_t secondText_ = 0;
    uint32_t t_ = 0;
    uint32_t typeData_ = 0;  // not menu items: the type data's length word
    uint32_t u_ = 0;         // not menu items
    uint32_t events_ = 0;    // not menu items, not the window unit: U+16
    uint32_t eventCount_ = 0;
    uint32_t caption_ = 0;  // menu items
};

// What a unit record holds, for building one.
struct UnitEntryFields {
    uint32_t type = 0;
    uint32_t parent = 0;
    int32_t geometry[4] = {0, 0, 0, 0};  // left, top, width, height
    std::string name;
    std::string second;
    WindowObject* object = nullptr;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int32_t tabOrder = -1;
    NativeHandle ownedHandle = 0;
    std::vector<uint32_t> values;
    std::vector<uint8_t> typeData;
    std::string third;
    uint32_t flags = 0;
    uintptr_t windowHandler = 0;                         // the window unit only
    std::vector<std::pair<uint32_t, uintptr_t>> events;  // other units
};

struct MenuItemFields {
    uint32_t type = 0;
    uint32_t parent = 0;
    std::string name;
    std::string second;
    int32_t shortcut = 0;
    int32_t level = 0;
    uint32_t flags = 0;
    std::string caption;
};

std::vector<uint8_t> BuildUnitEntry(const UnitEntryFields& fields);
std::vector<uint8_t> BuildMenuItemEntry(const MenuItemFields& fields);

}  // namespace rt
