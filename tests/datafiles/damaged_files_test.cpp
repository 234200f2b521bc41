// Damaged blob and index files: each kind of damage is answered with its
// exact code and the check that found it, and a failed operation leaves
// the file byte for byte as it was. Random damage on top: every answer is
// one the operations may give, and a failure never writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
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

const uint8_t* KeyOf(const int32_t& value) {
    return reinterpret_cast<const uint8_t*>(&value);
}

// Answers that change nothing: found nothing, stepped past the end, no such
// entry.
bool IsSoft(int code) {
    return code == corelib::kDataOk || code == corelib::kDataNotFound ||
           code == corelib::kDataNoSuchEntry;
}

constexpr int32_t kPage = 224;
const corelib::IndexDescriptor kLayout{0, 0, kPage, 4, 4, 2, {corelib::kKeyInt32}};

class DamagedIndexTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_EQ(corelib::IndexFile::Create(path_, kLayout), 0);
        corelib::IndexFile index(kLayout);
        ASSERT_EQ(index.Open(path_), 0);
        for (int32_t value = 0; value < 300; ++value) {
            const int32_t key = value * 7 % 101;
            ASSERT_EQ(index.Insert(KeyOf(key), value), 0);
        }
        // Every entry of a run of keys goes: emptied leaves become free pages.
        for (int32_t value = 0; value < 300; ++value) {
            const int32_t key = value * 7 % 101;
            if (key >= 20 && key < 60) {
                ASSERT_EQ(index.Delete(KeyOf(key), value), 0);
            }
        }
        index.Close();
        sound_ = ReadAll(path_);
        ASSERT_TRUE(corelib::CheckIndexFile(path_).Clean());
        ASSERT_GT(Word(32), 0);  // some pages are free
    }

    int32_t Word(size_t at) const { return corelib::ReadLeS32(&sound_[at]); }
    // The page numbers the root leads to.
    int32_t Child(int32_t page, int32_t index) const {
        return Word(size_t(page) * kPage + 4 + size_t(index) * 8);
    }

    datafiles_test::ScratchDir dir_;
    std::string path_ = dir_.File("d.idx");
    Bytes sound_;
};

struct IndexDamageCase {
    const char* what;
    std::function<void(Bytes&, const DamagedIndexTest&)> damage;
    int code;
    DataDamage found;
};

TEST_F(DamagedIndexTest, EachDamageHasItsCodeAndItsCheckAndNothingIsWritten) {
    const int32_t root = Word(36);
    const int32_t pages = Word(24);
    auto setWord = [](Bytes& b, size_t at, int32_t value) { corelib::WriteLeS32(&b[at], value); };
    const IndexDamageCase cases[] = {
        {"magic", [](Bytes& b, auto&) { b[0] = 'X'; }, -7, DataDamage::IndexNotAnIndex},
        {"page count", [&](Bytes& b, auto&) { setWord(b, 24, pages + 1); }, -7,
         DataDamage::IndexPagesBeyondFile},
        {"root", [&](Bytes& b, auto&) { setWord(b, 36, pages + 1); }, -7,
         DataDamage::IndexRootOutOfRange},
        {"free count", [&](Bytes& b, auto&) { setWord(b, 28, -1); }, -7,
         DataDamage::IndexFreeListOutOfRange},
        {"recorded layout", [&](Bytes& b, auto&) { setWord(b, 48, 3); }, -7,
         DataDamage::IndexOtherLayout},
        {"child link", [&](Bytes& b, auto&) { setWord(b, size_t(root) * kPage + 4, pages + 9); },
         -7, DataDamage::IndexPageOutOfRange},
        {"entry count", [&](Bytes& b, auto& t) { b[size_t(t.Child(root, 0)) * kPage + 2] = 9; }, -7,
         DataDamage::IndexTooManyEntries},
        {"child marked free", [&](Bytes& b, auto& t) { b[size_t(t.Child(root, 0)) * kPage] = 2; },
         -7, DataDamage::IndexTreePageFree},
        {"loop", [&](Bytes& b, auto&) { setWord(b, size_t(root) * kPage + 4, root); }, -7,
         DataDamage::IndexTreeTooDeep},
    };
    for (const IndexDamageCase& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = sound_;
        c.damage(damaged, *this);
        WriteAll(path_, damaged);
        corelib::IndexFile index(kLayout);
        ASSERT_EQ(index.Open(path_), 0);
        const int32_t key = 0;
        EXPECT_EQ(index.Insert(KeyOf(key), 1000), c.code);
        EXPECT_EQ(index.LastDamage(), c.found);
        index.Close();
        EXPECT_EQ(ReadAll(path_), damaged);
    }
}

TEST_F(DamagedIndexTest, AFreeListHeadInUseStopsTheSplitThatWouldTakeIt) {
    Bytes damaged = sound_;
    corelib::WriteLeS32(&damaged[32], Word(36));  // the head is the root
    WriteAll(path_, damaged);
    corelib::IndexFile index(kLayout);
    ASSERT_EQ(index.Open(path_), 0);
    // Inserting under one key until a leaf splits and takes a free page.
    int code = 0;
    for (int32_t record = 5000; code == 0 && record < 5010; ++record) {
        const int32_t key = 50;
        code = index.Insert(KeyOf(key), record);
        if (code == 0)
            damaged = ReadAll(path_);
    }
    EXPECT_EQ(code, corelib::kDataInvalidFile);
    EXPECT_EQ(index.LastDamage(), DataDamage::IndexFreeHeadInUse);
    index.Close();
    EXPECT_EQ(ReadAll(path_), damaged);
}

TEST_F(DamagedIndexTest, AFailedAccessPutsBackThePagesTheCacheWroteEarly) {
    // The leaf of the largest keys holds more entries than a page may.
    corelib::IndexFile probe(kLayout);
    ASSERT_EQ(probe.Open(path_), 0);
    corelib::IndexPosition position;
    int32_t largest = 100, record = 0;
    ASSERT_EQ(probe.Search(KeyOf(largest), position, nullptr, record), 0);
    const int32_t leaf = position.path.back().page;
    probe.Close();
    Bytes damaged = sound_;
    damaged[size_t(leaf) * kPage + 2] = 9;
    WriteAll(path_, damaged);

    corelib::IndexFile index(kLayout);
    ASSERT_EQ(index.Open(path_), 0);
    ASSERT_EQ(index.BeginAccess(), 0);
    // Enough changes that the cache writes pages back before the end.
    for (int32_t added = 1000; added < 1200; ++added) {
        const int32_t key = added % 19;
        ASSERT_EQ(index.Insert(KeyOf(key), added), 0);
    }
    EXPECT_NE(ReadAll(path_), damaged);
    EXPECT_EQ(index.Insert(KeyOf(largest), 2000), corelib::kDataInvalidFile);
    EXPECT_EQ(index.LastDamage(), DataDamage::IndexTooManyEntries);
    EXPECT_EQ(index.EndAccess(), 0);
    EXPECT_EQ(ReadAll(path_), damaged);
}

TEST_F(DamagedIndexTest, RandomDamageIsAnsweredAndAFailureNeverWrites) {
    const std::set<int> answers = {0, -7, -52, -57, -58};
    std::mt19937 rng(17);
    for (int trial = 0; trial < 120; ++trial) {
        WriteAll(path_, Damage(sound_, rng));
        corelib::CheckIndexFile(path_);
        corelib::IndexFile index(kLayout);
        ASSERT_EQ(index.Open(path_), 0);
        for (int step = 0; step < 20; ++step) {
            const int32_t key = static_cast<int32_t>(rng() % 110);
            const int32_t record = static_cast<int32_t>(rng() % 300);
            const Bytes before = ReadAll(path_);
            const int code =
                step % 2 ? index.Insert(KeyOf(key), record) : index.Delete(KeyOf(key), record);
            EXPECT_TRUE(answers.count(code)) << "trial " << trial << ": " << code;
            EXPECT_EQ(code == corelib::kDataInvalidFile, index.LastDamage() != DataDamage::None);
            if (!IsSoft(code)) {
                EXPECT_EQ(ReadAll(path_), before) << "trial " << trial << ": " << code;
            }
        }
        corelib::IndexPosition position;
        int32_t key = 0, record = 0;
        int visited = 0;
        int code = index.First(position, reinterpret_cast<uint8_t*>(&key), record);
        for (; code == 0 && visited < 100000; ++visited)
            code = index.Next(position, reinterpret_cast<uint8_t*>(&key), record);
        EXPECT_TRUE(answers.count(code)) << code;
        EXPECT_LT(visited, 100000);
    }
}

class DamagedBlobTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(corelib::BlobFile::Create(path_), 0);
        corelib::BlobFile blob;
        ASSERT_EQ(blob.Open(path_), 0);
        for (size_t k = 0; k < firsts_.size(); ++k)
            ASSERT_EQ(blob.WriteBlob(nullptr, static_cast<int32_t>(300 * k), 0, firsts_[k]), 0);
        for (size_t k = 0; k < firsts_.size(); k += 3)
            ASSERT_EQ(blob.WriteBlob(nullptr, 0, firsts_[k], firsts_[k]), 0);
        blob.Close();
        sound_ = ReadAll(path_);
        ASSERT_TRUE(corelib::CheckBlobFile(path_).Clean());
    }

    datafiles_test::ScratchDir dir_;
    std::string path_ = dir_.File("d.blob");
    std::vector<int32_t> firsts_ = std::vector<int32_t>(12, 0);
    Bytes sound_;
};

TEST_F(DamagedBlobTest, EachDamageHasItsCodeAndItsCheckAndNothingIsWritten) {
    const corelib::BlobFileHeader header = [&] {
        corelib::BlobFileHeader h;
        h.Load(sound_.data());
        return h;
    }();
    const int32_t value = firsts_[4];  // 1200 bytes in three blocks
    auto head = [](int32_t block, int field) { return size_t(block) * 512 + 4 * size_t(field); };
    struct Case {
        const char* what;
        size_t at;
        int32_t word;
        int32_t length;  // the value's new length
        DataDamage found;
    };
    const Case cases[] = {
        {"block count", 16, header.blockCount + 1, 2000, DataDamage::BlobHeaderBeyondFile},
        {"free head", 24, header.blockCount + 5, 2000, DataDamage::BlobHeaderBeyondFile},
        {"chain link", head(value, 1), header.blockCount, 1200, DataDamage::BlobBlockOutOfRange},
        {"chain back link", head(value + 1, 0), value + 7, 1200, DataDamage::BlobChainBroken},
        {"chain count", head(value + 1, 2), 0, 100, DataDamage::BlobChainBroken},
        {"free block in use", head(header.freeHead, 2), 1, 2600, DataDamage::BlobFreeListBroken},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = sound_;
        corelib::WriteLeS32(&damaged[c.at], c.word);
        WriteAll(path_, damaged);
        corelib::BlobFile blob;
        ASSERT_EQ(blob.Open(path_), 0);
        int32_t out = -1;
        EXPECT_EQ(blob.WriteBlob(nullptr, c.length, value, out), corelib::kDataInvalidFile);
        EXPECT_EQ(blob.LastDamage(), c.found);
        blob.Close();
        EXPECT_EQ(ReadAll(path_), damaged);
    }
}

TEST_F(DamagedBlobTest, RandomDamageIsAnsweredAndAFailureNeverWrites) {
    const std::set<int> answers = {0, -7, -59};
    std::mt19937 rng(23);
    for (int trial = 0; trial < 120; ++trial) {
        WriteAll(path_, Damage(sound_, rng));
        corelib::CheckBlobFile(path_);
        corelib::BlobFile blob;
        ASSERT_EQ(blob.Open(path_), 0);
        std::vector<int32_t> current = firsts_;
        for (int step = 0; step < 12; ++step) {
            int32_t& first = current[rng() % current.size()];
            Bytes back;
            const int read = blob.ReadBlob(first, back);
            EXPECT_TRUE(answers.count(read)) << read;
            const Bytes before = ReadAll(path_);
            int32_t out = 0;
            const int code =
                blob.WriteBlob(nullptr, static_cast<int32_t>(rng() % 2000), first, out);
            EXPECT_TRUE(answers.count(code)) << "trial " << trial << ": " << code;
            EXPECT_EQ(code == corelib::kDataInvalidFile, blob.LastDamage() != DataDamage::None);
            if (code == 0) {
                first = out;
            } else {
                EXPECT_EQ(ReadAll(path_), before) << "trial " << trial << ": " << code;
            }
        }
    }
}

}  // namespace
