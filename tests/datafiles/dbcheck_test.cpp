// picbatch-dbcheck as users run it: sound files pass, damaged ones are
// reported with what is wrong and a non-zero exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <cstring>
#include <string>

#include "corelib/datafiles/blob_file.h"
#include "corelib/datafiles/index_file.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

struct ToolRun {
    int status;
    std::string output;
};

ToolRun DbCheck(const std::string& arguments) {
    const std::string command = std::string(PICBATCH_DBCHECK) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof(buffer), pipe))
        output += buffer;
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

void Poke(const std::string& path, long offset, const void* bytes, size_t count) {
    FILE* file = std::fopen(path.c_str(), "r+b");
    std::fseek(file, offset, SEEK_SET);
    std::fwrite(bytes, 1, count, file);
    std::fclose(file);
}

class DbCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        layout_.pageSize = 256;
        layout_.keySize = 4;
        layout_.maxEntries = 4;
        layout_.splitPosition = 2;
        layout_.partTypes = {corelib::kKeyInt32};
        ASSERT_EQ(corelib::IndexFile::Create(index_, layout_), 0);
        corelib::IndexFile index(layout_);
        ASSERT_EQ(index.Open(index_), 0);
        for (int32_t value = 0; value < 40; ++value) {
            ASSERT_EQ(index.Insert(reinterpret_cast<const uint8_t*>(&value), value), 0);
        }
        for (int32_t value = 0; value < 40; value += 3) {
            ASSERT_EQ(index.Delete(reinterpret_cast<const uint8_t*>(&value), value), 0);
        }
        ASSERT_EQ(corelib::BlobFile::Create(blob_), 0);
        corelib::BlobFile blob;
        ASSERT_EQ(blob.Open(blob_), 0);
        int32_t first = 0, second = 0;
        ASSERT_EQ(blob.WriteBlob(nullptr, 1700, 0, first), 0);
        ASSERT_EQ(blob.WriteBlob(nullptr, 900, 0, second), 0);
        ASSERT_EQ(blob.WriteBlob(nullptr, 100, first, first), 0);
    }

    datafiles_test::ScratchDir dir_;
    std::string index_ = dir_.File("t.idx");
    std::string blob_ = dir_.File("t.blob");
    corelib::IndexDescriptor layout_;
};

TEST_F(DbCheckTest, SoundFilesPass) {
    const ToolRun run = DbCheck(index_ + " " + blob_);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("t.idx: ok"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("t.blob: ok"), std::string::npos) << run.output;
    EXPECT_EQ(DbCheck("--key 256,4,4,2,0,0,3 " + index_).status, 0);
}

TEST_F(DbCheckTest, DamageIsReported) {
    // An out-of-order key in the first leaf.
    const int32_t big = 1000;
    Poke(index_, 256 + 4 + 4, &big, 4);
    // A free count that disagrees with the free list.
    const int32_t freeCount = 2;
    Poke(blob_, 20, &freeCount, 4);
    const ToolRun run = DbCheck(index_ + " " + blob_);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("out of order"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("free blocks, the list has"), std::string::npos) << run.output;
}

TEST_F(DbCheckTest, WrongLayoutsAndStrangeFilesAreRefused) {
    EXPECT_EQ(DbCheck("--key 256,4,5,2,0,0,3 " + index_).status, 1);
    EXPECT_EQ(DbCheck("--key 256,x " + index_).status, 2);
    EXPECT_EQ(DbCheck("").status, 2);
    const ToolRun run = DbCheck(dir_.File("missing"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("not a blob or index file"), std::string::npos);
}

}  // namespace
