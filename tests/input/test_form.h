// A window of units on real platform windows (in memory) for the input
// tests: a top-level window whose object is a FormWindowObject, standard
// controls as its units, and a type library whose behaviour each test sets.
// Every unit event that runs is logged with its unit and arguments.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/windowing/windows.h"
#include "runtime/application_object.h"
#include "runtime/input/pre_translate.h"
#include "runtime/unit_type.h"

namespace inputtest {

// Unit types of the test library (library 0).
inline constexpr uint32_t kButtonType = 0x10001;
inline constexpr uint32_t kLabelType = 0x10002;
inline constexpr uint32_t kCheckBoxType = 0x10004;
inline constexpr uint32_t kOptionType = 0x10005;
inline constexpr uint32_t kTextType = 0x10006;
inline constexpr uint32_t kFilteredType = 0x10007;
inline constexpr uint32_t kDraggerType = 0x10008;
inline constexpr uint32_t kQuietType = 0x10009;     // raises no events
inline constexpr uint32_t kEmbeddedType = 0x1000A;  // an embedded control

struct RaisedEvent {
    uint32_t unitId;
    int32_t event;
    std::vector<intptr_t> arguments;
    bool operator==(const RaisedEvent&) const = default;
};

// What the test types and handlers do; reset for every test.
struct Behaviour {
    // (unit id, event) -> the result the handler reports; absent: none.
    std::map<std::pair<uint32_t, int32_t>, intptr_t> results;
    std::set<uint32_t> claimedKeys;  // KeyCodes the text type keeps (operation 8)
    int32_t buttonsTakeEnter = 1;    // operation 10 of the button type
    bool filterConsumes = false;     // operation 11 of the filtered type
    std::vector<uint32_t> filtered;  // messages the filter saw
    std::vector<RaisedEvent> log;
    std::vector<platform::WPARAM> commands;       // WM_COMMAND from menus and accelerators
    std::vector<platform::WPARAM> notifications;  // WM_COMMAND from controls
    std::vector<std::string> launches;            // what the desktop opener was given
    bool closeRequested = false;
    // The handler of this (unit, event) destroys this window.
    std::pair<uint32_t, int32_t> destroyOn{0, 0};
    platform::HWND destroyTarget = nullptr;
};
Behaviour& Behave();

class TestForm {
public:
    static constexpr uint32_t kWindowId = 0x52010001;

    explicit TestForm(rt::ApplicationObject& app);
    ~TestForm();

    // A standard control as a unit; answers the unit id.
    uint32_t AddUnit(uint32_t type, const char* className, const char* caption, uint32_t style,
                     int x, int y, int width, int height, int32_t tabOrder,
                     platform::HWND parent = nullptr);
    uint32_t AddMenuItem(int32_t level, uint32_t flags, int32_t shortcut, const char* caption);

    platform::HWND Window() const { return window_; }
    platform::HWND UnitWindow(uint32_t unitId) const;
    rt::FormWindowObject& Form() const { return *form_; }
    rt::WindowRecord& Record() const { return *record_; }

    // Takes every queued message through pre-translation, then translates
    // and dispatches what it leaves, as the event loop does. Answers the
    // messages consumed.
    std::vector<uint32_t> Pump();
    // Key presses: each key goes down in order and comes up in reverse.
    std::vector<uint32_t> Press(std::initializer_list<uint8_t> keys);

    rt::InputTranslator& Translator() { return translator_; }

private:
    rt::ApplicationObject& app_;
    rt::InputTranslator translator_;
    platform::HWND window_ = nullptr;
    rt::FormWindowObject* form_ = nullptr;
    rt::WindowRecord* record_ = nullptr;
};

// A queued message as the event loop would take it.
inline platform::MSG Message(platform::HWND hwnd, uint32_t message, platform::WPARAM wParam,
                             platform::LPARAM lParam) {
    platform::MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

// The test library; SetLibrary(0, &TestLibrary()).
const rt::LibraryInfo& TestLibrary();

}  // namespace inputtest
