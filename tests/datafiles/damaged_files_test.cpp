// Damaged blob and index files: whatever bytes are wrong, the operations
// answer an error or a result and never crash or hang.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "corelib/datafiles/blob_file.h"
#include "corelib/datafiles/data_file_check.h"
#include "corelib/datafiles/index_file.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path) {
    Bytes bytes(std::filesystem::file_size(path));
    FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
    return bytes;
}

void WriteAll(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// Overwrites a few words with small numbers (page and block numbers, counts
// and links are what damage does most harm to) or random bytes.
Bytes Damage(Bytes bytes, std::mt19937& rng) {
    const int hits = 1 + static_cast<int>(rng() % 4);
    for (int hit = 0; hit < hits; ++hit) {
        const size_t at = (rng() % (bytes.size() - 4)) & ~size_t{3};
        const uint32_t value = rng() % 2 ? rng() % 64 : static_cast<uint32_t>(rng());
        for (int k = 0; k < 4; ++k)
            bytes[at + k] = static_cast<uint8_t>(value >> (8 * k));
    }
    return bytes;
}

TEST(DamagedFiles, IndexOperationsSurviveDamagedPages) {
    datafiles_test::ScratchDir dir;
    const std::string path = dir.File("d.idx");
    corelib::IndexDescriptor layout{0, 0, 224, 4, 4, 2, {corelib::kKeyInt32}};
    ASSERT_EQ(corelib::IndexFile::Create(path, layout), 0);
    {
        corelib::IndexFile index(layout);
        ASSERT_EQ(index.Open(path), 0);
        for (int32_t value = 0; value < 300; ++value) {
            const int32_t key = value * 7 % 101;
            ASSERT_EQ(index.Insert(reinterpret_cast<const uint8_t*>(&key), value), 0);
        }
    }
    const Bytes sound = ReadAll(path);
    std::mt19937 rng(17);
    for (int trial = 0; trial < 120; ++trial) {
        WriteAll(path, Damage(sound, rng));
        corelib::CheckIndexFile(path);
        corelib::IndexFile index(layout);
        ASSERT_EQ(index.Open(path), 0);
        for (int step = 0; step < 20; ++step) {
            const int32_t key = static_cast<int32_t>(rng() % 110);
            const int32_t record = static_cast<int32_t>(rng() % 300);
            if (step % 2)
                index.Insert(reinterpret_cast<const uint8_t*>(&key), record);
            else
                index.Delete(reinterpret_cast<const uint8_t*>(&key), record);
        }
        corelib::IndexPosition position;
        int32_t key = 0, record = 0;
        int visited = 0;
        for (int e = index.First(position, reinterpret_cast<uint8_t*>(&key), record);
             e == 0 && visited < 100000;
             e = index.Next(position, reinterpret_cast<uint8_t*>(&key), record)) {
            ++visited;
        }
    }
}

TEST(DamagedFiles, BlobOperationsSurviveDamagedBlocks) {
    datafiles_test::ScratchDir dir;
    const std::string path = dir.File("d.blob");
    ASSERT_EQ(corelib::BlobFile::Create(path), 0);
    std::vector<int32_t> firsts(12, 0);
    {
        corelib::BlobFile blob;
        ASSERT_EQ(blob.Open(path), 0);
        for (size_t k = 0; k < firsts.size(); ++k) {
            ASSERT_EQ(blob.WriteBlob(nullptr, static_cast<int32_t>(300 * k), 0, firsts[k]), 0);
        }
        for (size_t k = 0; k < firsts.size(); k += 3) {
            ASSERT_EQ(blob.WriteBlob(nullptr, 0, firsts[k], firsts[k]), 0);
        }
    }
    const Bytes sound = ReadAll(path);
    std::mt19937 rng(23);
    for (int trial = 0; trial < 120; ++trial) {
        WriteAll(path, Damage(sound, rng));
        corelib::CheckBlobFile(path);
        corelib::BlobFile blob;
        ASSERT_EQ(blob.Open(path), 0);
        std::vector<int32_t> current = firsts;
        for (int step = 0; step < 12; ++step) {
            int32_t& first = current[rng() % current.size()];
            Bytes back;
            blob.ReadBlob(first, back);
            int32_t out = 0;
            if (blob.WriteBlob(nullptr, static_cast<int32_t>(rng() % 2000), first, out) == 0)
                first = out;
        }
    }
}

}  // namespace
