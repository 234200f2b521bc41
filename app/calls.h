// What compiled code emits at a call site: argument records built in a
// local array, then one call through the runtime services. Results that
// are texts or arrays are fresh blocks the caller releases with RtFree.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "runtime/arg_record.h"
#include "runtime/services.h"

namespace app {

inline rt::ArgRecord TextArgument(const char* text) {
    return rt::ArgRecord::TextArg(text);
}
inline rt::ArgRecord IntArgument(int32_t value) {
    return rt::ArgRecord::Int(value);
}
inline rt::ArgRecord BoolArgument(int32_t value) {
    return rt::ArgRecord::Int(value, rt::TYPE_BOOL);
}
inline rt::ArgRecord DoubleArgument(double value) {
    return rt::ArgRecord::Double(value);
}
inline rt::ArgRecord RoutineArgument(const void* routine) {
    return rt::ArgRecord::Pointer(routine, rt::TYPE_SUBPTR);
}
inline rt::ArgRecord UnitArgument(uint32_t windowId, uint32_t unitId, uint32_t type) {
    return rt::ArgRecord::Unit(windowId, unitId, type);
}
inline rt::ArgRecord Omitted() {
    return rt::ArgRecord::Omitted();
}

inline rt::CommandResult CallCore(rt::CommandEntry entry,
                                  std::initializer_list<rt::ArgRecord> args) {
    return rt::RtCallCoreCommand(entry, int32_t(args.size()), args.begin());
}
inline rt::CommandResult CallLibrary(uint32_t library, rt::CommandEntry entry,
                                     std::initializer_list<rt::ArgRecord> args) {
    return rt::RtCallLibraryCommand(library, entry, int32_t(args.size()), args.begin());
}

inline int32_t IntOf(const rt::CommandResult& result) {
    return int32_t(result.low);
}
inline void* PointerOf(const rt::CommandResult& result) {
    return reinterpret_cast<void*>(uintptr_t((uint64_t(result.high) << 32) | result.low));
}
inline rt::Text TextOf(const rt::CommandResult& result) {
    return static_cast<rt::Text>(PointerOf(result));
}

// Unit properties, element index -1 and high word 0 as the handlers use them.
inline rt::Text GetTextProperty(uint32_t windowId, uint32_t unitId, uint32_t property) {
    return reinterpret_cast<rt::Text>(uintptr_t(rt::RtGetProperty(windowId, unitId, property, -1)));
}
inline int32_t GetIntProperty(uint32_t windowId, uint32_t unitId, uint32_t property) {
    return int32_t(uint32_t(rt::RtGetProperty(windowId, unitId, property, -1)));
}
inline void SetIntProperty(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t value) {
    rt::RtSetProperty(windowId, unitId, property, -1, uint32_t(value), 0);
}

}  // namespace app
