// Support library 6: gives the standard controls of the calling thread's
// windows a drawn look in one of three colour schemes.
//
// The system reaches the library through SkinLibraryInfo().notify:
//   LN_SET_SYSTEM (1)  keeps the system's SystemNotify entry, answers 0;
//   LN_CLEANUP (6)     turns skinning off on the calling thread, answers 0;
//   anything else      answers -1.
//
// The application reaches it through one command, SetSkinScheme.
#pragma once

#include <cstdint>

#include "runtime/arg_record.h"
#include "runtime/library_info.h"
#include "runtime/notify.h"

namespace desktop {

inline constexpr uint32_t kSkinLibraryNumber = 6;

const rt::LibraryInfo& SkinLibraryInfo();
intptr_t SkinLibraryNotify(int32_t message, intptr_t param1, intptr_t param2);

// The SystemNotify entry handed over with LN_SET_SYSTEM (empty before).
rt::SystemCallbackSlot& SkinSystemCallback();

// SetSkinScheme(scheme: TYPE_INT) -> TYPE_BOOL.
// Schemes 1 (blue), 2 (olive green) and 3 (silver) turn skinning off and on
// again on the calling thread, so every existing control is re-attached and
// later ones are attached as they are created; the answer is 1. Any other
// value (or an omitted argument) turns skinning off and answers 0. Must be
// called on the thread that owns the windows to be skinned.
void SetSkinScheme(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args);

}  // namespace desktop
