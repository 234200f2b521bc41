// Two writers at once on one blob file and one index file: two processes
// (fork) and two threads, each with its own file object, so the range locks
// are what keeps them apart. Nothing written may be lost and both files
// must check clean. And one index file object following another's growth
// and shrinking of the file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "corelib/datafiles/blob_file.h"
#include "corelib/datafiles/data_file_check.h"
#include "corelib/datafiles/index_file.h"
#include "corelib/datafiles/range_locks.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

corelib::IndexDescriptor KeyLayout() {
    corelib::IndexDescriptor d;
    d.pageSize = 256;
    d.keySize = 4;
    d.maxEntries = 6;
    d.splitPosition = 3;
    d.partTypes = {corelib::kKeyInt32};
    return d;
}

Bytes ValueOf(int writer, int id, int version) {
    std::mt19937 rng(writer * 100000 + id * 100 + version);
    Bytes bytes(rng() % 1800);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(rng());
    return bytes;
}

struct WriterResult {
    int failures = 0;
    std::map<int, std::pair<int32_t, int>> values;  // id -> first block, version
    std::set<std::pair<int32_t, int32_t>> entries;  // key, record
};

// One writer's work: values and index entries of its own, rewritten and
// removed at random, with records numbered by writer so that they never
// collide while keys often do.
WriterResult RunWriter(int writer, const std::string& blobPath, const std::string& indexPath) {
    WriterResult result;
    corelib::BlobFile blob;
    corelib::IndexFile index(KeyLayout());
    if (blob.Open(blobPath) != 0 || index.Open(indexPath) != 0) {
        result.failures = 1;
        return result;
    }
    std::mt19937 rng(writer);
    for (int step = 0; step < 1500; ++step) {
        const int id = static_cast<int>(rng() % 30);
        auto& slot = result.values[id];
        const Bytes value = ValueOf(writer, id, ++slot.second);
        if (blob.WriteBlob(value.data(), static_cast<int32_t>(value.size()), slot.first,
                           slot.first) != 0) {
            ++result.failures;
        }
        const int32_t key = static_cast<int32_t>(rng() % 50);
        const int32_t record = writer * 1000 + static_cast<int32_t>(rng() % 200);
        if (rng() % 3 != 0 || result.entries.empty()) {
            if (index.Insert(reinterpret_cast<const uint8_t*>(&key), record) != 0)
                ++result.failures;
            result.entries.insert({key, record});
        } else {
            auto it = result.entries.begin();
            std::advance(it, rng() % result.entries.size());
            if (index.Delete(reinterpret_cast<const uint8_t*>(&it->first), it->second) != 0) {
                ++result.failures;
            }
            result.entries.erase(it);
        }
    }
    return result;
}

// A child reports its result to the parent through a pipe as plain words.
void SendResult(int fd, const WriterResult& r) {
    std::vector<int32_t> words = {r.failures, static_cast<int32_t>(r.values.size())};
    for (const auto& [id, slot] : r.values)
        words.insert(words.end(), {id, slot.first, slot.second});
    words.push_back(static_cast<int32_t>(r.entries.size()));
    for (const auto& [key, record] : r.entries)
        words.insert(words.end(), {key, record});
    const size_t bytes = words.size() * 4;
    (void)!write(fd, &bytes, sizeof(bytes));
    (void)!write(fd, words.data(), bytes);
}

WriterResult ReceiveResult(int fd) {
    size_t bytes = 0;
    WriterResult r;
    if (read(fd, &bytes, sizeof(bytes)) != sizeof(bytes)) {
        r.failures = -1;
        return r;
    }
    std::vector<int32_t> words(bytes / 4);
    size_t got = 0;
    while (got < bytes) {
        const ssize_t n = read(fd, reinterpret_cast<char*>(words.data()) + got, bytes - got);
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    size_t at = 0;
    r.failures = words[at++];
    for (int32_t n = words[at++]; n > 0; --n, at += 3)
        r.values[words[at]] = {words[at + 1], words[at + 2]};
    for (int32_t n = words[at++]; n > 0; --n, at += 2)
        r.entries.insert({words[at], words[at + 1]});
    return r;
}

class SharedWritersTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousWait_ = corelib::LockWaitMs();
        // Bounded, so that a deadlock shows as failed writes, not a hang.
        corelib::SetLockWaitMs(5000);
        ASSERT_EQ(corelib::BlobFile::Create(blobPath_), 0);
        ASSERT_EQ(corelib::IndexFile::Create(indexPath_, KeyLayout()), 0);
    }
    void TearDown() override { corelib::SetLockWaitMs(previousWait_); }

    void ExpectEverythingKept(const WriterResult (&results)[2]) {
        corelib::BlobFile blob;
        ASSERT_EQ(blob.Open(blobPath_), 0);
        for (int writer = 0; writer < 2; ++writer) {
            EXPECT_EQ(results[writer].failures, 0);
            for (const auto& [id, slot] : results[writer].values) {
                Bytes back;
                ASSERT_EQ(blob.ReadBlob(slot.first, back), 0);
                EXPECT_EQ(back, ValueOf(writer + 1, id, slot.second)) << writer << "/" << id;
            }
        }
        std::set<std::pair<int32_t, int32_t>> expected = results[0].entries;
        expected.insert(results[1].entries.begin(), results[1].entries.end());
        corelib::IndexFile index(KeyLayout());
        ASSERT_EQ(index.Open(indexPath_), 0);
        std::set<std::pair<int32_t, int32_t>> found;
        corelib::IndexPosition position;
        int32_t key = 0, record = 0;
        for (int e = index.First(position, reinterpret_cast<uint8_t*>(&key), record); e == 0;
             e = index.Next(position, reinterpret_cast<uint8_t*>(&key), record)) {
            found.insert({key, record});
        }
        EXPECT_EQ(found, expected);
        for (const auto& report :
             {corelib::CheckBlobFile(blobPath_), corelib::CheckIndexFile(indexPath_)}) {
            for (const std::string& problem : report.problems)
                ADD_FAILURE() << problem;
        }
    }

    datafiles_test::ScratchDir dir_;
    std::string blobPath_ = dir_.File("shared.blob");
    std::string indexPath_ = dir_.File("shared.idx");
    int32_t previousWait_ = 0;
};

TEST_F(SharedWritersTest, TwoProcessesLoseNothing) {
    // Both children wait at the gate until the parent closes it, so their
    // work overlaps.
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    int pipes[2][2];
    pid_t children[2];
    for (int writer = 0; writer < 2; ++writer) {
        ASSERT_EQ(pipe(pipes[writer]), 0);
        children[writer] = fork();
        ASSERT_GE(children[writer], 0);
        if (children[writer] == 0) {
            close(gate[1]);
            char go;
            (void)!read(gate[0], &go, 1);
            SendResult(pipes[writer][1], RunWriter(writer + 1, blobPath_, indexPath_));
            _exit(0);
        }
        close(pipes[writer][1]);
    }
    close(gate[0]);
    close(gate[1]);
    WriterResult results[2];
    for (int writer = 0; writer < 2; ++writer) {
        results[writer] = ReceiveResult(pipes[writer][0]);
        close(pipes[writer][0]);
        int status = 0;
        waitpid(children[writer], &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ExpectEverythingKept(results);
}

TEST_F(SharedWritersTest, TwoThreadsLoseNothing) {
    WriterResult results[2];
    const int64_t retriesBefore = corelib::LockRetryCount();
    std::thread first([&] { results[0] = RunWriter(1, blobPath_, indexPath_); });
    std::thread second([&] { results[1] = RunWriter(2, blobPath_, indexPath_); });
    first.join();
    second.join();
    ExpectEverythingKept(results);
    // The writers did meet at a lock, so the test exercised the waiting.
    EXPECT_GT(corelib::LockRetryCount(), retriesBefore);
}

// One file object reads pages from a view of the file it mapped earlier;
// another object grows the file far past that view, shrinks it and grows it
// again between the first one's accesses. Each access must read the file as
// it is then.
TEST(SharedIndexTest, AnIndexReadsWhatAnotherObjectWroteAsTheFileGrowsAndShrinks) {
    datafiles_test::ScratchDir dir;
    const std::string path = dir.File("big-pages.idx");
    corelib::IndexDescriptor layout = KeyLayout();
    layout.pageSize = 65536;  // a few pages are a long file
    layout.maxEntries = 3;
    layout.splitPosition = 1;
    ASSERT_EQ(corelib::IndexFile::Create(path, layout), 0);
    corelib::IndexFile reader(layout), writer(layout);
    ASSERT_EQ(reader.Open(path), 0);
    ASSERT_EQ(writer.Open(path), 0);

    std::set<std::pair<int32_t, int32_t>> expected;
    auto insert = [&](corelib::IndexFile& index, int32_t key) {
        ASSERT_EQ(index.Insert(reinterpret_cast<const uint8_t*>(&key), key + 7), 0);
        expected.insert({key, key + 7});
    };
    auto expectContents = [&](const char* when) {
        std::set<std::pair<int32_t, int32_t>> found;
        corelib::IndexPosition position;
        int32_t key = 0, record = 0;
        for (int e = reader.First(position, reinterpret_cast<uint8_t*>(&key), record); e == 0;
             e = reader.Next(position, reinterpret_cast<uint8_t*>(&key), record)) {
            found.insert({key, record});
        }
        EXPECT_EQ(found, expected) << when;
        for (const auto& [wanted, wantedRecord] : expected) {
            ASSERT_EQ(reader.Search(reinterpret_cast<const uint8_t*>(&wanted), position,
                                    reinterpret_cast<uint8_t*>(&key), record),
                      0);
            EXPECT_EQ(key, wanted) << when;
            EXPECT_EQ(record, wantedRecord) << when;
        }
    };

    insert(reader, 0);  // the reader's view now maps the short file
    for (int32_t key = 1; key <= 60; ++key)
        insert(writer, key);
    const auto grown = std::filesystem::file_size(path);
    ASSERT_GT(grown, 2u << 20);
    expectContents("grown");

    for (int32_t key = 60; key >= 5; --key) {
        ASSERT_EQ(writer.Delete(reinterpret_cast<const uint8_t*>(&key), key + 7), 0);
        expected.erase({key, key + 7});
    }
    ASSERT_LT(std::filesystem::file_size(path), grown / 2);
    expectContents("shrunk");

    for (int32_t key = 100; key <= 160; ++key)
        insert(key % 2 ? writer : reader, key);
    expectContents("grown again");
    for (const std::string& problem : corelib::CheckIndexFile(path).problems)
        ADD_FAILURE() << problem;
}

}  // namespace

// Creating an index over one that an access holds must wait for the access
// instead of cutting the file under it: the holder reads its pages through
// a view of the file, and pages cut from under a view cannot be read.
TEST(SharedIndexTest, CreatingOverAnIndexInUseWaitsForTheAccess) {
    datafiles_test::ScratchDir dir;
    const std::string path = dir.File("in-use.idx");
    const corelib::IndexDescriptor layout = KeyLayout();
    ASSERT_EQ(corelib::IndexFile::Create(path, layout), 0);
    corelib::IndexFile holder(layout);
    ASSERT_EQ(holder.Open(path), 0);
    for (int32_t key = 0; key < 40; ++key)
        ASSERT_EQ(holder.Insert(reinterpret_cast<const uint8_t*>(&key), key), 0);
    const auto filled = std::filesystem::file_size(path);
    ASSERT_GT(filled, 2u * layout.pageSize);

    const int32_t waitBefore = corelib::LockWaitMs();
    corelib::SetLockWaitMs(0);
    ASSERT_EQ(holder.BeginAccess(), 0);
    EXPECT_EQ(corelib::IndexFile::Create(path, layout), corelib::kDataLockViolation);
    EXPECT_EQ(std::filesystem::file_size(path), filled);
    corelib::IndexPosition position;
    int32_t key = 0, record = 0;
    const int32_t wanted = 39;
    EXPECT_EQ(holder.Search(reinterpret_cast<const uint8_t*>(&wanted), position,
                            reinterpret_cast<uint8_t*>(&key), record),
              0);
    EXPECT_EQ(record, 39);
    ASSERT_EQ(holder.EndAccess(), 0);

    EXPECT_EQ(corelib::IndexFile::Create(path, layout), 0);
    corelib::SetLockWaitMs(waitBefore);
    EXPECT_EQ(std::filesystem::file_size(path), 2u * layout.pageSize);
    // The position still holds the search's path: First starts afresh.
    EXPECT_EQ(holder.First(position, reinterpret_cast<uint8_t*>(&key), record),
              corelib::kDataNotFound)
        << corelib::DataDamageText(holder.LastDamage());
}
