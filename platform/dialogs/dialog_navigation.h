// Keyboard navigation inside a dialog-like window: Tab and Shift+Tab move
// the focus between the controls that have WS_TABSTOP, Enter presses the
// default button, Escape the Cancel button, and arrow keys stay with the
// controls that want them.
#pragma once

#include "platform/windowing/windows.h"

namespace platform {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Handles `msg` for `dialog` when it is dialog navigation; answers whether
// it was consumed (the caller must then not dispatch it).
bool IsDialogMessage(HWND dialog, MSG* msg);
// The next (or previous) control after `from` that can take the focus.
HWND GetNextDlgTabItem(HWND dialog, HWND from, bool previous);

}  // namespace platform
