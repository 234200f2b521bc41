#include "runtime/input/pre_translate.h"

#include <vector>

#include "platform/menus/menus.h"
#include "runtime/input/embedded_control.h"
#include "runtime/input/form_input.h"
#include "runtime/input/framework_input_hooks.h"
#include "runtime/input/key_code.h"
#include "runtime/input/keyboard_conventions.h"
#include "runtime/input/unit_events.h"
#include "runtime/system_hooks.h"

namespace rt {
namespace {

// What one window's pass over a message decided.
enum class Verdict {
    Consumed,  // the message must not be dispatched
    PassOn,    // not consumed here; a window around this one may look
    Release,   // not consumed, and no other window may look either
};

// Deeper than any real window tree; guards the walk against a cycle.
constexpr int kMaxAncestors = 64;

bool IsKeyboardMessage(uint32_t message) {
    return message >= platform::WM_KEYDOWN && message <= 0x108;
}

bool IsMouseMessage(uint32_t message) {
    return message >= platform::WM_MOUSEMOVE && message <= platform::WM_MBUTTONDBLCLK;
}

struct WindowAround {
    platform::HWND window;
    FormWindowObject* form;
};

// The windows' own unit objects from the target outwards (parents, then
// owners).
std::vector<WindowAround> WindowsAround(platform::HWND target) {
    std::vector<WindowAround> around;
    int depth = 0;
    for (platform::HWND at = target; at && depth < kMaxAncestors;
         at = platform::GetParent(at), ++depth) {
        if (FormWindowObject* form = FormOfNativeWindow(at))
            around.push_back({at, form});
    }
    return around;
}

// Whether `target` is the window of unit 0 of some window of the map.
bool IsSomeWindowsOwnWindow(ApplicationObject& app, platform::HWND target) {
    WindowMap& windows = app.Windows();
    for (uint32_t i = 0; i < windows.Count(); ++i) {
        WindowRecord* record = windows.WindowAt(i);
        if (!record || record->units.Count() == 0)
            continue;
        UnitEntryView self = record->units.View(0);
        if (self.Valid() && !self.IsMenuItem() && self.Object() &&
            self.Object()->Handle() == reinterpret_cast<NativeHandle>(target)) {
            return true;
        }
    }
    return false;
}

bool RunPreFilters(const FormInput& input, platform::MSG* msg) {
    for (int32_t i = 0; i < input.UnitCount(); ++i) {
        if (!(input.TypeFlags(i) & TYPE_FLAG_PRE_FILTER))
            continue;
        UnitEntryView unit = input.Unit(i);
        if (!unit.Valid() || unit.IsMenuItem() || !unit.Object())
            continue;
        auto filter =
            reinterpret_cast<UnitPreFilterRoutine>(input.TypeOperation(i, UNIT_ENTRY_PRE_FILTER));
        if (filter && filter(unit.Object(), msg) != 0)
            return true;
        if (!input.Alive())
            return false;
    }
    return false;
}

// Drag anywhere: a left press is turned into a press on the caption.
Verdict DragAnywhere(const FormInput& input, const platform::MSG* msg) {
    platform::POINT screen{platform::GET_X_LPARAM(msg->lParam),
                           platform::GET_Y_LPARAM(msg->lParam)};
    platform::ClientToScreen(msg->hwnd, &screen);
    platform::LPARAM where = platform::MAKELPARAM(screen.x, screen.y);
    if (msg->hwnd == input.Window()) {
        platform::SendMessage(input.Window(), platform::WM_NCLBUTTONDOWN,
                              platform::WPARAM(platform::HTCAPTION), where);
        return Verdict::Release;
    }
    int32_t unit = input.UnitOfWindow(msg->hwnd);
    if (unit > 0 && (input.TypeFlags(unit) & TYPE_FLAG_DRAGS_WINDOW)) {
        platform::SendMessage(input.Window(), platform::WM_NCLBUTTONDOWN,
                              platform::WPARAM(platform::HTCAPTION), where);
        return Verdict::Consumed;
    }
    return Verdict::PassOn;
}

// What the window system does with a system character or F10 that nobody
// took: the menu bar opens for the keyboard.
bool OpenMenuBarFromKeyboard(platform::HWND window, const platform::MSG* msg) {
    bool systemCharacter = msg->message == platform::WM_SYSCHAR;
    bool f10 = msg->message == platform::WM_SYSKEYDOWN && msg->wParam == platform::VK_F10 &&
               KeyCodeOf(*msg) == platform::VK_F10;
    if (!systemCharacter && !f10)
        return false;
    platform::HWND owner =
        platform::GetMenu(window) ? window : platform::GetAncestor(window, platform::GA_ROOT);
    if (!platform::GetMenu(owner))
        return false;
    return platform::OpenMenuBarByKey(owner, systemCharacter ? int(msg->wParam) : 0);
}

// The unit steps (6 to 12) for a target inside the window.
Verdict UnitSteps(const FormInput& input, platform::MSG* msg) {
    const FrameworkInputHooks& framework = FrameworkInput();
    const FormInputSettings& settings = input.Form().input;
    uint32_t message = msg->message;

    if (msg->hwnd != input.Window() && settings.foreignUnits == 0 &&
        IsSomeWindowsOwnWindow(input.App(), msg->hwnd)) {
        return Verdict::Release;
    }
    if (RunPreFilters(input, msg))
        return Verdict::Consumed;
    if (!input.Alive())
        return Verdict::PassOn;
    if (IsKeyboardMessage(message) || IsMouseMessage(message)) {
        InPlaceObject* control = FocusedEmbeddedControl(input);
        if (control && control->TranslateAccelerator(msg))
            return Verdict::Consumed;
        if (!input.Alive())
            return Verdict::PassOn;
    }
    if (settings.dragAnywhere == 1 && message == platform::WM_LBUTTONDOWN) {
        Verdict verdict = DragAnywhere(input, msg);
        if (verdict != Verdict::PassOn)
            return verdict;
    }
    uint32_t keyCode = KeyCodeOf(*msg);
    if (keyCode == 0) {
        if (message == platform::WM_SETCURSOR && framework.unitCursor && framework.unitCursor(msg))
            return Verdict::Consumed;
        if (message == platform::WM_CHAR || message == platform::WM_SYSCHAR) {
            InPlaceObject* control = FocusedEmbeddedControl(input);
            if (control && control->TakeMnemonic(msg))
                return Verdict::Consumed;
        }
    } else if (ApplyKeyboardConventions(input, msg, keyCode)) {
        return Verdict::Consumed;
    }
    if (!input.Alive())
        return Verdict::PassOn;
    if (RaiseUnitInputEvent(input, msg))
        return Verdict::Consumed;
    return Verdict::PassOn;
}

// A message whose handling destroyed the window must not be dispatched to
// what is left of it.
Verdict FinalStep(platform::HWND window) {
    return platform::IsWindow(window) ? Verdict::PassOn : Verdict::Consumed;
}

Verdict PreTranslateForWindow(ApplicationObject& app, FormWindowObject& form, platform::MSG* msg) {
    FormInput input(app, form);
    platform::HWND window = input.Window();
    const FrameworkInputHooks& framework = FrameworkInput();
    uint32_t message = msg->message;

    if (IsKeyboardMessage(message) && !platform::IsWindowEnabled(msg->hwnd))
        return Verdict::Release;
    if ((message == platform::WM_LBUTTONDOWN || message == platform::WM_NCLBUTTONDOWN) &&
        framework.toolTipMouseDown) {
        framework.toolTipMouseDown(msg->hwnd);
    }
    if (framework.preTranslate && framework.preTranslate(msg))
        return Verdict::Consumed;
    if (!input.Alive())
        return FinalStep(window);
    auto accelerators = reinterpret_cast<platform::HACCEL>(form.input.accelerators);
    if (IsKeyboardMessage(message) && accelerators &&
        platform::TranslateAccelerator(window, accelerators, msg)) {
        return Verdict::Consumed;
    }
    if (!input.Alive())
        return FinalStep(window);

    bool inside = msg->hwnd == window || platform::IsChild(window, msg->hwnd);
    if (!form.input.inputDisabled && inside) {
        Verdict verdict = UnitSteps(input, msg);
        if (verdict != Verdict::PassOn)
            return verdict;
    }
    if (FinalStep(window) == Verdict::Consumed)
        return Verdict::Consumed;
    if (OpenMenuBarFromKeyboard(window, msg))
        return Verdict::Consumed;
    return Verdict::PassOn;
}

}  // namespace

bool InputTranslator::PreTranslate(platform::MSG* msg) {
    if (!msg)
        return false;
    // An open menu takes the keys before any window does.
    if (platform::TranslateMenuKey(msg))
        return true;
    for (const WindowAround& around : WindowsAround(msg->hwnd)) {
        // A handler of an inner window may have destroyed an outer one.
        if (FormOfNativeWindow(around.window) != around.form)
            return false;
        switch (PreTranslateForWindow(app_, *around.form, msg)) {
            case Verdict::Consumed:
                return true;
            case Verdict::Release:
                return false;
            case Verdict::PassOn:
                break;
        }
    }
    return false;
}

bool PreTranslateInput(void* message) {
    InputTranslator translator(ApplicationObject::Instance());
    return translator.PreTranslate(static_cast<platform::MSG*>(message));
}

void InstallInputHooks() {
    InputHooks hooks;
    hooks.preTranslateInput = &PreTranslateInput;
    SetInputHooks(hooks);
}

}  // namespace rt
