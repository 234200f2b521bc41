// Headers and links that point past the file are damage: reported with the
// check that found them, before anything is written, so a few hundred
// damaged bytes can never grow into a file of hundreds of gigabytes; and
// the checker stays within the memory of what a file really holds.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "corelib/datafiles/blob_file.h"
#include "corelib/datafiles/blob_format.h"
#include "corelib/datafiles/data_file_check.h"
#include "corelib/datafiles/index_file.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;
using corelib::DataDamage;

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

const uint8_t* Key(const int32_t& value) {
    return reinterpret_cast<const uint8_t*>(&value);
}

// Two pages of 376 bytes: the header page and an empty root.
const corelib::IndexDescriptor kLayout{0, 0, 376, 4, 4, 2, {corelib::kKeyInt32}};

class HostileHeadersTest : public ::testing::Test {
protected:
    datafiles_test::ScratchDir dir_;
    std::string index_ = dir_.File("t.idx");
    std::string blob_ = dir_.File("t.blob");
};

TEST_F(HostileHeadersTest, AnIndexHeaderCountingMorePagesThanTheFileHoldsTakesNoInsert) {
    ASSERT_EQ(corelib::IndexFile::Create(index_, kLayout), 0);
    Bytes bytes = ReadAll(index_);
    ASSERT_EQ(bytes.size(), 752u);
    corelib::WriteLeS32(&bytes[24], 700000000);  // page count
    WriteAll(index_, bytes);

    corelib::IndexFile index(kLayout);
    ASSERT_EQ(index.Open(index_), 0);
    for (int32_t value = 0; value < 12; ++value) {
        EXPECT_EQ(index.Insert(Key(value), value), corelib::kDataInvalidFile);
        EXPECT_EQ(index.LastDamage(), DataDamage::IndexPagesBeyondFile);
    }
    index.Close();
    EXPECT_EQ(ReadAll(index_), bytes);
    EXPECT_EQ(std::string(corelib::DataDamageText(DataDamage::IndexPagesBeyondFile)),
              "the header counts pages the file does not hold");
}

TEST_F(HostileHeadersTest, AnIndexWithNoPageNumberLeftRefusesToGrow) {
    ASSERT_EQ(corelib::IndexFile::Create(index_, kLayout), 0);
    corelib::IndexFile index(kLayout);
    ASSERT_EQ(index.Open(index_), 0);
    for (int32_t value = 0; value < 4; ++value)
        ASSERT_EQ(index.Insert(Key(value), value), 0);  // the root leaf is full
    index.Close();
    // The largest page count a header can hold, in a (sparse) file that
    // really has that many pages.
    Bytes bytes = ReadAll(index_);
    corelib::WriteLeS32(&bytes[24], INT32_MAX);
    WriteAll(index_, bytes);
    const uintmax_t length = (uintmax_t(INT32_MAX) + 1) * 376;
    std::filesystem::resize_file(index_, length);

    ASSERT_EQ(index.Open(index_), 0);
    const int32_t fifth = 4;
    EXPECT_EQ(index.Insert(Key(fifth), 4), corelib::kDataDiskFull);
    index.Close();
    EXPECT_EQ(std::filesystem::file_size(index_), length);
    std::ifstream in(index_, std::ios::binary);
    Bytes start(752);
    in.read(reinterpret_cast<char*>(start.data()), 752);
    EXPECT_EQ(start, Bytes(bytes.begin(), bytes.begin() + 752));
}

TEST_F(HostileHeadersTest, DescriptorsFromHeadersAreCheckedWithoutOverflow) {
    corelib::IndexDescriptor huge = kLayout;
    huge.maxEntries = INT32_MAX;
    EXPECT_STREQ(corelib::DescriptorProblem(huge), "M above the 16-bit entry count");
    corelib::IndexDescriptor smallest = kLayout;
    smallest.partTypes = {INT32_MIN};
    EXPECT_EQ(corelib::KeyPartSize(INT32_MIN), 0);
    EXPECT_STREQ(corelib::DescriptorProblem(smallest), "unknown key part type");

    std::string problem;
    EXPECT_EQ(corelib::IndexFile::Create(index_, huge, &problem), corelib::kDataInvalidFile);
    EXPECT_EQ(problem, "M above the 16-bit entry count");
    EXPECT_FALSE(std::filesystem::exists(index_));
    corelib::IndexFile index(huge);
    EXPECT_EQ(index.Open(index_), corelib::kDataInvalidFile);
    EXPECT_EQ(index.LastDamage(), DataDamage::IndexLayoutUnusable);
}

// A blob file of two blocks and four stray bytes: the header and block 1.
Bytes BlobFile(int32_t blockCount, int32_t freeCount, int32_t freeHead, int32_t next) {
    Bytes bytes(2 * corelib::kBlobBlockSize + 4, 0);
    corelib::BlobFileHeader header;
    header.blockCount = blockCount;
    header.freeCount = freeCount;
    header.freeHead = freeHead;
    header.Store(bytes.data());
    corelib::BlobBlock{0, next, 0}.Store(&bytes[corelib::kBlobBlockSize]);
    return bytes;
}

TEST_F(HostileHeadersTest, ABlobWriteOverADamagedFreeListWritesNothing) {
    const uint8_t value[700] = {1, 2, 3};
    // As found in the field: the header counts two free blocks of a file of
    // two, and the free block links far past the end.
    const Bytes counted = BlobFile(2, 2, 1, 1162000000);
    ASSERT_EQ(counted.size(), 1028u);
    WriteAll(blob_, counted);
    corelib::BlobFile blob;
    ASSERT_EQ(blob.Open(blob_), 0);
    int32_t first = -1;
    EXPECT_EQ(blob.WriteBlob(value, 700, 0, first), corelib::kDataInvalidFile);
    EXPECT_EQ(blob.LastDamage(), DataDamage::BlobHeaderBeyondFile);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(ReadAll(blob_), counted);

    // A sound header: the free block's link alone points past the file.
    blob.Close();
    Bytes linked = BlobFile(3, 1, 1, 1162000000);
    linked.resize(3 * corelib::kBlobBlockSize);
    WriteAll(blob_, linked);
    ASSERT_EQ(blob.Open(blob_), 0);
    EXPECT_EQ(blob.WriteBlob(value, 700, 0, first), corelib::kDataInvalidFile);
    EXPECT_EQ(blob.LastDamage(), DataDamage::BlobBlockOutOfRange);
    EXPECT_EQ(ReadAll(blob_), linked);
}

TEST_F(HostileHeadersTest, ABlobWriteOverADamagedChainWritesNothing) {
    ASSERT_EQ(corelib::BlobFile::Create(blob_), 0);
    corelib::BlobFile blob;
    ASSERT_EQ(blob.Open(blob_), 0);
    int32_t first = 0;
    ASSERT_EQ(blob.WriteBlob(nullptr, 1400, 0, first), 0);  // blocks 1, 2, 3
    blob.Close();
    Bytes bytes = ReadAll(blob_);
    corelib::WriteLeS32(&bytes[2 * corelib::kBlobBlockSize + 4], 5000);  // block 2's next
    WriteAll(blob_, bytes);
    ASSERT_EQ(blob.Open(blob_), 0);
    int32_t out = 0;
    for (int32_t length : {200, 1400, 2600}) {
        EXPECT_EQ(blob.WriteBlob(nullptr, length, first, out), corelib::kDataInvalidFile);
        EXPECT_EQ(blob.LastDamage(), DataDamage::BlobBlockOutOfRange);
        EXPECT_EQ(ReadAll(blob_), bytes) << length;
    }
}

TEST_F(HostileHeadersTest, TheCheckerOfAHugeSparseIndexStaysSmallAndSaysWhatIsWrong) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // A sanitized checker reserves terabytes of shadow address space at
    // start, which no address-space limit lets it have.
    GTEST_SKIP() << "the address-space limit cannot hold a sanitized checker";
#endif
    ASSERT_EQ(corelib::IndexFile::Create(index_, kLayout), 0);
    Bytes bytes = ReadAll(index_);
    corelib::WriteLeS32(&bytes[24], 700000000);
    WriteAll(index_, bytes);
    std::filesystem::resize_file(index_, uintmax_t(700000001) * 376);

    // In a child whose address space is far smaller than one byte a page.
    const std::string command =
        "ulimit -v 400000; " + std::string(PICBATCH_DBCHECK) + " " + index_ + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 1) << output;
    EXPECT_EQ(output,
              index_ +
                  ": 1 problem\n"
                  "  pages 2 to 700000000 (699999999 pages): neither in the tree nor free\n");
}

}  // namespace
