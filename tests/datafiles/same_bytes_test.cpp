// The fixed mixed run of same_bytes_workload.h writes, byte for byte, the
// files and the checkpoint digests kept under same_bytes/: the storage
// beneath the formats (page cache, reads, writes, locking) may change, the
// bytes it leaves may not.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/datafiles/same_bytes_workload.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

std::vector<char> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(SameBytesTest, MixedRunWritesTheKeptFilesExactly) {
    const std::string kept = PICBATCH_SAME_BYTES_DIR;
    datafiles_test::ScratchDir dir;
    const datafiles_test::SameBytesRun run = datafiles_test::RunSameBytesWorkload(dir.path());
    ASSERT_EQ(run.error, "");

    // Every state on the way first: the first line that differs names the
    // file and the operation after which it went astray.
    const std::vector<std::string> expected = Lines(kept + "/checkpoints.txt");
    ASSERT_EQ(expected.size(), 49u);
    ASSERT_EQ(run.checkpoints.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(run.checkpoints[i], expected[i]) << "checkpoint " << i;

    for (const std::string& name : datafiles_test::SameBytesFileNames()) {
        SCOPED_TRACE(name);
        const std::vector<char> want = FileBytes(kept + "/" + name);
        const std::vector<char> got = FileBytes(dir.File(name));
        ASSERT_FALSE(want.empty());
        ASSERT_EQ(got.size(), want.size());
        size_t first = 0;
        while (first < want.size() && got[first] == want[first])
            ++first;
        EXPECT_EQ(first, want.size()) << "first differing byte at offset " << first;
    }
}

}  // namespace
