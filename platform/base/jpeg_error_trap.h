// The one error policy for libjpeg, shared by every JPEG reader and writer.
//
// libjpeg reports a fatal error by calling error_exit, which must not
// return: the trap jumps back to the setjmp of the operation that was
// running, keeping libjpeg's own text of what went wrong. Warnings are never
// printed; those that mean the data is lost or broken (the data ends early,
// a marker cuts a segment short, the decoder had to resynchronise) mark the
// trap damaged, because libjpeg would otherwise fill the rest with grey and
// call the picture complete.
//
// Use: the operation's frame holds nothing with a destructor, since the long
// jump leaves it without unwinding:
//
//   JpegErrorTrap trap;
//   info.err = InstallJpegErrorTrap(trap);
//   if (setjmp(trap.jump)) return false;  // trap.message says why
//   jpeg_create_decompress(&info);
//   LimitJpegDecoder(info);
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE declared first
#include <string>

#include <jpeglib.h>

namespace platform {

struct JpegErrorTrap {
    jpeg_error_mgr manager;  // first, so that libjpeg's pointer is the trap's
    std::jmp_buf jump;
    bool damaged = false;
    // libjpeg's text of the error or the first damage warning; empty when
    // there was none.
    char message[JMSG_LENGTH_MAX] = {};
};

jpeg_error_mgr* InstallJpegErrorTrap(JpegErrorTrap& trap);

// Caps the memory the decoder takes beyond the rows it hands out (a
// progressive file's coefficients), so that it fails at once instead.
void LimitJpegDecoder(jpeg_decompress_struct& info);

// After jpeg_read_header: empty when the declared size may be decoded from
// a file of `fileBytes` bytes (picture_limits.h), else why not.
std::string JpegSizeProblem(const jpeg_decompress_struct& info, uint64_t fileBytes);

// What went wrong, for a failure reason: libjpeg's message, or `fallback`.
std::string JpegProblem(const JpegErrorTrap& trap, const char* fallback);

}  // namespace platform
