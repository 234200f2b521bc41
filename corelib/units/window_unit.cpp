#include "corelib/units/window_unit.h"

#include "corelib/units/core_unit_types.h"
#include "platform/controls/controls.h"

namespace corelib::units {
namespace {

using namespace platform;

constexpr rt::PropertyDescriptor kProperties[FORM_PROPERTY_COUNT] = {
    Kind(rt::KIND_TEXT),    Kind(rt::KIND_WORD),    Kind(rt::KIND_WORD),    Kind(rt::KIND_LOGICAL),
    Kind(rt::KIND_LOGICAL), Kind(rt::KIND_LOGICAL), Kind(rt::KIND_LOGICAL), Kind(rt::KIND_LOGICAL),
    Kind(rt::KIND_TEXT_B),  Kind(rt::KIND_WORD),    Kind(rt::KIND_LOGICAL), Kind(rt::KIND_LOGICAL),
    Kind(rt::KIND_LOGICAL), Kind(rt::KIND_LOGICAL), Kind(rt::KIND_LOGICAL), Kind(rt::KIND_LOGICAL),
    Kind(rt::KIND_LOGICAL), Kind(rt::KIND_WORD),    Kind(rt::KIND_LOGICAL), Kind(rt::KIND_LOGICAL),
    Kind(rt::KIND_LOGICAL), Kind(rt::KIND_LOGICAL),
};

// The properties that are bits of the window's style words.
struct StyleProperty {
    int32_t index;
    int styleWord;  // GWL_STYLE or GWL_EXSTYLE
    uint32_t bits;
};
constexpr StyleProperty kStyleProperties[] = {
    {FORM_RESIZABLE, GWL_STYLE, WS_THICKFRAME},
    {FORM_MINIMISE_BOX, GWL_STYLE, WS_MINIMIZEBOX},
    {FORM_MAXIMISE_BOX, GWL_STYLE, WS_MAXIMIZEBOX},
    {FORM_SYSTEM_MENU, GWL_STYLE, WS_SYSMENU},
    {FORM_TITLE_BAR, GWL_STYLE, WS_CAPTION},
    {FORM_TOOL_WINDOW, GWL_EXSTYLE, WS_EX_TOOLWINDOW},
    {FORM_CLIENT_EDGE, GWL_EXSTYLE, WS_EX_CLIENTEDGE},
    {FORM_STAY_ON_TOP, GWL_EXSTYLE, WS_EX_TOPMOST},
};

const StyleProperty* StylePropertyAt(int32_t index) {
    for (const StyleProperty& property : kStyleProperties) {
        if (property.index == index)
            return &property;
    }
    return nullptr;
}

int32_t* InputSetting(rt::FormInputSettings& input, int32_t index) {
    switch (index) {
        case FORM_INPUT_DISABLED:
            return &input.inputDisabled;
        case FORM_FOREIGN_UNITS:
            return &input.foreignUnits;
        case FORM_ENTER_MOVES_FOCUS:
            return &input.enterMovesFocus;
        case FORM_ESCAPE_CLOSES:
            return &input.escapeCloses;
        case FORM_F1_HELP:
            return &input.f1Help;
        case FORM_HELP_CONTEXT:
            return &input.helpContext;
        case FORM_HELP_SHOWN:
            return &input.helpShown;
        case FORM_DRAG_ANYWHERE:
            return &input.dragAnywhere;
        default:
            return nullptr;
    }
}

void* FindOperation(int32_t operation) {
    return StandardOperation<WindowUnit>(operation, false);
}

}  // namespace

WindowUnit::WindowUnit(const rt::UnitCreateArgs& args) : CoreUnit(args) {
    windowId = args.windowId;
}

rt::WindowObject* WindowUnit::Create(const rt::UnitCreateArgs& args) {
    if (!RegisterFormWindowClass())
        return nullptr;
    auto* unit = new WindowUnit(args);
    // A window description gives the window's client size; no style at all
    // means an ordinary overlapped window.
    uint32_t style = args.style ? args.style & ~WS_CHILD : WS_OVERLAPPEDWINDOW;
    HWND window =
        CreateWindowEx(args.exStyle, kFormWindowClass, "", style, args.x, args.y, args.width,
                       args.height, reinterpret_cast<HWND>(args.parent), nullptr, nullptr, nullptr);
    if (!window || !unit->Attach(reinterpret_cast<rt::NativeHandle>(window))) {
        if (window)
            DestroyWindow(window);
        delete unit;
        return nullptr;
    }
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    int frameWidth = (outer.right - outer.left) - client.right;
    int frameHeight = (outer.bottom - outer.top) - client.bottom;
    if (frameWidth > 0 || frameHeight > 0) {
        SetWindowPos(window, nullptr, 0, 0, args.width + frameWidth, args.height + frameHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ApplyPropertyBlock(*unit, args.propertyBlock, args.propertyBlockLength);
    return unit;
}

WindowUnit::~WindowUnit() {
    // Detached first: the window's procedure no longer finds this unit while
    // the window and its controls go away.
    auto window = reinterpret_cast<HWND>(Detach());
    if (window && IsWindow(window))
        DestroyWindow(window);
}

const CoreUnitType& WindowUnit::Type() const {
    return WindowUnitType();
}

void WindowUnit::GetOwn(int32_t index, rt::PropertyValue* result) {
    if (const StyleProperty* style = StylePropertyAt(index)) {
        PutWord(result, HasStyle(style->styleWord, style->bits) ? 1 : 0);
        return;
    }
    if (int32_t* setting = InputSetting(input, index)) {
        PutWord(result, *setting);
        return;
    }
    switch (index) {
        case FORM_CAPTION:
            PutText(result, caption_);
            break;
        case FORM_HELP_FILE:
            PutText(result, input.helpFile);
            break;
        case FORM_TEXT_COLOUR:
            PutWord(result, int32_t(textColour_));
            break;
        case FORM_BACKGROUND:
            PutWord(result, int32_t(background_));
            break;
        case FORM_STATE:
            PutWord(result, state_);
            break;
        case FORM_CENTRED:
            PutWord(result, centred_);
            break;
        default:
            break;
    }
}

int32_t WindowUnit::SetOwn(int32_t index, const rt::PropertyValue& value) {
    int32_t word = WordOf(value);
    if (const StyleProperty* style = StylePropertyAt(index)) {
        if (index == FORM_STAY_ON_TOP)
            StayOnTop(IsOn(word));
        else
            ChangeStyle(style->styleWord, style->bits, IsOn(word));
        return 0;
    }
    if (int32_t* setting = InputSetting(input, index)) {
        *setting = word;
        return 0;
    }
    switch (index) {
        case FORM_CAPTION:
            caption_ = TextOf(value);
            SetWindowText(Window(), caption_.c_str());
            return 1;
        case FORM_HELP_FILE:
            input.helpFile = TextOf(value);
            return 0;
        case FORM_TEXT_COLOUR:
        case FORM_BACKGROUND:
            (index == FORM_TEXT_COLOUR ? textColour_ : background_) = uint32_t(word);
            // The labels and check boxes show the window's colours too.
            RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return 0;
        case FORM_STATE:
            state_ = Clamp(word, 0, 2);
            ShowState();
            return 0;
        case FORM_CENTRED: {
            // Centred when the switch comes on, not again each time the
            // properties are re-applied.
            bool wasOn = IsOn(centred_);
            centred_ = word;
            if (IsOn(word) && !wasOn)
                Centre();
            return 0;
        }
        default:
            return 0;
    }
}

void WindowUnit::ChangeStyle(int styleWord, uint32_t bits, bool on) {
    auto style = uint32_t(GetWindowLong(Window(), styleWord));
    uint32_t changed = on ? style | bits : style & ~bits;
    if (changed == style)
        return;
    SetWindowLong(Window(), styleWord, int32_t(changed));
    SetWindowPos(Window(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool WindowUnit::HasStyle(int styleWord, uint32_t bits) const {
    return (uint32_t(GetWindowLong(Window(), styleWord)) & bits) == bits;
}

void WindowUnit::StayOnTop(bool on) {
    // Only a change moves the window in the z-order: re-applying the
    // properties leaves the window where the user put it.
    if (HasStyle(GWL_EXSTYLE, WS_EX_TOPMOST) == on)
        return;
    ChangeStyle(GWL_EXSTYLE, WS_EX_TOPMOST, on);
    SetWindowPos(Window(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WindowUnit::ShowState() {
    if (!IsWindowVisible(Window()))
        return;
    constexpr int kCommands[3] = {SW_RESTORE, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    ShowWindow(Window(), kCommands[state_]);
}

void WindowUnit::Centre() {
    RECT rect{};
    GetWindowRect(Window(), &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(Window(), nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowUnit::PaintBackground(HDC dc) const {
    RECT client{};
    GetClientRect(Window(), &client);
    HBRUSH brush = backgroundBrush_.For(background_);
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT WindowUnit::ColourControl(uint32_t message, HDC dc, HWND control) {
    ApplyTextColour(dc, textColour_);
    auto* unit = dynamic_cast<CoreUnit*>(rt::WindowObject::AttachedTo(rt::NativeHandle(control)));
    HBRUSH brush = unit ? unit->ControlColours(dc) : nullptr;
    // Labels and check boxes show the window behind their text.
    if (!brush && unit && unit->SeeThrough())
        brush = backgroundBrush_.For(background_);
    if (brush)
        return reinterpret_cast<LRESULT>(brush);
    return DefWindowProc(Window(), message, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(control));
}

const CoreUnitType& WindowUnitType() {
    static const CoreUnitType type = {kWindowUnitType,     "Window",
                                      rt::TYPE_FLAG_KIND1, kProperties,
                                      FORM_PROPERTY_COUNT, &FindOperation};
    return type;
}

}  // namespace corelib::units
