// Test helpers: core units made the way the window framework makes them
// (through their type's entry 1, found by type code through the system),
// on a real form window kept in memory, with a window record in the
// system's window map so that their events reach test handlers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "corelib/commands/core_library.h"
#include "corelib/units/core_unit_types.h"
#include "platform/controls/controls.h"
#include "runtime/application_object.h"
#include "runtime/event_call.h"
#include "runtime/properties/unit_properties.h"
#include "runtime/services.h"
#include "runtime/system_hooks.h"
#include "runtime/unit_property_block.h"
#include "runtime/window_record.h"
#include "tests/controls/test_windows.h"

namespace unittest {

using namespace platform;
namespace units = corelib::units;

inline constexpr uint32_t kWindowId = 0x52010007;
inline constexpr uint32_t kFormUnitId = 0x06010000;

// What the window framework tells the system about native windows, as far
// as unit look-ups need it.
inline bool NativeWindowExists(rt::NativeHandle handle) {
    return IsWindow(reinterpret_cast<HWND>(handle));
}

inline void AnnounceCoreUnits() {
    static bool announced = [] {
        rt::NativeWindowHooks hooks;
        hooks.windowExists = &NativeWindowExists;
        rt::SetNativeWindowHooks(hooks);
        rt::ApplicationObject& app = rt::ApplicationObject::Instance();
        app.SetLibrary(corelib::kCoreLibraryNumber, &corelib::CoreLibraryInfo());
        app.AnnounceSystem(&rt::SystemNotify);
        units::InstallCoreUnitTypes();
        return true;
    }();
    (void)announced;
}

inline const rt::DataTypeInfo* TypeInfo(uint32_t type) {
    return reinterpret_cast<const rt::DataTypeInfo*>(
        corelib::CallSystem(rt::SN_GET_TYPE_INFO, intptr_t(type)));
}

template <typename Routine>
Routine Entry(uint32_t type, int32_t entry) {
    const rt::DataTypeInfo* info = TypeInfo(type);
    return info && info->findOperation ? reinterpret_cast<Routine>(info->findOperation(entry))
                                       : nullptr;
}

// A property block from (index, word) and (index, text) pairs.
struct BlockBuilder {
    rt::PropertyBlockWriter writer;
    BlockBuilder& Word(int32_t index, uint32_t value) {
        writer.Word(index, value);
        return *this;
    }
    BlockBuilder& Text(int32_t index, std::string_view value) {
        writer.Bytes(index, value);
        return *this;
    }
    std::vector<uint8_t> Finish() const { return writer.Finish(); }
};

using ctltest::Pump;

inline HWND WindowOf(rt::WindowObject* unit) {
    return reinterpret_cast<HWND>(unit->Handle());
}

inline uint32_t StyleOf(rt::WindowObject* unit) {
    return uint32_t(GetWindowLong(WindowOf(unit), GWL_STYLE));
}

class UnitTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPresentationMode(PresentationMode::Memory);
        ASSERT_TRUE(RegisterStandardControls());
        AnnounceCoreUnits();
        window_ = rt::ApplicationObject::Instance().Windows().AddWindow(kWindowId);
        ASSERT_NE(window_, nullptr);
        form_ = Make(units::kWindowUnitType, kFormUnitId, {}, 20, 20, 400, 300,
                     WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        ASSERT_NE(form_, nullptr);
        Pump();
    }
    void TearDown() override {
        // The window map owns the units: clearing it destroys them and
        // their windows.
        rt::ApplicationObject::Instance().Windows().Clear();
        Pump();
    }

    // A unit made through its type's entry 1 and entered in the window's
    // table under `unitId`, with handlers for its events.
    rt::WindowObject* Make(uint32_t type, uint32_t unitId, const std::vector<uint8_t>& block, int x,
                           int y, int width, int height, uint32_t style = WS_VISIBLE | WS_TABSTOP,
                           std::vector<std::pair<uint32_t, uintptr_t>> events = {}) {
        auto create = Entry<rt::UnitCreateRoutine>(type, rt::UNIT_ENTRY_CREATE);
        EXPECT_NE(create, nullptr);
        if (!create)
            return nullptr;
        rt::UnitCreateArgs args{};
        args.propertyBlock = block.empty() ? nullptr : block.data();
        args.propertyBlockLength = uint32_t(block.size());
        args.windowId = kWindowId;
        args.unitId = unitId;
        args.parent = type == units::kWindowUnitType ? 0 : form_->Handle();
        args.x = x;
        args.y = y;
        args.width = width;
        args.height = height;
        args.style = style;
        rt::WindowObject* unit = create(&args);
        EXPECT_NE(unit, nullptr);
        rt::UnitEntryFields fields;
        fields.type = type;
        fields.object = unit;
        fields.events = std::move(events);
        std::vector<uint8_t> record = rt::BuildUnitEntry(fields);
        window_->units.AppendKeyed(unitId, record.data(), uint32_t(record.size()));
        return unit;
    }

    uint64_t Get(uint32_t type, rt::WindowObject* unit, uint32_t number, int32_t element = -1) {
        return rt::GetUnitProperty(type, unit, number, element);
    }
    void Set(uint32_t type, rt::WindowObject* unit, uint32_t number, uint32_t low,
             uint32_t high = 0, int32_t element = -1) {
        rt::SetUnitProperty(type, unit, number, element, low, high);
    }
    void SetText(uint32_t type, rt::WindowObject* unit, uint32_t number, const char* text) {
        auto bits = uint64_t(reinterpret_cast<uintptr_t>(text));
        Set(type, unit, number, uint32_t(bits), uint32_t(bits >> 32));
    }
    // A text property as a string; the fresh block is released.
    std::string GetText(uint32_t type, rt::WindowObject* unit, uint32_t number) {
        auto* text = reinterpret_cast<char*>(uintptr_t(Get(type, unit, number)));
        std::string out = text ? text : "";
        if (text)
            rt::RtFree(text);
        return out;
    }

    // A click at a client point of `unit`'s window, through the form.
    void Click(rt::WindowObject* unit, int x, int y) {
        POINT p{x, y};
        MapWindowPoints(WindowOf(unit), WindowOf(form_), &p, 1);
        InjectClick(WindowOf(form_), p.x, p.y);
        Pump();
    }

    rt::WindowRecord* window_ = nullptr;
    rt::WindowObject* form_ = nullptr;
};

// Counts the events a handler was called for.
struct EventLog {
    std::vector<std::pair<uint32_t, int32_t>> calls;  // (unit id, event)
    int CountOf(uint32_t unitId, int32_t event) const {
        int count = 0;
        for (const auto& call : calls)
            count += call.first == unitId && call.second == event;
        return count;
    }
};

}  // namespace unittest
