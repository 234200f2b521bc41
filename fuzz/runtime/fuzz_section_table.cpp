// Any bytes as a section table's stream form: a load either fails and
// leaves the table empty, or gives a table whose every record lies inside
// its buffer; changes keep it so, and it stores and loads back unchanged.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "corelib/buffer/archive.h"
#include "runtime/section_table.h"

namespace {

// Every record's body must lie in the buffer, one after another.
void CheckRecords(rt::SectionTable& table) {
    const uint8_t* start = table.Buffer().Data();
    const uint8_t* end = start + table.Buffer().Length();
    for (int32_t i = 0; i < table.Count(); ++i) {
        uint32_t length = 0;
        const uint8_t* body = table.EntryAt(i, &length);
        if (!body || body < start || body + length > end)
            std::abort();
    }
    if (table.EntryAt(table.Count()) != nullptr)
        std::abort();
}

std::vector<uint8_t> Stored(rt::SectionTable& table) {
    corelib::MemoryArchive out(true);
    if (!table.Serialize(out))
        std::abort();
    return out.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    corelib::MemoryArchive in(std::vector<uint8_t>(data, data + size));
    uint32_t counter = 0;
    rt::SectionTable table(&counter);
    if (!table.Serialize(in)) {
        if (table.Count() != 0 || table.Buffer().Length() != 0)
            std::abort();
        return 0;
    }
    CheckRecords(table);
    for (int32_t i = 0; i < table.Count(); ++i) {
        uint32_t length = 0;
        uint8_t* body = table.Find(table.KeyAt(i), &length);
        if (body && (length > table.Buffer().Length()))
            std::abort();
    }
    // A round trip through the stream form changes nothing.
    const std::vector<uint8_t> stored = Stored(table);
    corelib::MemoryArchive again(stored);
    rt::SectionTable copy(&counter);
    if (!copy.Serialize(again) || Stored(copy) != stored)
        std::abort();
    // Changes of every kind keep the records whole.
    const uint8_t bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const int32_t n = table.Count();
    if (table.ReplaceBytes(n / 2, 0, -1, bytes, uint32_t(size % 16)) < 0 && n > 0)
        std::abort();
    table.InsertAt(int32_t(size % 7) - 2, 0x06000000 | uint32_t(size), bytes, 5);
    table.Append(bytes, 3, 0x01000000);
    table.RemoveAt(0);
    CheckRecords(table);
    return 0;
}
