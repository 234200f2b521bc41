// Calls core commands the way compiled code does and frees what they hand
// back. The core library is announced to the process-wide system once.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corelib/commands/core_commands.h"
#include "corelib/commands/core_library.h"
#include "runtime/application_object.h"
#include "runtime/services.h"

namespace testsupport {

inline void AnnounceCoreLibrary() {
    static bool announced = [] {
        rt::ApplicationObject& app = rt::ApplicationObject::Instance();
        app.SetLibrary(corelib::kCoreLibraryNumber, &corelib::CoreLibraryInfo());
        app.AnnounceSystem(&rt::SystemNotify);
        return true;
    }();
    (void)announced;
}

inline rt::ResultSlot Call(rt::CommandEntry command, std::vector<rt::ArgRecord> args) {
    AnnounceCoreLibrary();
    rt::CommandResult r = rt::RtCallCoreCommand(command, int32_t(args.size()), args.data());
    return rt::ResultSlot{r.low, r.high, r.type};
}

inline int32_t RunInt(rt::CommandEntry command, std::vector<rt::ArgRecord> args) {
    return Call(command, std::move(args)).asInt();
}

// A text result as a string (null reads as empty), freed.
inline std::string RunText(rt::CommandEntry command, std::vector<rt::ArgRecord> args) {
    rt::ResultSlot slot = Call(command, std::move(args));
    EXPECT_EQ(slot.type, rt::TYPE_TEXT);
    char* text = static_cast<char*>(slot.asPointer());
    std::string out = text ? text : "";
    if (text) {
        EXPECT_FALSE(out.empty()) << "empty texts come back as null";
        rt::RtFree(text);
    }
    return out;
}

// A byte-block result's bytes, freed.
inline std::string RunBytes(rt::CommandEntry command, std::vector<rt::ArgRecord> args) {
    rt::ResultSlot slot = Call(command, std::move(args));
    EXPECT_EQ(slot.type, rt::TYPE_BYTES);
    auto* block = static_cast<rt::ByteBlock*>(slot.asPointer());
    if (!block)
        return {};
    EXPECT_EQ(block->dimensions, 1u);
    std::string out(reinterpret_cast<const char*>(block->bytes()), block->length);
    rt::RtFree(block);
    return out;
}

inline rt::ArgRecord T(const char* text) {
    return rt::ArgRecord::TextArg(text);
}
inline rt::ArgRecord I(int32_t value) {
    return rt::ArgRecord::Int(value);
}
inline rt::ArgRecord Omit() {
    return rt::ArgRecord::Omitted();
}

}  // namespace testsupport
