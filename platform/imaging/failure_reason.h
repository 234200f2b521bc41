// Why this thread's last load or save failed, kept beside the status the
// flat interface answers (which only says "generic error" or "unknown
// format"), in the manner of the system's last-error value. Every load and
// save clears it on entry and sets it on failure; callers read it right
// after a failed call on the same thread.
#pragma once

#include <cstddef>
#include <string>

namespace platform::imaging {

void SetFailureReason(std::string reason);
void ClearFailureReason();
// The reason in UTF-8; empty when the last call succeeded or said nothing.
const std::string& FailureReason();

// Sets the reason and answers null, for decoders: `return Refuse("...")`.
std::nullptr_t Refuse(std::string reason);

// Sets `reason` unless a more precise one was set since the call began.
void SetFailureReasonIfNone(const char* reason);

}  // namespace platform::imaging
