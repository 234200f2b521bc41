// The form class, the class of every window unit's native window. Its
// procedure paints the window's background, colours the window's controls,
// turns its controls' notifications into unit events, and destroys the
// window when it is asked to close.
#include <mutex>

#include "corelib/units/window_unit.h"
#include "platform/controls/controls.h"

namespace corelib::units {
namespace {

using namespace platform;

LRESULT FormWindowProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    // Null while the window is being made and after its unit let go of it.
    auto* form = dynamic_cast<WindowUnit*>(rt::WindowObject::AttachedTo(rt::NativeHandle(hwnd)));
    if (!form)
        return DefWindowProc(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_ERASEBKGND:
            form->PaintBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return form->ColourControl(message, reinterpret_cast<HDC>(wParam),
                                       reinterpret_cast<HWND>(lParam));
        case WM_COMMAND:
            // Menus and accelerators (no control) are not the units' business.
            if (lParam == 0)
                break;
            if (!form->Identity().designMode)
                RaiseControlEvents(form->windowId, reinterpret_cast<HWND>(lParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header && !form->Identity().designMode)
                RaiseControlEvents(form->windowId, header->hwndFrom, header->code);
            return 0;
        }
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        default:
            break;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

bool RegisterFormWindowClass() {
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        WNDCLASS windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        windowClass.lpfnWndProc = &FormWindowProc;
        windowClass.lpszClassName = kFormWindowClass;
        // Until its unit holds it, the window shows the system's face colour.
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1));
        registered = RegisterClass(&windowClass) != 0;
    });
    return registered;
}

}  // namespace corelib::units
