#include "tools/conventions-demo/demo_units.h"

#include <string>

#include "platform/controls/controls.h"
#include "runtime/unit_property_block.h"
#include "runtime/unit_type.h"

namespace demo {
namespace {

using platform::HWND;

// A unit's object owns its native window, as the framework's unit objects
// do: deleting the unit destroys the window.
class DemoUnit : public rt::WindowObject {
public:
    ~DemoUnit() override {
        auto hwnd = reinterpret_cast<HWND>(Detach());
        if (hwnd && platform::IsWindow(hwnd))
            platform::DestroyWindow(hwnd);
    }
};

class DemoForm : public rt::FormWindowObject {
public:
    ~DemoForm() override {
        auto hwnd = reinterpret_cast<HWND>(Detach());
        if (hwnd && platform::IsWindow(hwnd))
            platform::DestroyWindow(hwnd);
    }
};

std::string Caption(const rt::UnitCreateArgs* args) {
    rt::PropertyBlockReader block(args->propertyBlock, args->propertyBlockLength);
    auto caption = block.Bytes(kCaptionProperty);
    return caption ? std::string(*caption) : std::string();
}

template <typename Object>
Object* Wrap(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    auto* object = new Object;
    object->Attach(reinterpret_cast<rt::NativeHandle>(hwnd));
    return object;
}

rt::WindowObject* CreateControl(const rt::UnitCreateArgs* args, const char* className,
                                uint32_t kindStyle) {
    platform::RegisterStandardControls();
    std::string caption = Caption(args);
    HWND hwnd = platform::CreateWindowEx(
        args->exStyle, className, caption.c_str(), platform::WS_CHILD | args->style | kindStyle,
        args->x, args->y, args->width, args->height, reinterpret_cast<HWND>(args->parent), nullptr,
        nullptr, nullptr);
    return Wrap<DemoUnit>(hwnd);
}

rt::WindowObject* CreateWindowUnit(const rt::UnitCreateArgs* args) {
    std::string caption = Caption(args);
    HWND hwnd = platform::CreateWindowEx(args->exStyle, kFormClass, caption.c_str(), args->style,
                                         args->x, args->y, args->width, args->height, nullptr,
                                         nullptr, nullptr, nullptr);
    if (!hwnd)
        return nullptr;
    // The record gives the client size; the frame comes on top of it.
    platform::RECT outer, client;
    platform::GetWindowRect(hwnd, &outer);
    platform::GetClientRect(hwnd, &client);
    platform::MoveWindow(hwnd, args->x, args->y,
                         args->width + (outer.right - outer.left) - client.right,
                         args->height + (outer.bottom - outer.top) - client.bottom, false);
    DemoForm* form = Wrap<DemoForm>(hwnd);
    form->windowId = args->windowId;
    rt::PropertyBlockReader block(args->propertyBlock, args->propertyBlockLength);
    rt::FormInputSettings& input = form->input;
    input.escapeCloses = int32_t(block.Word(WINDOW_ESCAPE_CLOSES).value_or(0));
    input.f1Help = int32_t(block.Word(WINDOW_F1_HELP).value_or(0));
    input.enterMovesFocus = int32_t(block.Word(WINDOW_ENTER_MOVES_FOCUS).value_or(0));
    input.dragAnywhere = int32_t(block.Word(WINDOW_DRAG_ANYWHERE).value_or(0));
    input.helpFile = std::string(block.Bytes(WINDOW_HELP_FILE).value_or(""));
    input.helpContext = int32_t(block.Word(WINDOW_HELP_CONTEXT).value_or(0));
    return form;
}

rt::WindowObject* CreateLabel(const rt::UnitCreateArgs* args) {
    return CreateControl(args, platform::kStaticClass, 0);
}
rt::WindowObject* CreatePushButton(const rt::UnitCreateArgs* args) {
    rt::PropertyBlockReader block(args->propertyBlock, args->propertyBlockLength);
    bool isDefault = block.Word(kDefaultProperty).value_or(0) == 1;
    return CreateControl(args, platform::kButtonClass,
                         isDefault ? platform::BS_DEFPUSHBUTTON : platform::BS_PUSHBUTTON);
}
rt::WindowObject* CreateCheckable(const rt::UnitCreateArgs* args, uint32_t kindStyle) {
    rt::WindowObject* unit = CreateControl(args, platform::kButtonClass, kindStyle);
    rt::PropertyBlockReader block(args->propertyBlock, args->propertyBlockLength);
    if (unit && block.Word(kCheckedProperty).value_or(0) == 1) {
        platform::SendMessage(reinterpret_cast<HWND>(unit->Handle()), platform::BM_SETCHECK,
                              platform::BST_CHECKED, 0);
    }
    return unit;
}
rt::WindowObject* CreateCheckBox(const rt::UnitCreateArgs* args) {
    return CreateCheckable(args, platform::BS_AUTOCHECKBOX);
}
rt::WindowObject* CreateOptionButton(const rt::UnitCreateArgs* args) {
    return CreateCheckable(args, platform::BS_AUTORADIOBUTTON);
}
rt::WindowObject* CreateTextBox(const rt::UnitCreateArgs* args) {
    return CreateControl(args, platform::kEditClass, 0);
}

// Only the default button answers Enter for the window.
int32_t PushButtonTakesEnter(rt::WindowObject* unit) {
    auto hwnd = reinterpret_cast<HWND>(unit->Handle());
    uint32_t style = uint32_t(platform::GetWindowLong(hwnd, platform::GWL_STYLE));
    return (style & platform::BS_TYPEMASK) == platform::BS_DEFPUSHBUTTON ? 1 : 0;
}

// A text box leaves every key to the window's conventions.
int32_t TextBoxClaimsKey(rt::WindowObject*, uint32_t) {
    return 0;
}

template <auto Create>
void* CreateOnly(int32_t operation) {
    return operation == rt::UNIT_ENTRY_CREATE ? reinterpret_cast<void*>(Create) : nullptr;
}

void* PushButtonOperations(int32_t operation) {
    if (operation == rt::UNIT_ENTRY_TAKES_ENTER)
        return reinterpret_cast<void*>(&PushButtonTakesEnter);
    return CreateOnly<&CreatePushButton>(operation);
}

void* TextBoxOperations(int32_t operation) {
    if (operation == rt::UNIT_ENTRY_CLAIMS_KEY)
        return reinterpret_cast<void*>(&TextBoxClaimsKey);
    return CreateOnly<&CreateTextBox>(operation);
}

constexpr uint32_t kEvents = rt::TYPE_FLAG_KIND1;
const rt::DataTypeInfo kTypes[] = {
    {"Unused", 0, nullptr},                                                         // 0x10001
    {"Unused", 0, nullptr},                                                         // 0x10002
    {"Window", kEvents, &CreateOnly<&CreateWindowUnit>},                            // 0x10003
    {"Label", kEvents | rt::TYPE_FLAG_LABEL, &CreateOnly<&CreateLabel>},            // 0x10004
    {"PushButton", kEvents | rt::TYPE_FLAG_BUTTON, &PushButtonOperations},          // 0x10005
    {"CheckBox", kEvents | rt::TYPE_FLAG_CHECK_BOX, &CreateOnly<&CreateCheckBox>},  // 0x10006
    {"OptionButton", kEvents | rt::TYPE_FLAG_OPTION_BUTTON,
     &CreateOnly<&CreateOptionButton>},        // 0x10007
    {"TextBox", kEvents, &TextBoxOperations},  // 0x10008
};
const rt::LibraryInfo kLibrary = {"conventions-demo", 8, kTypes, nullptr};

}  // namespace

const rt::LibraryInfo& DemoLibrary() {
    return kLibrary;
}

}  // namespace demo
