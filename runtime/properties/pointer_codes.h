// The code table of value kind 1011: a mouse-pointer value is a byte block
// whose first 32-bit word names the pointer shape, optionally followed by
// the bytes of a pointer image. The application names a shape by its index
// in this table; units store the platform's own shape number.
//
//   INDEX  STORED  SHAPE
//   0      0       the control's own pointer
//   1      32512   arrow
//   2      32515   cross
//   3      32513   text beam
//   4      32641   icon
//   5      32640   size (four-headed, old style)
//   6      32643   size north-east / south-west
//   7      32645   size north / south
//   8      32642   size north-west / south-east
//   9      32644   size west / east
//   10     32516   up arrow
//   11     32514   hourglass
//   12     32648   no entry
//   13     32650   arrow with hourglass
//   14     32651   arrow with question mark
//   15     32646   size all
//   16     32649   hand
#pragma once

#include <cstdint>

namespace rt {

inline constexpr uint32_t kPointerCodeCount = 17;

// Index form -> stored form; an index outside the table stays as it is.
uint32_t PointerCodeFromIndex(uint32_t index);
// Stored form -> index form; a code not in the table stays as it is.
uint32_t PointerIndexFromCode(uint32_t code);

}  // namespace rt
