// The unit types of the conventions demonstration (library 0 of the demo
// program): a window, labels, text boxes, option buttons, check boxes and
// push buttons over the standard controls. Each creates its native window
// through type entry 1 from the unit's record, as the window framework
// asks any unit type to; own property 0 is the caption.
#pragma once

#include <cstdint>

#include "runtime/library_info.h"

namespace demo {

inline constexpr uint32_t kWindowType = 0x10003;
inline constexpr uint32_t kLabelType = 0x10004;
inline constexpr uint32_t kPushButtonType = 0x10005;
inline constexpr uint32_t kCheckBoxType = 0x10006;
inline constexpr uint32_t kOptionButtonType = 0x10007;
inline constexpr uint32_t kTextBoxType = 0x10008;
inline constexpr uint32_t kMenuItemType = 0x10010;

// Own property 0 of every demo type: the caption (a runtime text).
inline constexpr int32_t kCaptionProperty = 0;
// Own property 1 of the push button: 1 when it is the window's default
// button, the one that takes Enter. Of option buttons and check boxes: 1
// when checked.
inline constexpr int32_t kDefaultProperty = 1;
inline constexpr int32_t kCheckedProperty = 1;
// Own properties of the window type: its keyboard and mouse conventions
// (FormInputSettings), words of 0 or 1 unless told.
enum WindowProperty : int32_t {
    WINDOW_ESCAPE_CLOSES = 1,
    WINDOW_F1_HELP = 2,
    WINDOW_ENTER_MOVES_FOCUS = 3,
    WINDOW_DRAG_ANYWHERE = 4,
    WINDOW_HELP_FILE = 5,     // text; empty: named after the program
    WINDOW_HELP_CONTEXT = 6,  // word; 0: the contents
};
// The class of the window unit's native window; the program registers it
// (its procedure handles the window's commands) before loading.
inline constexpr const char* kFormClass = "PicbatchConventionsDemo";

const rt::LibraryInfo& DemoLibrary();

}  // namespace demo
