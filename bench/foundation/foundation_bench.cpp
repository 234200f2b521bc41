// ByteBuffer appends against std::vector<uint8_t>, and SectionTable look-up
// and insertion costs as tables grow. Compare the pairs within one run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "corelib/buffer/byte_buffer.h"
#include "runtime/section_table.h"

namespace {

constexpr int kTotalBytes = 1 << 20;

void BM_ByteBufferAppend(benchmark::State& state) {
    std::vector<uint8_t> chunk(size_t(state.range(0)), 0xab);
    for (auto _ : state) {
        corelib::ByteBuffer buffer;
        for (int done = 0; done < kTotalBytes; done += int(chunk.size()))
            buffer.Append(chunk.data(), int32_t(chunk.size()));
        benchmark::DoNotOptimize(buffer.Data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kTotalBytes);
}

void BM_VectorAppend(benchmark::State& state) {
    std::vector<uint8_t> chunk(size_t(state.range(0)), 0xab);
    for (auto _ : state) {
        std::vector<uint8_t> buffer;
        for (int done = 0; done < kTotalBytes; done += int(chunk.size()))
            buffer.insert(buffer.end(), chunk.begin(), chunk.end());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kTotalBytes);
}

BENCHMARK(BM_ByteBufferAppend)->Arg(16)->Arg(4096);
BENCHMARK(BM_VectorAppend)->Arg(16)->Arg(4096);

// A unit record of typical size.
constexpr uint32_t kRecordBytes = 96;

void FillTable(rt::SectionTable& table, int64_t entries) {
    uint8_t record[kRecordBytes] = {};
    for (int64_t i = 0; i < entries; ++i)
        table.Append(record, kRecordBytes, 0x16000000);
}

// Looks up the last key: the worst case of the linear scan.
void BM_SectionTableFindLast(benchmark::State& state) {
    rt::SectionTable table;
    FillTable(table, state.range(0));
    uint32_t key = table.KeyAt(table.Count() - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(table.Find(key));
}

// Entry 0 is the window's own unit, the common look-up.
void BM_SectionTableFindFirst(benchmark::State& state) {
    rt::SectionTable table;
    FillTable(table, state.range(0));
    uint32_t key = table.KeyAt(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(table.Find(key));
}

// Inserts one record at the front (every offset moves) and removes it again.
void BM_SectionTableInsertFront(benchmark::State& state) {
    rt::SectionTable table;
    FillTable(table, state.range(0));
    uint8_t record[kRecordBytes] = {};
    for (auto _ : state) {
        table.InsertAt(0, 0x16ffffff, record, kRecordBytes);
        table.RemoveAt(0);
    }
}

// Appends one record (no offsets move) and removes it again.
void BM_SectionTableAppend(benchmark::State& state) {
    rt::SectionTable table;
    FillTable(table, state.range(0));
    uint8_t record[kRecordBytes] = {};
    for (auto _ : state) {
        table.AppendKeyed(0x16ffffff, record, kRecordBytes);
        table.RemoveAt(table.Count() - 1);
    }
}

BENCHMARK(BM_SectionTableFindFirst)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_SectionTableFindLast)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_SectionTableInsertFront)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_SectionTableAppend)->Arg(10)->Arg(100)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
