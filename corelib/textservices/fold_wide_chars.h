// Folding of full-width GB2312 characters to their ASCII forms, so that
// numbers and dates typed with a Chinese input method read like ASCII ones.
//
// The walk stops at the first zero byte (or the end of the view). Pairs
// mapped: A1A1 -> space, A1AB -> '~', A1EE/A1EF -> '*', A3A1..A3FE -> the
// ASCII character 0x21..0x7E. Every other double-byte pair is kept as its
// two bytes; a lead byte with no trail byte ends the walk and is dropped.
#pragma once

#include <string>
#include <string_view>

namespace corelib {

// Answers the folded text (without a terminating zero; std::string adds
// one). When `dropSpaces` is set, ASCII spaces and full-width spaces are
// left out.
std::string FoldWideChars(std::string_view text, bool dropSpaces = false);

// The same over a zero-terminated runtime text; null is the empty text.
std::string FoldWideChars(const char* text, bool dropSpaces = false);

}  // namespace corelib
