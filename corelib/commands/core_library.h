// The core support library (library number 0): its LibraryInfo, its
// LibraryNotify entry and the callback slot through which its commands
// reach the system.
#pragma once

#include <cstdint>

#include "runtime/library_info.h"

namespace corelib {

inline constexpr uint32_t kCoreLibraryNumber = 0;

// Library messages the core library answers besides LN_SET_SYSTEM.
enum CoreLibraryMessage : int32_t {
    CLN_INVOKE_OBJECT = 2,
    CLN_CREATE_ENCIPHERED_FILE = 10,
    CLN_DESTROY_ENCIPHERED_FILE = 11,
    CLN_KEY_DIGEST = 12,
    CLN_PLAY_SOUND = 13,
};

intptr_t CoreLibraryNotify(int32_t message, intptr_t param1, intptr_t param2);
const rt::LibraryInfo& CoreLibraryInfo();

// Fills the type table's entry of a core type (code 0x0001nnnn, n from 1 to
// 0x30); false for any other code. Called while the program starts, before
// the system reads the table.
bool DefineCoreType(rt::LibraryTypeCode code, const rt::DataTypeInfo& info);

// Sends a system message through the slot LN_SET_SYSTEM filled; answers 0
// while it is still empty.
intptr_t CallSystem(int32_t message, intptr_t param1 = 0, intptr_t param2 = 0);

}  // namespace corelib
