#include "tools/conventions-demo/demo_description.h"

#include <string>
#include <vector>

#include "platform/windowing/windows.h"
#include "runtime/unit_property_block.h"
#include "tools/conventions-demo/demo_handlers.h"
#include "tools/conventions-demo/demo_units.h"

namespace demo {
namespace {

constexpr uint32_t kVisible = platform::WS_VISIBLE;

struct UnitSpec {
    uint32_t id;
    uint32_t type;
    const char* name;
    int32_t left, top, width, height;
    uint32_t style;
    int32_t tabOrder;
    const char* caption;
    int32_t extraProperty;  // -1: none
    uint32_t extraValue;
    std::vector<std::pair<int32_t, rt::EventHandler>> events;
};

struct MenuSpec {
    int32_t level;
    const char* caption;
    uint32_t flags;
    int32_t shortcut;  // index into the shortcut-key table
};

// Window geometry is the client area; the menu bar's band takes its top
// 22 pixels.
const std::vector<UnitSpec>& Units() {
    static const std::vector<UnitSpec> units = {
        {UNIT_NAME_LABEL,
         kLabelType,
         "NameLabel",
         12,
         38,
         80,
         20,
         kVisible,
         -1,
         "&Name:",
         -1,
         0,
         {}},
        {UNIT_NAME, kTextBoxType, "Name", 100, 34, 240, 24, kVisible, 0, "", -1, 0, {}},
        {UNIT_QUALITY_LABEL,
         kLabelType,
         "QualityLabel",
         12,
         70,
         80,
         20,
         kVisible,
         -1,
         "&Quality:",
         -1,
         0,
         {}},
        {UNIT_QUALITY,
         kTextBoxType,
         "Quality",
         100,
         66,
         60,
         24,
         kVisible,
         1,
         "85",
         -1,
         0,
         {{-11, &OnQualityCharacter}}},
        {UNIT_FORMAT_LABEL,
         kLabelType,
         "FormatLabel",
         12,
         102,
         80,
         20,
         kVisible,
         -1,
         "Format:",
         -1,
         0,
         {}},
        {UNIT_JPEG,
         kOptionButtonType,
         "Jpeg",
         100,
         100,
         80,
         22,
         kVisible,
         2,
         "&JPEG",
         kCheckedProperty,
         1,
         {{0, &OnFormatChosen}}},
        {UNIT_TIFF,
         kOptionButtonType,
         "Tiff",
         185,
         100,
         80,
         22,
         kVisible,
         3,
         "&TIFF",
         -1,
         0,
         {{0, &OnFormatChosen}}},
        {UNIT_PNG,
         kOptionButtonType,
         "Png",
         270,
         100,
         80,
         22,
         kVisible,
         4,
         "&PNG",
         -1,
         0,
         {{0, &OnFormatChosen}}},
        {UNIT_KEEP_FOLDERS,
         kCheckBoxType,
         "KeepFolders",
         100,
         130,
         160,
         22,
         kVisible,
         5,
         "&Keep folders",
         -1,
         0,
         {{0, &OnKeepFolders}}},
        {UNIT_CONVERT,
         kPushButtonType,
         "Convert",
         100,
         166,
         100,
         28,
         kVisible,
         6,
         "&Convert",
         kDefaultProperty,
         1,
         {{0, &OnConvert}}},
        {UNIT_CLOSE,
         kPushButtonType,
         "Close",
         210,
         166,
         100,
         28,
         kVisible,
         7,
         "C&lose",
         -1,
         0,
         {{0, &OnClose}}},
        {UNIT_STATUS,
         kLabelType,
         "Status",
         12,
         214,
         436,
         20,
         kVisible,
         -1,
         "Tab, Enter, Esc, F1, Alt+letters, arrows and the menus all work.",
         -1,
         0,
         {}},
    };
    return units;
}

const std::vector<MenuSpec>& MenuItems() {
    static const std::vector<MenuSpec> items = {
        {0, "&File", 0, 0},
        {1, "&Open...", 0, 15},
        {1, "&Save", 0, 19},
        {1, "-", 0, 0},
        {1, "&Recent files", 0, 0},
        {2, "&1 sunset.jpg", 0, 0},
        {2, "&2 harbour.png", 0, 0},
        {1, "-", 0, 0},
        {1, "E&xit", 0, 66},
        {0, "&Edit", 0, 0},
        {1, "&Undo", rt::MENU_FLAG_GREY, 26},
        {1, "Word &wrap", rt::MENU_FLAG_CHECKED, 0},
        {1, "&Size", 0, 0},
        {2, "&Small", 0, 0},
        {2, "&Medium", rt::MENU_FLAG_CHECKED, 0},
        {2, "&Large", 0, 0},
        {0, "&Help", 0, 0},
        {1, "&Contents", 0, 0},
        {1, "&About", 0, 0},
    };
    return items;
}

std::vector<uint8_t> WindowRecordOf() {
    rt::PropertyBlockWriter block;
    block.Bytes(kCaptionProperty, "picbatch: keyboard and mouse conventions");
    block.Word(WINDOW_ESCAPE_CLOSES, 1);
    block.Word(WINDOW_F1_HELP, 1);
    block.Word(WINDOW_DRAG_ANYWHERE, 1);
    rt::UnitEntryFields fields;
    fields.type = kWindowType;
    fields.name = "ConventionsDemo";
    fields.geometry[0] = 120;
    fields.geometry[1] = 100;
    fields.geometry[2] = 460;
    fields.geometry[3] = 244;
    fields.style = platform::WS_OVERLAPPEDWINDOW;
    fields.typeData = block.Finish();
    fields.flags = rt::UNIT_FLAG_SHOW_ON_LOAD;
    fields.windowHandler = reinterpret_cast<uintptr_t>(&OnLoad);
    return rt::BuildUnitEntry(fields);
}

std::vector<uint8_t> UnitRecordOf(const UnitSpec& spec) {
    rt::PropertyBlockWriter block;
    block.Bytes(kCaptionProperty, spec.caption);
    if (spec.extraProperty >= 0)
        block.Word(spec.extraProperty, spec.extraValue);
    rt::UnitEntryFields fields;
    fields.type = spec.type;
    fields.parent = UNIT_WINDOW;  // every unit sits on the window
    fields.name = spec.name;
    fields.geometry[0] = spec.left;
    fields.geometry[1] = spec.top;
    fields.geometry[2] = spec.width;
    fields.geometry[3] = spec.height;
    fields.style = spec.style;
    fields.tabOrder = spec.tabOrder;
    fields.typeData = block.Finish();
    for (const auto& [event, handler] : spec.events)
        fields.events.emplace_back(uint32_t(event), reinterpret_cast<uintptr_t>(handler));
    return rt::BuildUnitEntry(fields);
}

std::vector<uint8_t> MenuRecordOf(const MenuSpec& spec) {
    rt::MenuItemFields fields;
    fields.type = kMenuItemType;
    fields.name = spec.caption;
    fields.level = spec.level;
    fields.flags = spec.flags;
    fields.shortcut = spec.shortcut;
    fields.caption = spec.caption;
    return rt::BuildMenuItemEntry(fields);
}

}  // namespace

rt::WindowRecord* InstallDemoWindow(rt::ApplicationObject& app) {
    rt::WindowRecord* window = app.Windows().AddWindow(kWindowId);
    if (!window)
        return nullptr;
    std::vector<uint8_t> record = WindowRecordOf();
    window->units.AppendKeyed(UNIT_WINDOW, record.data(), uint32_t(record.size()));
    for (const UnitSpec& spec : Units()) {
        record = UnitRecordOf(spec);
        window->units.AppendKeyed(spec.id, record.data(), uint32_t(record.size()));
    }
    uint32_t serial = 1;
    for (const MenuSpec& spec : MenuItems()) {
        record = MenuRecordOf(spec);
        window->units.AppendKeyed(0x26000000 | serial++, record.data(), uint32_t(record.size()));
    }
    return window;
}

}  // namespace demo
