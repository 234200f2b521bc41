// Internal: how a combo box and its list talk.
#pragma once

#include "platform/windowing/windows.h"

namespace platform::controls {

// Combo box -> list: wParam non-zero puts the list in drop-down mode
// (hot tracking, choosing on release, cancelling on a click outside) with
// lParam the combo box to tell.
inline constexpr uint32_t kListSetDropMode = WM_USER + 0x7E0;
// List -> combo box: the user chose item wParam (ended the drop-down).
inline constexpr uint32_t kComboListChosen = WM_USER + 0x7E1;
// List -> combo box: the drop-down was dismissed without a choice.
inline constexpr uint32_t kComboListCancelled = WM_USER + 0x7E2;

}  // namespace platform::controls
