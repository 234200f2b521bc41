// The double-byte conversions of text key parts, so that Chinese text keys
// sort the way a reader looks them up:
//
//  mode 1 (pinyin): every GB2312 hanzi (lead B0..F7, trail A1..FE) becomes
//    the code of its rank in pinyin order (as ICU's Chinese collation orders
//    them), ranks counted from B0A1 upward. Level-1 hanzi are already in
//    pinyin order; the level-2 ones, ordered by radical in GB2312, move in
//    among them.
//  mode 2 (strokes): the same with the rank in stroke-count order (ICU's
//    "stroke" collation), the order of dictionaries indexed by strokes.
//    Its second, byte-wise pass folds ASCII a to z to upper case outside
//    double-byte characters, so stroke-ordered keys are also case-blind.
//
// Codes that are not hanzi map to themselves.
#pragma once

#include <cstdint>

namespace corelib {

// Replaces the pair (lead, trail) in place for `mode` (1 or 2) when it is a
// GB2312 hanzi.
void ConvertKeyChar(int32_t mode, uint8_t& lead, uint8_t& trail);

}  // namespace corelib
