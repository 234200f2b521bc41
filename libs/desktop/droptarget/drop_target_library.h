// Support library 5: the drop-target unit (type 1, LibraryTypeCode 0x60001).
//
// A drop-target unit lets a window take data dragged from other programs:
// plain text, two registered clipboard formats and lists of files. The unit
// is placed on a window like any other; the application then names the
// window that accepts drops with AcceptDrops. What is dropped arrives as the
// unit's events, each with one TYPE_TEXT argument: the argument word is the
// address of a GB18030 runtime text in a block from SN_ALLOC, released with
// SN_FREE when the handler has returned.
//
//   EVENT  ARGUMENT
//   0      the dropped text
//   1      dropped data of the second registered format (kSecondFormatName,
//          UTF-8 text) as runtime text, no-break spaces made plain spaces
//   2      dropped data of the first registered format (kFirstFormatName)
//   3      the dropped file names: the name alone when one file was
//          dropped, otherwise every name followed by kFileSeparator, in drop
//          order
//
// One drop may raise several events, in the order 0, 1, 2, 3. The drop
// always answers E_FAIL to the source, so it never deletes what it moved.
//
// Own properties (kind 1000, 32-bit words; property number = index + 8):
//
//   INDEX  NON-ZERO MEANS
//   0      accept plain text
//   1      accept the second registered format
//   2      accept the first registered format
//   3      accept file lists
//
// AcceptDrops (a CommandEntry):
//
//   #  TYPE                        MEANING
//   1  UnitRef of type 0x60001     the drop-target unit
//   2  TYPE_INT                    the window (native handle) that is to take drops
//
//   Result: TYPE_BOOL, 1 when the window was registered. A unit registers
//   once: any later call answers 0, also after a failed registration.
//
// LibraryNotify keeps the system's entry (message 1) and answers -1 to
// every other message.
#pragma once

#include <cstdint>

#include "runtime/arg_record.h"
#include "runtime/library_info.h"
#include "runtime/notify.h"

namespace desktop {

inline constexpr uint32_t kDropTargetLibraryNumber = 5;
inline constexpr rt::LibraryTypeCode kDropTargetTypeCode = 0x60001;

enum DropTargetProperty : int32_t {
    DROP_ACCEPT_TEXT = 0,
    DROP_ACCEPT_SECOND_FORMAT = 1,
    DROP_ACCEPT_FIRST_FORMAT = 2,
    DROP_ACCEPT_FILES = 3,
};
inline constexpr int32_t kDropTargetPropertyCount = 4;

enum DropTargetEvent : int32_t {
    DROP_EVENT_TEXT = 0,
    DROP_EVENT_SECOND_FORMAT = 1,
    DROP_EVENT_FIRST_FORMAT = 2,
    DROP_EVENT_FILES = 3,
};

// The registered clipboard formats.
inline constexpr const char* kFirstFormatName = "Rich Text Format";
inline constexpr const char* kSecondFormatName = "text/plain;charset=utf-8";
// Follows every name of a drop of several files.
inline constexpr const char* kFileSeparator = "\r\n";
// Stands for a no-break space in event 1's text.
inline constexpr const char* kNoBreakSpaceReplacement = " ";

const rt::LibraryInfo& DropTargetLibraryInfo();
intptr_t DropTargetLibraryNotify(int32_t message, intptr_t param1, intptr_t param2);

void AcceptDrops(rt::ResultSlot* result, int32_t argCount, const rt::ArgRecord* args);

// The system entry LN_SET_SYSTEM handed over (calls answer 0 before that).
const rt::SystemCallbackSlot& DropTargetSystem();

}  // namespace desktop
