// Blob files: random sequences of writes, rewrites and deletions of values of
// awkward lengths against a model, reopening and checking the file between
// rounds; the block, free-list and shrinking rules; and lock waiting.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "corelib/datafiles/blob_file.h"
#include "corelib/datafiles/blob_format.h"
#include "corelib/datafiles/data_file_check.h"
#include "corelib/datafiles/data_file_errors.h"
#include "corelib/datafiles/range_locks.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

using corelib::BlobFile;
using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(std::mt19937& rng, size_t length) {
    Bytes bytes(length);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(rng());
    return bytes;
}

void ExpectClean(const std::string& path) {
    const corelib::CheckReport report = corelib::CheckBlobFile(path);
    for (const std::string& problem : report.problems)
        ADD_FAILURE() << problem;
}

class BlobFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(BlobFile::Create(path_), 0);
        ASSERT_EQ(blob_.Open(path_), 0);
    }

    int32_t Write(const Bytes& value, int32_t oldFirst = 0) {
        int32_t first = -1;
        EXPECT_EQ(
            blob_.WriteBlob(value.data(), static_cast<int32_t>(value.size()), oldFirst, first), 0);
        return first;
    }

    corelib::BlobBlock Head(int32_t block) {
        FILE* file = std::fopen(path_.c_str(), "rb");
        uint8_t raw[12] = {};
        std::fseek(file, block * 512L, SEEK_SET);
        EXPECT_EQ(std::fread(raw, 1, 12, file), 12u);
        std::fclose(file);
        corelib::BlobBlock head;
        head.Load(raw);
        return head;
    }

    corelib::BlobFileHeader Header() {
        FILE* file = std::fopen(path_.c_str(), "rb");
        uint8_t raw[32] = {};
        EXPECT_EQ(std::fread(raw, 1, 32, file), 32u);
        std::fclose(file);
        corelib::BlobFileHeader header;
        header.Load(raw);
        return header;
    }

    datafiles_test::ScratchDir dir_;
    std::string path_ = dir_.File("table.blob");
    BlobFile blob_;
    std::mt19937 rng_{99};
};

TEST_F(BlobFileTest, RandomValuesReadBackAfterEveryRound) {
    const size_t lengths[] = {0, 1, 499, 500, 501, 999, 1000, 1001, 2600};
    std::map<int, std::pair<int32_t, Bytes>> model;  // value id -> first block, bytes
    for (int round = 0; round < 20; ++round) {
        for (int step = 0; step < 60; ++step) {
            const int id = static_cast<int>(rng_() % 40);
            const size_t length =
                rng_() % 4 == 0 ? rng_() % 6000 : lengths[rng_() % std::size(lengths)];
            const Bytes value = RandomBytes(rng_, length);
            auto& slot = model[id];
            slot.first = Write(value, slot.first);
            slot.second = value;
            EXPECT_EQ(slot.first == 0, length == 0);
        }
        blob_.Close();
        ExpectClean(path_);
        ASSERT_EQ(blob_.Open(path_), 0);
        for (const auto& [id, slot] : model) {
            Bytes back;
            ASSERT_EQ(blob_.ReadBlob(slot.first, back), 0);
            ASSERT_EQ(back, slot.second) << "value " << id << " round " << round;
        }
        if (HasFailure())
            return;
    }
}

TEST_F(BlobFileTest, ValuesFillBlocksOfFiveHundredBytes) {
    const int32_t one = Write(Bytes(500, 7));
    EXPECT_EQ(Head(one).count, 500);
    EXPECT_EQ(Head(one).next, 0);
    const int32_t two = Write(Bytes(501, 8));
    EXPECT_EQ(Head(two).count, 500);
    EXPECT_EQ(Head(Head(two).next).count, 1);
    EXPECT_EQ(Head(Head(two).next).prev, two);
    // A null source stores zeros.
    int32_t zeros = 0;
    ASSERT_EQ(blob_.WriteBlob(nullptr, 3, 0, zeros), 0);
    Bytes back;
    ASSERT_EQ(blob_.ReadBlob(zeros, back), 0);
    EXPECT_EQ(back, Bytes(3, 0));
    ExpectClean(path_);
}

TEST_F(BlobFileTest, ShorterValuesFreeTheirTailAndTheFileShrinks) {
    const int32_t keep = Write(Bytes(100, 1));
    const int32_t first = Write(Bytes(1500, 2));  // blocks 2, 3, 4
    ASSERT_EQ(first, 2);
    const int32_t middle = Write(Bytes(10, 3));  // block 5
    // Rewritten with one block, the value keeps its first block; the other
    // two go in front of the free list.
    ASSERT_EQ(Write(Bytes(20, 4), first), first);
    EXPECT_EQ(Header().freeHead, 3);
    EXPECT_EQ(Header().freeCount, 2);
    EXPECT_EQ(std::filesystem::file_size(path_), 6u * 512);
    // A new value takes the most recently freed blocks first.
    EXPECT_EQ(Write(Bytes(700, 5)), 3);
    EXPECT_EQ(Header().freeCount, 0);
    ExpectClean(path_);

    // Freed at the end of the file, blocks leave the file and the free list.
    int32_t gone = 0;
    ASSERT_EQ(blob_.WriteBlob(nullptr, 0, middle, gone), 0);
    EXPECT_EQ(gone, 0);
    EXPECT_EQ(std::filesystem::file_size(path_), 5u * 512);
    EXPECT_EQ(Header().freeCount, 0);
    const int32_t last = Write(Bytes(1400, 6));
    const auto size = std::filesystem::file_size(path_);
    ASSERT_EQ(Write(Bytes(5, 7), last), last);
    EXPECT_EQ(std::filesystem::file_size(path_), size - 1024);
    EXPECT_EQ(Header().freeCount, 0);
    EXPECT_EQ(Header().freeHead, 0);
    Bytes back;
    ASSERT_EQ(blob_.ReadBlob(keep, back), 0);
    EXPECT_EQ(back, Bytes(100, 1));
    ExpectClean(path_);
}

TEST_F(BlobFileTest, ShortHeaderAndClosedFileFail) {
    blob_.Close();
    int32_t first = -1;
    EXPECT_EQ(blob_.WriteBlob("x", 1, 0, first), corelib::kDataOtherFailure);
    EXPECT_EQ(first, 0);
    std::filesystem::resize_file(path_, 20);
    ASSERT_EQ(blob_.Open(path_), 0);
    EXPECT_EQ(blob_.WriteBlob("x", 1, 0, first), corelib::kDataOtherFailure);
    EXPECT_EQ(std::filesystem::file_size(path_), 20u);
}

TEST_F(BlobFileTest, DamagedChainsAreRefusedNotFollowed) {
    const int32_t first = Write(Bytes(1200, 9));
    // Point the last block back at the first: a loop.
    FILE* file = std::fopen(path_.c_str(), "r+b");
    uint8_t link[4];
    corelib::WriteLeS32(link, first);
    std::fseek(file, (first + 2) * 512L + 4, SEEK_SET);
    std::fwrite(link, 1, 4, file);
    std::fclose(file);
    Bytes back;
    EXPECT_EQ(blob_.ReadBlob(first, back), corelib::kDataInvalidFile);
    EXPECT_FALSE(corelib::CheckBlobFile(path_).Clean());
    EXPECT_EQ(blob_.ReadBlob(77, back), corelib::kDataInvalidFile);
}

TEST_F(BlobFileTest, WrongOldFirstBlockLeavesOtherValuesAlone) {
    const Bytes other = RandomBytes(rng_, 1600);
    const int32_t first = Write(other);
    const auto size = std::filesystem::file_size(path_);
    // The second block of a value is not the first of any value, and a
    // block past the end is no block at all.
    int32_t out = 0;
    EXPECT_EQ(blob_.WriteBlob("new", 3, first + 1, out), corelib::kDataInvalidFile);
    EXPECT_EQ(blob_.WriteBlob(nullptr, 0, first + 2, out), corelib::kDataInvalidFile);
    EXPECT_NE(blob_.WriteBlob("new", 3, 40, out), 0);
    Bytes back;
    ASSERT_EQ(blob_.ReadBlob(first, back), 0);
    EXPECT_EQ(back, other);
    EXPECT_EQ(std::filesystem::file_size(path_), size);
    ExpectClean(path_);
}

TEST_F(BlobFileTest, LockedHeaderIsWaitedForAsConfigured) {
    const int32_t previous = corelib::LockWaitMs();
    BlobFile other;
    ASSERT_EQ(other.Open(path_), 0);
    ASSERT_EQ(corelib::LockRange(other.File(), 0, true), 0);

    corelib::SetLockWaitMs(0);
    int32_t first = 0;
    EXPECT_EQ(blob_.WriteBlob("abc", 3, 0, first), corelib::kDataLockViolation);
    corelib::SetLockWaitMs(60);
    EXPECT_EQ(blob_.WriteBlob("abc", 3, 0, first), corelib::kDataLockViolation);

    // Without a limit the writer waits until the holder lets go.
    corelib::SetLockWaitMs(-1);
    std::thread holder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        corelib::LockRange(other.File(), 0, false);
    });
    EXPECT_EQ(blob_.WriteBlob("abc", 3, 0, first), 0);
    holder.join();
    corelib::SetLockWaitMs(previous);
    Bytes back;
    ASSERT_EQ(blob_.ReadBlob(first, back), 0);
    EXPECT_EQ(back, (Bytes{'a', 'b', 'c'}));
    ExpectClean(path_);
}

}  // namespace
