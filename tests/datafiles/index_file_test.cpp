// Index files against an in-memory model: long random sequences of inserts,
// deletes and updates over several page sizes and key layouts, with the file
// closed, reopened and checked between rounds; plus the split, cache and
// shrinking rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <vector>

#include "corelib/datafiles/data_file_check.h"
#include "corelib/datafiles/data_file_errors.h"
#include "corelib/datafiles/index_file.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

using corelib::IndexDescriptor;
using corelib::IndexFile;
using Key = std::vector<uint8_t>;

IndexDescriptor Layout(int32_t pageSize, int32_t M, int32_t S, std::vector<int32_t> parts) {
    IndexDescriptor d;
    d.pageSize = pageSize;
    d.maxEntries = M;
    d.splitPosition = S;
    d.partTypes = std::move(parts);
    for (int32_t type : d.partTypes)
        d.keySize += corelib::KeyPartSize(type);
    return d;
}

Key Int32Key(int32_t value) {
    Key key(4);
    std::memcpy(key.data(), &value, 4);
    return key;
}

// Everything the index holds, in its order.
std::vector<std::pair<Key, int32_t>> Contents(IndexFile& index) {
    std::vector<std::pair<Key, int32_t>> all;
    corelib::IndexPosition position;
    Key key(index.Descriptor().keySize);
    int32_t record = 0;
    for (int error = index.First(position, key.data(), record); error == 0;
         error = index.Next(position, key.data(), record)) {
        all.emplace_back(key, record);
    }
    return all;
}

void ExpectClean(const std::string& path) {
    const corelib::CheckReport report = corelib::CheckIndexFile(path);
    for (const std::string& problem : report.problems)
        ADD_FAILURE() << problem;
}

// A layout under test with a key maker and an order written independently
// of the index code.
struct Scenario {
    const char* name;
    IndexDescriptor layout;
    std::function<Key(std::mt19937&)> makeKey;
    std::function<bool(const Key&, const Key&)> less;
};

int16_t Int16At(const Key& k, size_t at) {
    int16_t v;
    std::memcpy(&v, k.data() + at, 2);
    return v;
}

std::vector<Scenario> Scenarios() {
    auto int32Less = [](const Key& a, const Key& b) {
        int32_t x, y;
        std::memcpy(&x, a.data(), 4);
        std::memcpy(&y, b.data(), 4);
        return x < y;
    };
    auto bytesLess = [](const Key& a, const Key& b) { return a < b; };
    return {
        {"int32 keys, small pages", Layout(256, 8, 4, {3}),
         [](std::mt19937& rng) { return Int32Key(static_cast<int32_t>(rng() % 2000) - 1000); },
         int32Less},
        {"int32 keys, three per page, many duplicates", Layout(224, 3, 1, {3}),
         [](std::mt19937& rng) { return Int32Key(static_cast<int32_t>(rng() % 40)); }, int32Less},
        {"int16 and text parts", Layout(224, 4, 3, {2, -6}),
         [](std::mt19937& rng) {
             Key key(8, 0);
             const int16_t number = static_cast<int16_t>(static_cast<int>(rng() % 9) - 4);
             std::memcpy(key.data(), &number, 2);
             const size_t length = rng() % 7;
             for (size_t k = 0; k < length; ++k)
                 key[2 + k] = static_cast<uint8_t>('a' + rng() % 3);
             return key;
         },
         [](const Key& a, const Key& b) {
             if (Int16At(a, 0) != Int16At(b, 0))
                 return Int16At(a, 0) < Int16At(b, 0);
             return std::lexicographical_compare(a.begin() + 2, a.end(), b.begin() + 2, b.end());
         }},
        {"text keys, larger pages", Layout(1024, 40, 30, {-20}),
         [](std::mt19937& rng) {
             Key key(20, 0);
             const size_t length = 1 + rng() % 19;
             for (size_t k = 0; k < length; ++k)
                 key[k] = static_cast<uint8_t>('0' + rng() % 10);
             return key;
         },
         bytesLess},
    };
}

class IndexModelTest : public ::testing::TestWithParam<int> {};

TEST_P(IndexModelTest, RandomSequencesMatchTheModel) {
    const Scenario scenario = Scenarios()[GetParam()];
    SCOPED_TRACE(scenario.name);
    datafiles_test::ScratchDir dir;
    const std::string path = dir.File("table.idx");
    ASSERT_EQ(IndexFile::Create(path, scenario.layout), 0);

    auto entryLess = [&](const std::pair<Key, int32_t>& a, const std::pair<Key, int32_t>& b) {
        if (scenario.less(a.first, b.first))
            return true;
        if (scenario.less(b.first, a.first))
            return false;
        return a.second < b.second;
    };
    std::set<std::pair<Key, int32_t>, decltype(entryLess)> model(entryLess);
    std::mt19937 rng(1234 + GetParam());
    auto index = std::make_unique<IndexFile>(scenario.layout);
    ASSERT_EQ(index->Open(path), 0);
    uintmax_t largestFile = 0;

    auto randomEntry = [&]() {
        auto it = model.begin();
        std::advance(it, rng() % model.size());
        return *it;
    };
    for (int round = 0; round < 24; ++round) {
        // Grow for a while, then shrink, so merges and borrowing get their
        // turn as much as splits do.
        const bool growing = (round / 6) % 2 == 0;
        const bool batched = round % 3 == 1;  // many operations in one access
        if (batched) {
            ASSERT_EQ(index->BeginAccess(), 0);
        }
        for (int step = 0; step < 150; ++step) {
            const unsigned dice = rng() % 100;
            if (model.empty() || dice < (growing ? 60u : 25u)) {
                const Key key = scenario.makeKey(rng);
                const int32_t record = static_cast<int32_t>(rng() % 5000);
                ASSERT_EQ(index->Insert(key.data(), record), 0);
                model.insert({key, record});
            } else if (dice < 90) {
                const auto entry = randomEntry();
                ASSERT_EQ(index->Delete(entry.first.data(), entry.second), 0);
                model.erase(entry);
            } else if (dice < 95) {
                const Key key = scenario.makeKey(rng);
                const int32_t record = 5000 + static_cast<int32_t>(rng() % 100);
                if (model.count({key, record}) == 0) {
                    ASSERT_EQ(index->Delete(key.data(), record), corelib::kDataNoSuchEntry);
                }
            } else {
                const auto entry = randomEntry();
                const Key key = scenario.makeKey(rng);
                if (model.count({key, entry.second}) != 0)
                    continue;
                ASSERT_EQ(index->Update(entry.first.data(), key.data(), entry.second), 0);
                model.erase(entry);
                model.insert({key, entry.second});
            }
        }
        if (batched) {
            ASSERT_EQ(index->EndAccess(), 0);
        }
        largestFile = std::max(largestFile, std::filesystem::file_size(path));

        index = std::make_unique<IndexFile>(scenario.layout);
        ASSERT_EQ(index->Open(path), 0);
        ExpectClean(path);
        const auto contents = Contents(*index);
        ASSERT_EQ(contents.size(), model.size()) << "round " << round;
        ASSERT_TRUE(std::equal(contents.begin(), contents.end(), model.begin()))
            << "round " << round;
        if (HasFailure())
            return;
    }
    // Emptied, the index gives the space of its last pages back.
    for (const auto& entry : std::vector(model.begin(), model.end())) {
        ASSERT_EQ(index->Delete(entry.first.data(), entry.second), 0);
    }
    ExpectClean(path);
    EXPECT_TRUE(Contents(*index).empty());
    EXPECT_LT(std::filesystem::file_size(path), largestFile);
}

INSTANTIATE_TEST_SUITE_P(Layouts, IndexModelTest, ::testing::Range(0, 4));

class IndexRulesTest : public ::testing::Test {
protected:
    IndexDescriptor layout_ = Layout(256, 4, 2, {3});
    datafiles_test::ScratchDir dir_;
    std::string path_ = dir_.File("rules.idx");

    std::vector<uint8_t> Page(IndexFile& index, int32_t page) {
        std::vector<uint8_t> bytes;
        corelib::IndexAccess access(index);
        EXPECT_EQ(index.ReadPageForCheck(page, bytes), 0);
        return bytes;
    }
};

TEST_F(IndexRulesTest, FullLeafSplitsAtTheSplitPosition) {
    ASSERT_EQ(IndexFile::Create(path_, layout_), 0);
    IndexFile index(layout_);
    ASSERT_EQ(index.Open(path_), 0);
    for (int32_t value : {50, 10, 40, 20, 30}) {
        ASSERT_EQ(index.Insert(Int32Key(value).data(), value), 0);
    }
    // Page 1 kept 10 and 20, page 2 took 30..50 and page 3 is the new root
    // whose separator is the left page's second key.
    const auto left = Page(index, 1), right = Page(index, 2), root = Page(index, 3);
    corelib::PageView leftView(const_cast<uint8_t*>(left.data()), 4);
    corelib::PageView rightView(const_cast<uint8_t*>(right.data()), 4);
    corelib::PageView rootView(const_cast<uint8_t*>(root.data()), 4);
    EXPECT_EQ(leftView.Count(), 2);
    EXPECT_EQ(rightView.Count(), 3);
    EXPECT_EQ(rightView.Number(0), 30);
    EXPECT_TRUE(rootView.IsInternal());
    EXPECT_EQ(rootView.Count(), 1);
    EXPECT_EQ(rootView.Number(0), 1);
    EXPECT_EQ(rootView.Number(1), 2);
    EXPECT_EQ(Int32Key(20), Key(rootView.Key(0), rootView.Key(0) + 4));
}

TEST_F(IndexRulesTest, RepeatedPairsAndEmptiedRootsChangeNothingElse) {
    ASSERT_EQ(IndexFile::Create(path_, layout_), 0);
    IndexFile index(layout_);
    ASSERT_EQ(index.Open(path_), 0);
    ASSERT_EQ(index.Insert(Int32Key(7).data(), 1), 0);
    const auto before = std::filesystem::file_size(path_);
    ASSERT_EQ(index.Insert(Int32Key(7).data(), 1), 0);
    EXPECT_EQ(Contents(index).size(), 1u);
    // The only entry of the root goes; the root stays, an empty leaf.
    ASSERT_EQ(index.Delete(Int32Key(7).data(), 1), 0);
    EXPECT_EQ(index.Delete(Int32Key(7).data(), 1), corelib::kDataNoSuchEntry);
    EXPECT_EQ(std::filesystem::file_size(path_), before);
    const auto root = Page(index, 1);
    EXPECT_EQ(root[0], 0);
    EXPECT_EQ(root[2] | root[3] << 8, 0);
    ExpectClean(path_);
}

TEST_F(IndexRulesTest, CacheWritesBackAndDropsItsThreeOldestPagesWhenFull) {
    // Three levels, so a descent caches exactly three pages.
    const IndexDescriptor layout = Layout(256, 20, 10, {3});
    ASSERT_EQ(IndexFile::Create(path_, layout), 0);
    IndexFile index(layout);
    ASSERT_EQ(index.Open(path_), 0);
    for (int32_t value = 0; value < 300; ++value)
        ASSERT_EQ(index.Insert(Int32Key(value).data(), value), 0);
    // Record 777 under key 10 (a leaf with room), as the leaf stores it.
    const Key entry = {0x09, 0x03, 0, 0, 10, 0, 0, 0};
    auto onDisk = [&] {
        std::ifstream in(path_, std::ios::binary);
        const Key bytes((std::istreambuf_iterator<char>(in)), {});
        return std::search(bytes.begin(), bytes.end(), entry.begin(), entry.end()) != bytes.end();
    };

    ASSERT_EQ(index.BeginAccess(), 0);
    // The descent caches the pages from the root down; the leaf that takes
    // the entry is among the three oldest and is dirty.
    ASSERT_EQ(index.Insert(Int32Key(10).data(), 777), 0);
    std::vector<int32_t> order = index.CachedPages();
    ASSERT_EQ(order.size(), 3u);
    std::vector<uint8_t> bytes;
    for (int32_t page = 1; order.size() < 18; ++page) {
        if (std::find(order.begin(), order.end(), page) != order.end())
            continue;
        ASSERT_EQ(index.ReadPageForCheck(page, bytes), 0);
        order.push_back(page);
    }
    ASSERT_EQ(index.CachedPages(), order);
    ASSERT_EQ(index.ReadPageForCheck(order[5], bytes), 0);  // a hit keeps the order
    EXPECT_FALSE(onDisk());

    int32_t fresh = 1;
    while (std::find(order.begin(), order.end(), fresh) != order.end())
        ++fresh;
    ASSERT_EQ(index.ReadPageForCheck(fresh, bytes), 0);
    std::vector<int32_t> expected(order.begin() + 3, order.end());
    expected.push_back(fresh);
    EXPECT_EQ(index.CachedPages(), expected);
    EXPECT_TRUE(onDisk());
    ASSERT_EQ(index.EndAccess(), 0);
    EXPECT_TRUE(index.CachedPages().empty());
}

// The cache holds pages it only reads where the file's view shows them.
// One access here grows the file to several times the view, so the view is
// mapped anew while the cache holds pages in the old one, and pages are
// changed after being held in the view: every read must still see the
// tree as written, during the access and after it.
TEST_F(IndexRulesTest, OneAccessGrowsTheFileFarPastItsView) {
    const IndexDescriptor layout = Layout(65536, 3, 1, {3});
    ASSERT_EQ(IndexFile::Create(path_, layout), 0);
    IndexFile index(layout);
    ASSERT_EQ(index.Open(path_), 0);
    std::vector<std::pair<Key, int32_t>> expected;
    auto expectSearches = [&](const char* when) {
        corelib::IndexPosition position;
        Key found(4);
        int32_t record = 0;
        for (const auto& [key, wanted] : expected) {
            ASSERT_EQ(index.Search(key.data(), position, found.data(), record), 0) << when;
            EXPECT_EQ(found, key) << when;
            EXPECT_EQ(record, wanted) << when;
        }
    };

    ASSERT_EQ(index.BeginAccess(), 0);
    for (int32_t value = 0; value < 120; ++value) {
        const int32_t spread = (value * 37) % 120;
        ASSERT_EQ(index.Insert(Int32Key(spread).data(), spread + 1000), 0);
    }
    for (int32_t value = 0; value < 120; value += 3)
        ASSERT_EQ(index.Delete(Int32Key(value).data(), value + 1000), 0);
    for (int32_t value = 0; value < 120; ++value) {
        if (value % 3 != 0)
            expected.emplace_back(Int32Key(value), value + 1000);
    }
    expectSearches("during the access");
    EXPECT_EQ(Contents(index), expected);
    ASSERT_EQ(index.EndAccess(), 0);
    EXPECT_GT(std::filesystem::file_size(path_), 4u << 20);
    expectSearches("after the access");
    ExpectClean(path_);
}

TEST_F(IndexRulesTest, RefusesFilesOfAnotherLayoutOrKind) {
    ASSERT_EQ(IndexFile::Create(path_, layout_), 0);
    IndexFile other(Layout(256, 5, 2, {3}));
    ASSERT_EQ(other.Open(path_), 0);
    EXPECT_EQ(other.Insert(Int32Key(1).data(), 1), corelib::kDataInvalidFile);

    const std::string garbage = dir_.File("garbage");
    FILE* file = std::fopen(garbage.c_str(), "wb");
    std::vector<char> zeros(512, 'x');
    std::fwrite(zeros.data(), 1, zeros.size(), file);
    std::fclose(file);
    IndexFile index(layout_);
    ASSERT_EQ(index.Open(garbage), 0);
    EXPECT_EQ(index.Insert(Int32Key(1).data(), 1), corelib::kDataInvalidFile);
    EXPECT_EQ(std::filesystem::file_size(garbage), 512u);
    EXPECT_EQ(index.Open(dir_.File("missing")), corelib::kDataFileNotFound);
}

TEST_F(IndexRulesTest, ConvertedTextKeysAreFoundAndCheckClean) {
    // In pinyin order \xC3\xB8 becomes \xD3\xB8, which converted again would
    // become \xEF\xF2: the stored key is converted once, and the checker
    // must not expect it to survive a second conversion.
    IndexDescriptor pinyin = Layout(256, 6, 3, {-8, 3});
    pinyin.conversionMode = corelib::kKeyConversionPinyin;
    pinyin.flags = corelib::kKeyFoldCase | corelib::kKeyDropSpaces;
    ASSERT_EQ(IndexFile::Create(path_, pinyin), 0);
    IndexFile index(pinyin);
    ASSERT_EQ(index.Open(path_), 0);
    const Key key = {'a', ' ', 0xC3, 0xB8, 'b', 0, 0, 0, 7, 0, 0, 0};
    ASSERT_EQ(index.Insert(key.data(), 1), 0);
    index.Close();
    ExpectClean(path_);
    ASSERT_EQ(index.Open(path_), 0);
    corelib::IndexPosition position;
    Key found(12);
    int32_t record = 0;
    ASSERT_EQ(index.Search(key.data(), position, found.data(), record), 0);
    EXPECT_EQ(found, Key({'A', 0xD3, 0xB8, 'B', 0, 0, 0, 0, 7, 0, 0, 0}));
    EXPECT_EQ(record, 1);
}

TEST_F(IndexRulesTest, SearchFindsTheFirstEntryAtOrAfterAKey) {
    ASSERT_EQ(IndexFile::Create(path_, layout_), 0);
    IndexFile index(layout_);
    ASSERT_EQ(index.Open(path_), 0);
    for (int32_t value = 0; value < 100; value += 10) {
        for (int32_t record = 3; record > 0; --record) {
            ASSERT_EQ(index.Insert(Int32Key(value).data(), record), 0);
        }
    }
    corelib::IndexPosition position;
    Key key(4);
    int32_t record = 0;
    ASSERT_EQ(index.Search(Int32Key(35).data(), position, key.data(), record), 0);
    EXPECT_EQ(key, Int32Key(40));
    EXPECT_EQ(record, 1);
    ASSERT_EQ(index.Next(position, key.data(), record), 0);
    EXPECT_EQ(record, 2);
    EXPECT_EQ(index.Search(Int32Key(91).data(), position, key.data(), record),
              corelib::kDataNotFound);
    ASSERT_EQ(index.Search(Int32Key(90).data(), position, key.data(), record), 0);
    ASSERT_EQ(index.Next(position, key.data(), record), 0);
    ASSERT_EQ(index.Next(position, key.data(), record), 0);
    EXPECT_EQ(index.Next(position, key.data(), record), corelib::kDataNotFound);
}

}  // namespace
