#include "tests/input/test_form.h"

#include "platform/menus/menus.h"
#include "runtime/arg_record.h"
#include "runtime/event_call.h"
#include "runtime/unit_entry.h"

namespace inputtest {
namespace {

using platform::HWND;

// The window unit has one handler for all its events; its log entries carry
// this number.
constexpr int32_t kWindowHandlerEvent = 1000;

rt::ApplicationObject* g_app = nullptr;

uint32_t CurrentUnit() {
    uint32_t ref[2] = {0, 0};
    g_app->Handle(rt::SN_GET_EVENT_SOURCE, reinterpret_cast<intptr_t>(ref), 0);
    return ref[1];
}

void Log(rt::EventInvocation* call, int32_t event) {
    uint32_t unit = CurrentUnit();
    std::vector<intptr_t> arguments;
    for (int32_t i = 0; i < call->argumentCount; ++i)
        arguments.push_back(intptr_t(call->arguments[i]));
    Behave().log.push_back({unit, event, arguments});
    if (Behave().destroyTarget && Behave().destroyOn == std::make_pair(unit, event))
        platform::DestroyWindow(Behave().destroyTarget);
    auto it = Behave().results.find({unit, event});
    if (it != Behave().results.end()) {
        call->returnedValue = true;
        call->result = it->second;
    }
}

template <int32_t Event>
void Handler(rt::EventInvocation* call) {
    Log(call, Event);
}

void WindowHandler(rt::EventInvocation* call) {
    Log(call, kWindowHandlerEvent);
}

std::vector<std::pair<uint32_t, uintptr_t>> AllEvents() {
    auto at = [](rt::EventHandler handler) { return reinterpret_cast<uintptr_t>(handler); };
    return {{0, at(&Handler<0>)},
            {uint32_t(-1), at(&Handler<-1>)},
            {uint32_t(-2), at(&Handler<-2>)},
            {uint32_t(-3), at(&Handler<-3>)},
            {uint32_t(-4), at(&Handler<-4>)},
            {uint32_t(-5), at(&Handler<-5>)},
            {uint32_t(-6), at(&Handler<-6>)},
            {uint32_t(-9), at(&Handler<-9>)},
            {uint32_t(-10), at(&Handler<-10>)},
            {uint32_t(-11), at(&Handler<-11>)},
            {uint32_t(-12), at(&Handler<-12>)}};
}

int32_t TakesEnter(rt::WindowObject*) {
    return Behave().buttonsTakeEnter;
}
int32_t ClaimsKey(rt::WindowObject*, uint32_t keyCode) {
    return Behave().claimedKeys.count(keyCode) ? 1 : 0;
}
int32_t Filter(rt::WindowObject*, void* message) {
    Behave().filtered.push_back(static_cast<platform::MSG*>(message)->message);
    return Behave().filterConsumes ? 1 : 0;
}

void* ButtonOperations(int32_t operation) {
    return operation == rt::UNIT_ENTRY_TAKES_ENTER ? reinterpret_cast<void*>(&TakesEnter) : nullptr;
}
void* TextOperations(int32_t operation) {
    return operation == rt::UNIT_ENTRY_CLAIMS_KEY ? reinterpret_cast<void*>(&ClaimsKey) : nullptr;
}
void* FilterOperations(int32_t operation) {
    return operation == rt::UNIT_ENTRY_PRE_FILTER ? reinterpret_cast<void*>(&Filter) : nullptr;
}

constexpr uint32_t kEvents = rt::TYPE_FLAG_KIND1;
const rt::DataTypeInfo kTypes[] = {
    {"Button", kEvents | rt::TYPE_FLAG_BUTTON, &ButtonOperations},                     // 0x10001
    {"Label", kEvents | rt::TYPE_FLAG_LABEL, nullptr},                                 // 0x10002
    {"Window", kEvents, nullptr},                                                      // 0x10003
    {"CheckBox", kEvents | rt::TYPE_FLAG_CHECK_BOX, nullptr},                          // 0x10004
    {"Option", kEvents | rt::TYPE_FLAG_OPTION_BUTTON, nullptr},                        // 0x10005
    {"Text", kEvents, &TextOperations},                                                // 0x10006
    {"Filtered", kEvents | rt::TYPE_FLAG_PRE_FILTER, &FilterOperations},               // 0x10007
    {"Dragger", kEvents | rt::TYPE_FLAG_DRAGS_WINDOW | rt::TYPE_FLAG_LABEL, nullptr},  // 0x10008
    {"Quiet", rt::TYPE_FLAG_BUTTON, &ButtonOperations},                                // 0x10009
    {"Embedded", kEvents | rt::TYPE_FLAGS_EMBEDDED_CONTROL, nullptr},                  // 0x1000A
};
const rt::LibraryInfo kLibrary = {"input-test", 10, kTypes, nullptr};

platform::LRESULT FormProc(HWND hwnd, uint32_t message, platform::WPARAM wParam,
                           platform::LPARAM lParam) {
    switch (message) {
        case platform::WM_COMMAND:
            (lParam ? Behave().notifications : Behave().commands).push_back(wParam);
            return 0;
        case platform::WM_CLOSE:
            Behave().closeRequested = true;
            break;
        default:
            break;
    }
    return platform::DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

Behaviour& Behave() {
    static Behaviour behaviour;
    return behaviour;
}

const rt::LibraryInfo& TestLibrary() {
    return kLibrary;
}

TestForm::TestForm(rt::ApplicationObject& app) : app_(app), translator_(app) {
    g_app = &app;
    Behave() = Behaviour{};
    platform::SetPresentationMode(platform::PresentationMode::Memory);
    platform::RegisterStandardControls();
    static bool registered = [] {
        platform::WNDCLASS windowClass;
        windowClass.lpfnWndProc = &FormProc;
        windowClass.lpszClassName = "InputTestForm";
        return platform::RegisterClass(&windowClass) != 0;
    }();
    (void)registered;
    app_.SetLibrary(0, &kLibrary);
    window_ = platform::CreateWindowEx(0, "InputTestForm", "Input test",
                                       platform::WS_OVERLAPPEDWINDOW | platform::WS_VISIBLE, 50, 50,
                                       400, 300, nullptr, nullptr, nullptr, nullptr);
    form_ = new rt::FormWindowObject;
    form_->windowId = kWindowId;
    form_->Attach(reinterpret_cast<rt::NativeHandle>(window_));
    record_ = app_.Windows().AddWindow(kWindowId);
    rt::UnitEntryFields fields;
    fields.type = rt::WINDOW_UNIT_TYPE;
    fields.name = "TestForm";
    fields.object = form_;
    fields.windowHandler = reinterpret_cast<uintptr_t>(&WindowHandler);
    std::vector<uint8_t> body = rt::BuildUnitEntry(fields);
    record_->units.Append(body.data(), uint32_t(body.size()), 0x51000000);
    platform::SetActiveWindow(window_);
    platform::SetFocus(window_);
    Pump();
}

TestForm::~TestForm() {
    platform::EndMenu();
    if (platform::IsWindow(window_))
        platform::DestroyWindow(window_);
    app_.Windows().Clear();
    Pump();
}

uint32_t TestForm::AddUnit(uint32_t type, const char* className, const char* caption,
                           uint32_t style, int x, int y, int width, int height, int32_t tabOrder,
                           HWND parent) {
    HWND hwnd =
        platform::CreateWindowEx(0, className, caption, platform::WS_CHILD | style, x, y, width,
                                 height, parent ? parent : window_, nullptr, nullptr, nullptr);
    auto* object = new rt::WindowObject;
    object->Attach(reinterpret_cast<rt::NativeHandle>(hwnd));
    rt::UnitEntryFields fields;
    fields.type = type;
    fields.name = caption;
    fields.object = object;
    fields.tabOrder = tabOrder;
    fields.events = AllEvents();
    std::vector<uint8_t> body = rt::BuildUnitEntry(fields);
    return record_->units.Append(body.data(), uint32_t(body.size()), 0x11000000);
}

uint32_t TestForm::AddMenuItem(int32_t level, uint32_t flags, int32_t shortcut,
                               const char* caption) {
    rt::MenuItemFields fields;
    fields.type = 0x10010;
    fields.name = caption;
    fields.level = level;
    fields.flags = flags;
    fields.shortcut = shortcut;
    fields.caption = caption;
    std::vector<uint8_t> body = rt::BuildMenuItemEntry(fields);
    return record_->units.Append(body.data(), uint32_t(body.size()), 0x26000000);
}

HWND TestForm::UnitWindow(uint32_t unitId) const {
    rt::UnitEntryView unit = record_->units.ViewOf(unitId);
    return unit.Valid() && unit.Object() ? reinterpret_cast<HWND>(unit.Object()->Handle())
                                         : nullptr;
}

std::vector<uint32_t> TestForm::Pump() {
    std::vector<uint32_t> consumed;
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
        if (translator_.PreTranslate(&msg)) {
            consumed.push_back(msg.message);
            continue;
        }
        platform::TranslateMessage(&msg);
        platform::DispatchMessage(&msg);
    }
    return consumed;
}

std::vector<uint32_t> TestForm::Press(std::initializer_list<uint8_t> keys) {
    for (uint8_t key : keys)
        platform::InjectKey(key, true);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
        platform::InjectKey(*it, false);
    return Pump();
}

}  // namespace inputtest
