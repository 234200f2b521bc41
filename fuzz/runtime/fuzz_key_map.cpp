// Any bytes as a key map's stream form: a load gives a map of whole pairs,
// or fails and leaves it empty; every pair reads back, and the map stores
// and loads back unchanged.
#include <cstdlib>
#include <vector>

#include "corelib/buffer/archive.h"
#include "runtime/key_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    corelib::MemoryArchive in(std::vector<uint8_t>(data, data + size));
    rt::KeyMap map;
    if (!map.Serialize(in)) {
        if (map.Count() != 0)
            std::abort();
        return 0;
    }
    for (uint32_t i = 0; i < map.Count(); ++i) {
        rt::KeyMap::Value value = 0;
        if (map.ValueAt(i, &value) != 1)
            std::abort();
        uint32_t index = 0;
        rt::KeyMap::Value found = 0;
        const uint32_t key = map.KeyAt(i);
        if (map.Find(key, &found, &index) == 1 && index > i)
            std::abort();  // the first pair with a key is found first
    }
    corelib::MemoryArchive out(true);
    if (!map.Serialize(out))
        std::abort();
    corelib::MemoryArchive again(out.Bytes());
    rt::KeyMap copy;
    corelib::MemoryArchive check(true);
    if (!copy.Serialize(again) || !copy.Serialize(check) || check.Bytes() != out.Bytes())
        std::abort();
    rt::KeyMap merged;
    merged.AppendAll(map);
    merged.InsertRange(int32_t(size % 5) - 1, map, uint32_t(size % 3), 100);
    if (merged.Count() < map.Count())
        std::abort();
    return 0;
}
