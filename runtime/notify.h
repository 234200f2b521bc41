// The message-numbered calls between the system and the support libraries.
// Both directions share one shape: (message, param1, param2) -> answer, with
// pointer-sized parameters and answer so that pointers travel whole.
#pragma once

#include <atomic>
#include <cstdint>

namespace rt {

using NotifyEntry = intptr_t (*)(int32_t message, intptr_t param1, intptr_t param2);

// Library messages (system -> library).
enum LibraryMessage : int32_t {
    LN_SET_SYSTEM = 1,
    LN_CLEANUP = 6,
    LN_TYPE_QUERY = 8,
};

// System messages (library -> system) that support libraries commonly send.
enum SystemMessage : int32_t {
    SN_GET_APP_ICONS = 1000,
    SN_GET_WINDOW_MAP = 1001,
    SN_GET_TYPE_INFO = 1002,
    SN_PICTURE_TO_BITMAP = 1003,
    SN_IS_PRESENT = 1004,
    SN_GET_VERSION = 1005,
    SN_GET_PATH = 1006,
    SN_WRAP_WINDOW = 1007,
    SN_DELETE_OBJECT = 1008,
    SN_DETACH_WINDOW = 1009,
    SN_GET_NATIVE_HANDLE = 1010,
    SN_ATTACH_WINDOW = 1011,
    SN_WATCH_WINDOW = 1012,
    SN_UNWATCH_WINDOW = 1013,
    SN_IS_UNIT_WINDOW = 1014,
    SN_DESTROY_UNIT = 2000,
    SN_VALUE_TO_INT = 2001,
    SN_RESERVED_2002 = 2002,
    SN_GET_PROGRAM_DIR = 2003,
    SN_GET_PROGRAM_NAME = 2004,
    SN_LOAD_WINDOW = 2005,
    SN_FIND_UNIT_OBJECT = 2006,
    SN_GET_UNIT_OBJECT = 2007,
    SN_CALL_EVENT = 2008,
    SN_BLOCK_EVENTS = 2009,
    SN_UNBLOCK_EVENTS = 2010,
    SN_GET_OWNED_TAG = 2011,
    SN_ADD_OWNED = 2012,
    SN_REMOVE_OWNED = 2013,
    SN_DESTROY_OWNED = 2014,
    SN_PLAY_SOUND_DATA = 2015,
    SN_STOP_SOUND = 2016,
    SN_GET_EVENT_SOURCE = 2017,
    SN_DO_EVENTS = 2018,
    SN_ADD_PICTURE = 2019,
    SN_FREE_PICTURE = 2020,
    SN_HAS_PICTURE = 2021,
    SN_GET_UNIT_TYPE = 2022,
    SN_FREE_ARRAY = 2023,
    SN_ALLOC = 2024,
    SN_FREE = 2025,
    SN_REALLOC = 2026,
    SN_FATAL_ERROR = 2027,
    SN_EXIT = 2028,
    SN_GET_TYPE_KIND = 2029,
    SN_GET_RUN_MODE = 2030,
    SN_CALL_EVENT_WIDE = 2031,
    SN_WINDOW_COUNT = 2032,
    SN_WINDOW_HANDLE = 2033,
    SN_BITMAP_TO_BMP = 2034,
    SN_RELEASE_REF = 2035,
    SN_TYPE_QUERY = 2036,
    SN_MARK_MENU_CHANGED = 2037,
    SN_GET_MENU_ITEM = 2038,
    SN_REFRESH_UNIT = 2039,
    SN_REBUILD_MENU = 2040,
};

// Each support library holds one of these: the SystemNotify entry the system
// hands it with LN_SET_SYSTEM. Call answers 0 while the slot is empty, so
// library code never checks the slot itself.
class SystemCallbackSlot {
public:
    void Set(NotifyEntry entry) { entry_.store(entry, std::memory_order_release); }
    NotifyEntry Get() const { return entry_.load(std::memory_order_acquire); }
    intptr_t Call(int32_t message, intptr_t param1, intptr_t param2) const {
        NotifyEntry entry = Get();
        return entry ? entry(message, param1, param2) : 0;
    }

private:
    std::atomic<NotifyEntry> entry_{nullptr};
};

}  // namespace rt
