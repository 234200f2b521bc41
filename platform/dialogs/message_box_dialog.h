// The message box as a dialog: the text, an icon and a button set chosen by
// the flags, answering the number of the button pressed (IDOK ... IDNO).
// Its shape is that of platform::MessageBoxPresenter, so the runtime's
// message box can hand its boxes here.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform::dialogs {

inline constexpr uint32_t MB_OK = 0x0;
inline constexpr uint32_t MB_OKCANCEL = 0x1;
inline constexpr uint32_t MB_ABORTRETRYIGNORE = 0x2;
inline constexpr uint32_t MB_YESNOCANCEL = 0x3;
inline constexpr uint32_t MB_YESNO = 0x4;
inline constexpr uint32_t MB_RETRYCANCEL = 0x5;
inline constexpr uint32_t MB_ICONERROR = 0x10;
inline constexpr uint32_t MB_ICONQUESTION = 0x20;
inline constexpr uint32_t MB_ICONWARNING = 0x30;
inline constexpr uint32_t MB_ICONINFORMATION = 0x40;
inline constexpr uint32_t MB_DEFBUTTON2 = 0x100;
inline constexpr uint32_t MB_DEFBUTTON3 = 0x200;

// Texts are runtime texts. A box nobody can answer answers its cancel
// button: Cancel when it has one, else OK (OK box), No (Yes/No) or Abort.
int ShowMessageBoxDialog(uintptr_t parentWindow, std::string_view text, std::string_view title,
                         uint32_t flags);

}  // namespace platform::dialogs
