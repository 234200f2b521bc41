// The procedure of every subclassed control: keeps the record's state,
// lets the control's own procedure do the work, and paints over it.
#include "libs/desktop/skin/message_policy.h"
#include "libs/desktop/skin/painters.h"
#include "libs/desktop/skin/skin_engine.h"
#include "platform/controls/controls.h"

namespace desktop::skin {
namespace {

using namespace platform;

// What the parent gives the control to paint its background with.
constexpr uint32_t kParentColoursMessage = WM_CTLCOLORBTN;  // 0x135

void TakeParentColours(SkinRecord& record) {
    HWND parent = GetParent(record.window);
    if (!parent)
        return;
    HDC dc = GetDC(record.window);
    if (!dc)
        return;
    auto brush = reinterpret_cast<HBRUSH>(SendMessage(parent, kParentColoursMessage,
                                                      reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(record.window)));
    LOGBRUSH look;
    if (brush && GetObject(brush, sizeof look, &look) == int(sizeof look)) {
        record.backgroundBrush = brush;
        record.background = look.lbColor;
    }
    record.textColor = GetTextColor(dc);
    ReleaseDC(record.window, dc);
}

// The platform's controls change their check and pressed state inside
// their own procedures (a click on an automatic check box, a press of the
// space bar, a drop-down list closing), so after each call the record
// takes the state the control reports.
void TakeControlState(SkinRecord& record) {
    if (IsButtonKind(record.kind)) {
        LRESULT state = CallWindowProc(record.originalProc, record.window, BM_GETSTATE, 0, 0);
        record.flags &= ~(SK_CHECKED | SK_INDETERMINATE | SK_PUSHED);
        if ((state & 3) == BST_CHECKED)
            record.flags |= SK_CHECKED;
        if ((state & 3) == BST_INDETERMINATE)
            record.flags |= SK_INDETERMINATE;
        if (state & BST_PUSHED)
            record.flags |= SK_PUSHED;
    } else if (record.kind == KIND_COMBO_BOX) {
        LRESULT dropped =
            CallWindowProc(record.originalProc, record.window, CB_GETDROPPEDSTATE, 0, 0);
        record.flags = dropped > 0 ? record.flags | SK_PUSHED : record.flags & ~SK_PUSHED;
    }
}

void PaintGuarded(const SkinRecord& record) {
    try {
        PaintControl(record);
    } catch (...) {
        // A painter that fails leaves the control as its own procedure drew
        // it; the message goes on.
    }
}

// Calls the control's original procedure. Answers the record afterwards,
// or null when the call destroyed the control.
SkinRecord* CallOriginal(SkinEngine& engine, WNDPROC original, HWND window, uint32_t message,
                         WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = CallWindowProc(original, window, message, wParam, lParam);
    SkinRecord* record = engine.Find(window);
    if (record)
        TakeControlState(*record);
    return record;
}

// Carries out an action word's bits in their fixed order.
LRESULT Perform(SkinEngine& engine, SkinRecord* record, uint32_t action, uint32_t message,
                WPARAM wParam, LPARAM lParam) {
    HWND window = record->window;
    WNDPROC original = record->originalProc;
    LRESULT kept = 0;
    if (action & ACT_COMMON)
        action |= CommonStateHandler(*record, message, wParam);
    if (action & ACT_ORIGINAL)
        record = CallOriginal(engine, original, window, message, wParam, lParam, &kept);
    if (record && (action & ACT_DEFAULT)) {
        kept = DefWindowProc(window, message, wParam, lParam);
        record = engine.Find(window);
    }
    if (record && (action & ACT_PAINT))
        PaintGuarded(*record);
    if (record && (action & ACT_ORIGINAL_AFTER))
        record = CallOriginal(engine, original, window, message, wParam, lParam, &kept);
    if (record && (action & ACT_DEFAULT_AFTER))
        kept = DefWindowProc(window, message, wParam, lParam);
    if (action & ACT_RETURN_LOW)
        return LRESULT(action & 0xFFFF);
    return kept;
}

}  // namespace

LRESULT SkinWindowProc(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
    SkinEngine& engine = SkinEngine::ForThisThread();
    SkinRecord* record = engine.Find(window);
    if (!record) {
        // Let go while a later procedure still chains to this one.
        if (WNDPROC original = engine.PassThroughProc(window)) {
            if (message == WM_NCDESTROY)
                engine.ForgetPassThrough(window);
            return CallWindowProc(original, window, message, wParam, lParam);
        }
        return 0;
    }
    WNDPROC original = record->originalProc;
    LRESULT result = 0;
    switch (message) {
        case WM_LBUTTONDOWN:
            if (record->kind != KIND_UP_DOWN)
                break;
            // The arrow under the pointer shows pressed while the control
            // steps; the control gets the press at once.
            record->flags |= SK_PUSHED;
            if (PointInFirstHalf(window, record->flags & SK_HORIZONTAL, lParam)) {
                record->flags |= SK_FIRST_HALF;
            } else {
                record->flags &= ~SK_FIRST_HALF;
            }
            record = CallOriginal(engine, original, window, message, wParam, lParam, &result);
            if (record)
                PaintGuarded(*record);
            return result;
        case WM_DESTROY:
            // The record goes while the window still exists.
            result = CallWindowProc(original, window, message, wParam, lParam);
            engine.Detach(window);
            return result;
        case EM_SETREADONLY:
            if (record->kind != KIND_EDIT)
                break;
            result = CallWindowProc(original, window, message, wParam, lParam);
            if ((record = engine.Find(window))) {
                bool readOnly = uint32_t(GetWindowLong(window, GWL_STYLE)) & ES_READONLY;
                record->flags =
                    readOnly ? record->flags | SK_READONLY : record->flags & ~SK_READONLY;
            }
            return result;
        case WM_ERASEBKGND:
            TakeParentColours(*record);
            break;
        default:
            break;
    }
    uint32_t action = MessagePolicy(*record, message, wParam, lParam);
    result = Perform(engine, record, action, message, wParam, lParam);
    // An up-down control made while skinning is on finds its buddy as it
    // is created, after the skin attached to it.
    if ((message == WM_CREATE || message == UDM_SETBUDDY) && (record = engine.Find(window)) &&
        record->kind == KIND_UP_DOWN)
        engine.TakeBuddy(*record);
    return result;
}

}  // namespace desktop::skin
