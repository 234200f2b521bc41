#include "runtime/key_map.h"

#include <cstring>
#include <vector>

#include "runtime/ids.h"

namespace rt {

uint32_t KeyMap::ReadKey(uint32_t index) const {
    uint32_t key;
    std::memcpy(&key, buffer_.Data() + 4 * size_t(index), 4);
    return key;
}

KeyMap::Value KeyMap::ReadValue(uint32_t index) const {
    Value value;
    std::memcpy(&value, buffer_.Data() + 4 * size_t(Count()) + sizeof(Value) * size_t(index),
                sizeof(Value));
    return value;
}

int KeyMap::Find(uint32_t key, Value* value, uint32_t* index) const {
    uint32_t n = Count();
    if (!IsValidId(key) || n == 0)
        return 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (ReadKey(i) == key) {
            if (value)
                *value = ReadValue(i);
            if (index)
                *index = i;
            return 1;
        }
    }
    return 0;
}

uint32_t KeyMap::KeyOf(Value value) const {
    uint32_t n = Count();
    for (uint32_t i = 0; i < n; ++i) {
        if (ReadValue(i) == value)
            return ReadKey(i);
    }
    return 0;
}

int KeyMap::ValueAt(uint32_t index, Value* value) const {
    if (index >= Count())
        return 0;
    if (value)
        *value = ReadValue(index);
    return 1;
}

uint32_t KeyMap::KeyAt(uint32_t index) const {
    return index < Count() ? ReadKey(index) : 0;
}

void KeyMap::InsertRange(int32_t position, const KeyMap& source, uint32_t first, uint32_t count) {
    uint32_t sourceCount = source.Count();
    if (count == 0 || first >= sourceCount)
        return;
    if (count > sourceCount - first)
        count = sourceCount - first;
    uint32_t n = Count();
    uint32_t pos = position < 0 ? 0 : (uint32_t(position) > n ? n : uint32_t(position));
    // Read the source first: it may be this very map.
    std::vector<uint32_t> keys(count);
    std::vector<Value> values(count);
    for (uint32_t i = 0; i < count; ++i) {
        keys[i] = source.ReadKey(first + i);
        values[i] = source.ReadValue(first + i);
    }
    // Values first (their place depends on the old key count), then keys.
    uint32_t valuePos = 4 * (n + 0) + uint32_t(sizeof(Value)) * pos;
    if (!buffer_.Insert(valuePos, values.data(), int32_t(sizeof(Value) * count)))
        return;
    if (!buffer_.Insert(4 * pos, keys.data(), int32_t(4 * count))) {
        buffer_.Remove(int32_t(valuePos), uint32_t(sizeof(Value) * count));
    }
}

int KeyMap::Add(uint32_t key, Value value) {
    uint32_t n = Count();
    if (!buffer_.Insert(4 * n + uint32_t(sizeof(Value)) * n, &value, sizeof(Value)))
        return 0;
    if (!buffer_.Insert(4 * n, &key, 4)) {
        buffer_.Remove(-1, sizeof(Value));
        return 0;
    }
    return 1;
}

int KeyMap::RemoveAt(uint32_t index) {
    uint32_t n = Count();
    if (index >= n)
        return 0;
    buffer_.Remove(int32_t(4 * n + sizeof(Value) * index), sizeof(Value));
    buffer_.Remove(int32_t(4 * index), 4);
    return 1;
}

bool KeyMap::Serialize(corelib::Archive& archive) {
    if (archive.IsStoring())
        return buffer_.Serialize(archive);
    Clear();
    if (!buffer_.Serialize(archive))
        return false;
    // A stream whose length is not whole pairs cannot be a map.
    if (buffer_.Length() % kPairBytes != 0) {
        Clear();
        return false;
    }
    return true;
}

}  // namespace rt
