// The platform message box. A presenter that shows real dialogs can be
// installed by the window system; without one, or without a display, the
// box is written to standard error and answers its first button.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Button sets: the low four bits of the flags.
inline constexpr uint32_t MB_BUTTONS_OK = 0;
inline constexpr uint32_t MB_BUTTONS_OK_CANCEL = 1;
inline constexpr uint32_t MB_BUTTONS_ABORT_RETRY_IGNORE = 2;
inline constexpr uint32_t MB_BUTTONS_YES_NO_CANCEL = 3;
inline constexpr uint32_t MB_BUTTONS_YES_NO = 4;
inline constexpr uint32_t MB_BUTTONS_RETRY_CANCEL = 5;
inline constexpr uint32_t MB_ICON_ERROR = 0x10;
inline constexpr uint32_t MB_SYSTEM_MODAL = 0x1000;
inline constexpr uint32_t MB_TASK_MODAL = 0x2000;

// The button pressed.
enum MessageBoxAnswer : int {
    ANSWER_NONE = 0,
    ANSWER_OK = 1,
    ANSWER_CANCEL = 2,
    ANSWER_ABORT = 3,
    ANSWER_RETRY = 4,
    ANSWER_IGNORE = 5,
    ANSWER_YES = 6,
    ANSWER_NO = 7,
};

// Shows a real dialog (texts are runtime texts) and answers the button, or
// ANSWER_NONE when it cannot show one (no display).
using MessageBoxPresenter = int (*)(uintptr_t parentWindow, std::string_view text,
                                    std::string_view title, uint32_t flags);
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

// The first button of the flags' button set.
int FirstButtonOf(uint32_t flags);

// Shows the box modally and answers the button pressed.
int ShowMessageBox(uintptr_t parentWindow, std::string_view runtimeText,
                   std::string_view runtimeTitle, uint32_t flags);

}  // namespace platform
