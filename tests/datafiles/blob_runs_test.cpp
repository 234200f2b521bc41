// Blob values written and read a run of consecutive blocks at a time: the
// blocks and links such a run leaves, runs longer than one write, a value
// that grows past the end of the file, reads whose run reaches past the end
// of the file, and the damage a read still reports.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>

#include "corelib/datafiles/blob_file.h"
#include "corelib/datafiles/blob_format.h"
#include "corelib/datafiles/data_file_check.h"
#include "corelib/datafiles/data_file_errors.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

using corelib::BlobFile;
using corelib::DataDamage;
using Bytes = std::vector<uint8_t>;

class BlobRunsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(BlobFile::Create(path_), 0);
        ASSERT_EQ(blob_.Open(path_), 0);
    }

    Bytes Value(size_t length) {
        Bytes bytes(length);
        for (auto& b : bytes)
            b = static_cast<uint8_t>(rng_());
        return bytes;
    }

    int32_t Write(const Bytes& value, int32_t oldFirst = 0) {
        int32_t first = -1;
        EXPECT_EQ(
            blob_.WriteBlob(value.data(), static_cast<int32_t>(value.size()), oldFirst, first), 0);
        return first;
    }

    Bytes FileBytes() {
        Bytes bytes;
        FILE* file = std::fopen(path_.c_str(), "rb");
        for (int c; (c = std::fgetc(file)) != EOF;)
            bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(file);
        return bytes;
    }

    // Checks, from the file's bytes alone, that `value` is stored in
    // `blocks` in that order: links, counts, payloads and zero padding.
    void ExpectChain(const Bytes& value, const std::vector<int32_t>& blocks) {
        const Bytes file = FileBytes();
        size_t done = 0;
        for (size_t i = 0; i < blocks.size(); ++i) {
            SCOPED_TRACE(blocks[i]);
            ASSERT_LE((blocks[i] + 1) * size_t{512}, file.size());
            const uint8_t* image = file.data() + blocks[i] * size_t{512};
            corelib::BlobBlock head;
            head.Load(image);
            const size_t count = std::min<size_t>(value.size() - done, 500);
            EXPECT_EQ(head.prev, i == 0 ? 0 : blocks[i - 1]);
            EXPECT_EQ(head.next, i + 1 == blocks.size() ? 0 : blocks[i + 1]);
            EXPECT_EQ(head.count, static_cast<int32_t>(count));
            EXPECT_TRUE(std::equal(image + 12, image + 12 + count, value.begin() + done));
            EXPECT_TRUE(
                std::all_of(image + 12 + count, image + 512, [](uint8_t b) { return b == 0; }));
            done += count;
        }
        EXPECT_EQ(done, value.size());
    }

    static std::vector<int32_t> Numbers(int32_t from, int32_t to) {
        std::vector<int32_t> numbers;
        for (int32_t n = from; n <= to; ++n)
            numbers.push_back(n);
        return numbers;
    }

    datafiles_test::ScratchDir dir_;
    std::string path_ = dir_.File("runs.blob");
    BlobFile blob_;
    std::mt19937 rng_{41};
};

TEST_F(BlobRunsTest, LongValuesGoOutAsLinkedConsecutiveBlocks) {
    // 201 blocks, more than one run holds; the last carries a single byte.
    const Bytes first = Value(100001);
    ASSERT_EQ(Write(first), 1);
    const Bytes second = Value(64 * 500);  // exactly one full run
    ASSERT_EQ(Write(second), 202);
    ExpectChain(first, Numbers(1, 201));
    ExpectChain(second, Numbers(202, 265));
    EXPECT_EQ(FileBytes().size(), 266u * 512);
    corelib::BlobFileHeader header;
    header.Load(FileBytes().data());
    EXPECT_EQ(header.blockCount, 266);
    EXPECT_EQ(header.freeCount, 0);

    Bytes back;
    ASSERT_EQ(blob_.ReadBlob(1, back), 0);
    EXPECT_EQ(back, first);
    ASSERT_EQ(blob_.ReadBlob(202, back), 0);
    EXPECT_EQ(back, second);
    EXPECT_TRUE(corelib::CheckBlobFile(path_).Clean());
}

TEST_F(BlobRunsTest, AValueGrowingPastItsBlocksContinuesAtTheEndOfTheFile) {
    const int32_t a = Write(Value(1400));  // blocks 1-3
    const int32_t b = Write(Value(900));   // blocks 4-5
    const Bytes longer = Value(3300);      // 7 blocks: 1-3 again, then 6-9
    ASSERT_EQ(Write(longer, a), a);
    ExpectChain(longer, {1, 2, 3, 6, 7, 8, 9});
    // Grown from a free block first: 4-5 freed, so they come before the end.
    const Bytes grown = Value(5200);  // 11 blocks
    int32_t out = 0;
    ASSERT_EQ(blob_.WriteBlob(nullptr, 0, b, out), 0);
    ASSERT_EQ(Write(grown, a), a);
    ExpectChain(grown, {1, 2, 3, 6, 7, 8, 9, 4, 5, 10, 11});
    Bytes back;
    ASSERT_EQ(blob_.ReadBlob(a, back), 0);
    EXPECT_EQ(back, grown);
    EXPECT_TRUE(corelib::CheckBlobFile(path_).Clean());
}

TEST_F(BlobRunsTest, ReadsWhoseRunReachesPastTheFileStillReadTheValue) {
    const Bytes big = Value(20000);  // 40 blocks: the next read starts 40 long
    const Bytes last = Value(700);   // the file's last two blocks
    const int32_t bigFirst = Write(big);
    const int32_t lastFirst = Write(last);
    Bytes back;
    ASSERT_EQ(blob_.ReadBlob(bigFirst, back), 0);
    EXPECT_EQ(back, big);
    ASSERT_EQ(blob_.ReadBlob(lastFirst, back), 0);
    EXPECT_EQ(back, last);
    // A chain that jumps about (rewritten over freed blocks) reads whole too.
    int32_t out = 0;
    ASSERT_EQ(blob_.WriteBlob(nullptr, 0, bigFirst, out), 0);
    const Bytes scattered = Value(1500);
    const int32_t scatteredFirst = Write(scattered, lastFirst);
    ASSERT_EQ(blob_.ReadBlob(scatteredFirst, back), 0);
    EXPECT_EQ(back, scattered);
    ASSERT_EQ(blob_.ReadBlob(0, back), 0);
    EXPECT_TRUE(back.empty());
}

TEST_F(BlobRunsTest, ReadsReportWhereAChainLeavesTheFileOrLoops) {
    const int32_t first = Write(Value(1200));  // blocks 1-3
    Bytes back = {1, 2, 3};
    EXPECT_EQ(blob_.ReadBlob(4, back), corelib::kDataInvalidFile);
    EXPECT_EQ(blob_.LastDamage(), DataDamage::BlobBlockOutOfRange);
    EXPECT_TRUE(back.empty());
    EXPECT_EQ(blob_.ReadBlob(-3, back), corelib::kDataInvalidFile);
    EXPECT_EQ(blob_.LastDamage(), DataDamage::BlobBlockOutOfRange);

    // The last block links back to the second: a loop inside the file.
    FILE* file = std::fopen(path_.c_str(), "r+b");
    uint8_t link[4];
    corelib::WriteLeS32(link, first + 1);
    std::fseek(file, (first + 2) * 512L + 4, SEEK_SET);
    std::fwrite(link, 1, 4, file);
    std::fclose(file);
    EXPECT_EQ(blob_.ReadBlob(first, back), corelib::kDataInvalidFile);
    EXPECT_EQ(blob_.LastDamage(), DataDamage::BlobChainLoops);
    EXPECT_TRUE(back.empty());

    // A link to a block the file holds only part of.
    FILE* cut = std::fopen(path_.c_str(), "r+b");
    corelib::WriteLeS32(link, first + 3);
    std::fseek(cut, (first + 2) * 512L + 4, SEEK_SET);
    std::fwrite(link, 1, 4, cut);
    std::fseek(cut, 0, SEEK_END);
    std::fwrite("partial", 1, 7, cut);
    std::fclose(cut);
    EXPECT_EQ(blob_.ReadBlob(first, back), corelib::kDataInvalidFile);
    EXPECT_EQ(blob_.LastDamage(), DataDamage::BlobBlockOutOfRange);
}

}  // namespace
