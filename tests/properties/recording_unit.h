// A unit type of a test library (library 9, type code 0xA0001) whose setter
// records exactly what it was handed and whose getter hands over a record
// the test chose, so the conversions are seen on their own, without any
// unit's clamping. Own property kinds by index: see kRecordingKinds.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "corelib/commands/core_library.h"
#include "runtime/application_object.h"
#include "runtime/library_info.h"
#include "runtime/properties/unit_properties.h"
#include "runtime/services.h"
#include "runtime/unit_type.h"

namespace proptest {

inline constexpr uint32_t kRecordingType = 0xA0001;

enum RecordingIndex : int32_t {
    REC_WORD = 0,
    REC_LONG = 1,
    REC_LOGICAL = 2,
    REC_TEXT = 3,
    REC_NON_NEGATIVE = 4,
    REC_BYTES = 5,
    REC_CODED = 6,
    REC_FONT = 7,
    REC_TEXT_LAST = 8,
    REC_BYTES_LAST = 9,
    REC_UNKNOWN = 10,
    REC_COUNT = 11,
};

inline constexpr rt::PropertyDescriptor Kind(int16_t kind) {
    return rt::PropertyDescriptor{0, 0, 0, kind, 0, 0};
}
inline constexpr rt::PropertyDescriptor kRecordingKinds[REC_COUNT] = {
    Kind(1000), Kind(1002), Kind(1003), Kind(1005), Kind(1006), Kind(1009),
    Kind(1011), Kind(1013), Kind(1022), Kind(1024), Kind(999),
};

struct Recorder : rt::WindowObject {
    // What the setter saw last.
    int setCount = 0;
    int32_t setIndex = -1;
    rt::PropertyValue set{0, 0};
    std::vector<uint8_t> setBytes;  // the bytes w0 pointed at (w1 of them, or a text)
    // What the getter hands over; a getter that fails answers 0.
    bool getterAnswers = true;
    rt::PropertyValue give{0, 0};
    std::vector<uint32_t> getIndexes;
};

inline int32_t RecordingSet(rt::WindowObject* unit, int32_t index, const rt::PropertyValue* value,
                            int32_t*) {
    auto* recorder = dynamic_cast<Recorder*>(unit);
    ++recorder->setCount;
    recorder->setIndex = index;
    recorder->set = *value;
    recorder->setBytes.clear();
    const auto* bytes = reinterpret_cast<const uint8_t*>(value->w0);
    int16_t kind = kRecordingKinds[index].kind;
    if (bytes && (kind == 1005 || kind == 1022))
        recorder->setBytes.assign(bytes, bytes + std::strlen(reinterpret_cast<const char*>(bytes)));
    else if (bytes && value->w1 && kind != 1000 && kind != 1002)
        recorder->setBytes.assign(bytes, bytes + value->w1);
    return 0;
}

inline int32_t RecordingGet(rt::WindowObject* unit, int32_t index, rt::PropertyValue* result) {
    auto* recorder = dynamic_cast<Recorder*>(unit);
    recorder->getIndexes.push_back(uint32_t(index));
    if (!recorder->getterAnswers)
        return 0;
    *result = recorder->give;
    return 1;
}

inline void* RecordingOperation(int32_t operation) {
    switch (operation) {
        case rt::UNIT_ENTRY_SET_PROPERTY:
            return reinterpret_cast<void*>(&RecordingSet);
        case rt::UNIT_ENTRY_GET_PROPERTY:
            return reinterpret_cast<void*>(&RecordingGet);
        default:
            return nullptr;
    }
}

inline const rt::DataTypeInfo kRecordingTypes[1] = {
    {"Recording", 0, &RecordingOperation, kRecordingKinds, REC_COUNT}};
inline const rt::LibraryInfo kRecordingLibrary = {"recording", 1, kRecordingTypes, nullptr};

// The core library (for SN_ALLOC and SN_GET_TYPE_INFO) and the test library,
// announced to the process's system once.
inline void AnnounceLibraries() {
    static bool announced = [] {
        rt::ApplicationObject& app = rt::ApplicationObject::Instance();
        app.SetLibrary(corelib::kCoreLibraryNumber, &corelib::CoreLibraryInfo());
        app.SetLibrary(9, &kRecordingLibrary);
        app.AnnounceSystem(&rt::SystemNotify);
        return true;
    }();
    (void)announced;
}

// An 8-byte application value as its two words.
struct Words {
    uint32_t low, high;
};
inline Words WordsOf(const void* pointer) {
    auto bits = uint64_t(reinterpret_cast<uintptr_t>(pointer));
    return {uint32_t(bits), uint32_t(bits >> 32)};
}
template <typename T>
T* PointerOf(uint64_t value) {
    return reinterpret_cast<T*>(uintptr_t(value));
}

// A byte block as the application holds it (words 1 and n, then the bytes).
inline std::vector<uint8_t> ByteBlockOf(std::vector<uint8_t> bytes) {
    std::vector<uint8_t> block(8 + bytes.size());
    uint32_t header[2] = {1, uint32_t(bytes.size())};
    std::memcpy(block.data(), header, 8);
    std::memcpy(block.data() + 8, bytes.data(), bytes.size());
    return block;
}

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override { AnnounceLibraries(); }
    uint64_t Get(uint32_t number, int32_t element = -1) {
        return rt::GetUnitProperty(kRecordingType, &unit_, number, element);
    }
    void Set(uint32_t number, uint32_t low, uint32_t high = 0, int32_t element = -1) {
        rt::SetUnitProperty(kRecordingType, &unit_, number, element, low, high);
    }
    void SetPointer(uint32_t number, const void* pointer, int32_t element = -1) {
        Words words = WordsOf(pointer);
        Set(number, words.low, words.high, element);
    }
    Recorder unit_;
};

}  // namespace proptest
