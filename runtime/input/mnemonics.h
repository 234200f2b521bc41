// Alt+letter and Alt+digit: the unit whose caption marks that character
// with "&" ("&Save" and "&save" both answer Alt+S; "&&" is a literal
// ampersand) acts as if chosen. Captions are the units' window texts, read
// character by character so the trail byte of a double-byte character is
// never taken for an ampersand or a letter.
//
// Units taken part: not menu items, with a native window that exists and
// is shown and enabled, and with a type that has a caption (one of the bits
// 0x7c00) and does not opt out (0x8000). The first in table order wins:
//   check box     its check state flips, then its event 0;
//   option button it is selected, then its event 0;
//   button        its event 0;
//   label         the focus goes to the next unit that can take it;
//   anything else the focus goes to the unit.
#pragma once

#include <string_view>

#include "runtime/input/form_input.h"

namespace rt {

// Whether the runtime text marks `character` (a digit or an upper-case
// letter, matched in either case) as its mnemonic.
bool CaptionHasMnemonic(std::string_view caption, char character);

// The unit whose caption has the mnemonic; -1 when none.
int32_t FindMnemonicUnit(const FormInput& input, char character);

// Finds the unit and acts on it; answers whether one was found.
bool ActOnMnemonic(const FormInput& input, char character);

}  // namespace rt
