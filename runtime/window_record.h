// A window as the system keeps it: its units in a SectionTable of UnitEntry
// records (entry 0 is the window's own unit), a spare table that unit
// destruction swaps with, and whatever state the window framework attaches.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/key_map.h"
#include "runtime/runtime_objects.h"
#include "runtime/section_table.h"
#include "runtime/unit_entry.h"

namespace rt {

// A unit table whose clearing releases what the units hold: their window
// objects and the native handles they own.
class UnitTable : public SectionTable {
public:
    using SectionTable::SectionTable;
    ~UnitTable() override { Clear(); }
    void Clear() override;

    // The entry of `unitId` (0: the window's own unit); invalid when absent.
    UnitEntryView View(int32_t index);
    UnitEntryView ViewOf(uint32_t unitId, int32_t* index = nullptr);
};

struct WindowRecord {
    explicit WindowRecord(uint32_t windowId) : id(windowId) {}
    WindowRecord(const WindowRecord&) = delete;
    WindowRecord& operator=(const WindowRecord&) = delete;

    uint32_t id;
    // Declared before the tables that point at it.
    uint32_t idCounter = 0;
    UnitTable units{&idCounter};
    UnitTable spareUnits{&idCounter};
    NativeHandle menuBar = 0;
    // The window framework's own state for this window.
    std::unique_ptr<RuntimeObject> frameworkState;
};

// Window id -> WindowRecord. The map owns the records: clearing it destroys
// every window with its units.
class WindowMap : public KeyMap {
public:
    using KeyMap::KeyMap;
    ~WindowMap() override { Clear(); }
    void Clear() override;

    WindowRecord* FindWindow(uint32_t windowId) const;
    WindowRecord* WindowAt(uint32_t index) const;
    // Adds a new, empty window; null when the id is invalid or taken.
    WindowRecord* AddWindow(uint32_t windowId);
};

}  // namespace rt
