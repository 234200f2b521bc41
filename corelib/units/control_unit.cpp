#include "corelib/units/control_unit.h"

#include <memory>

namespace corelib::units {

using namespace platform;

ControlUnit::~ControlUnit() {
    // The window may already be gone with its parent (a closed form).
    auto window = reinterpret_cast<HWND>(Detach());
    if (window && IsWindow(window))
        DestroyWindow(window);
}

LRESULT ControlUnit::Send(uint32_t message, WPARAM wParam, LPARAM lParam) const {
    return SendMessage(Window(), message, wParam, lParam);
}

void ControlUnit::ChangeStyle(uint32_t mask, uint32_t bits) {
    uint32_t style = uint32_t(GetWindowLong(Window(), GWL_STYLE));
    uint32_t changed = (style & ~mask) | (bits & mask);
    if (changed != style)
        SetWindowLong(Window(), GWL_STYLE, int32_t(changed));
    Redraw();
}

void ControlUnit::Redraw() const {
    RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void ControlUnit::ShowText(std::string* text, const rt::PropertyValue& value) {
    *text = TextOf(value);
    SetWindowText(Window(), text->c_str());
}

bool ControlUnit::CreateControl(const rt::UnitCreateArgs& args, const char* className,
                                const char* text, uint32_t typeStyle) {
    auto parent = reinterpret_cast<HWND>(args.parent);
    if (!parent)
        return false;
    uint32_t style = FormWindowBits(args.style) | WS_CHILD | (typeStyle & 0xFFFF);
    HWND control = CreateWindowEx(
        args.exStyle, className, text, style, args.x, args.y, args.width, args.height, parent,
        reinterpret_cast<void*>(uintptr_t(args.unitId & 0xFFFF)), nullptr, nullptr);
    if (!control)
        return false;
    if (!Attach(reinterpret_cast<rt::NativeHandle>(control))) {
        DestroyWindow(control);
        return false;
    }
    return true;
}

rt::WindowObject* ControlUnit::FinishCreate(ControlUnit* unit, const rt::UnitCreateArgs& args,
                                            const char* className, uint32_t typeStyle,
                                            const int32_t* order, int32_t orderCount) {
    std::unique_ptr<ControlUnit> owned(unit);
    if (!owned->CreateControl(args, className, "", typeStyle))
        return nullptr;
    owned->ControlCreated();
    ApplyPropertyBlock(*owned, args.propertyBlock, args.propertyBlockLength, order, orderCount);
    return owned.release();
}

bool ControlUnit::RecreateControl(const char* className, const char* text, uint32_t typeStyle,
                                  int32_t creationHeight) {
    HWND old = Window();
    HWND parent = GetParent(old);
    if (!parent)
        return false;
    RECT rect{};
    GetWindowRect(old, &rect);
    POINT corner{rect.left, rect.top};
    ScreenToClient(parent, &corner);
    uint32_t style = (uint32_t(GetWindowLong(old, GWL_STYLE)) & ~0xFFFFu) | (typeStyle & 0xFFFF);
    auto exStyle = uint32_t(GetWindowLong(old, GWL_EXSTYLE));
    int id = GetDlgCtrlID(old);
    HWND previous = GetWindow(old, GW_HWNDPREV);
    HWND control = CreateWindowEx(exStyle, className, text, style, corner.x, corner.y,
                                  rect.right - rect.left, creationHeight, parent,
                                  reinterpret_cast<void*>(intptr_t(id)), nullptr, nullptr);
    if (!control)
        return false;
    Detach();
    DestroyWindow(old);
    Attach(reinterpret_cast<rt::NativeHandle>(control));
    // Keep the place among the siblings, which is the Tab order.
    SetWindowPos(control, previous ? previous : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

}  // namespace corelib::units
