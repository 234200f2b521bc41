// Caption layout for the painters. The caption is runtime text (GB18030)
// walked byte by byte:
//   CR LF (or a lone LF) ends a line; a lone CR is not drawn;
//   "&" is not drawn and underlines the character after it; "&&" draws "&";
//   a byte of 0x81 or more starts a character of two bytes (four when the
//   second byte is a digit), measured and drawn as one character.
// Characters are measured with the font selected into the context, and a
// line breaks before the character that would run past the rectangle's
// right edge. The finished lines are placed by the alignment code (the nine
// positions of drawing.h) and drawn in the context's text colour.
#pragma once

#include <cstdint>
#include <string_view>

#include "libs/desktop/skin/drawing.h"

namespace desktop::skin {

// Answers the rectangle the laid-out lines cover (empty for an empty
// caption). With `draw` false only measures.
RECT DrawCaption(HDC dc, std::string_view text, const RECT& area, uint32_t alignment,
                 bool draw = true);

// The length in bytes of the character starting at `text[pos]`.
size_t CaptionCharLength(std::string_view text, size_t pos);

}  // namespace desktop::skin
