// The library's three commands: read any supported image, write it as JPEG,
// TIFF or PNG. Each answers a ConvertResult through its result slot.
#pragma once

#include "runtime/arg_record.h"

namespace imageconv {

// (source text, destination text, gray bool, quality 1..100, optimise bool,
//  smoothing 0..100)
void ConvertToJpeg(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args);
// (source text, destination text, eight-bit gray bool)
void ConvertToTiff(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args);
// (source text, destination text, bit depth: must be 24)
void ConvertToPng(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args);

}  // namespace imageconv
