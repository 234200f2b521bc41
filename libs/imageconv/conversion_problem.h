// Why the calling thread's last conversion command failed, beside the
// result code the command answered (CONVERT_UNREADABLE says only that the
// source could not be read; this says "Premature end of JPEG file"). The
// commands set it on every call, so it is read right after a command on
// the same thread, in the manner of the system's last-error value.
#pragma once

#include <string>

namespace imageconv {

// In UTF-8 (it may name the destination); empty after a command that
// succeeded.
const std::string& LastConversionProblem();
void SetConversionProblem(std::string problem);

}  // namespace imageconv
