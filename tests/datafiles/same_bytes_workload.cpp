#include "tests/datafiles/same_bytes_workload.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "corelib/datafiles/blob_file.h"
#include "corelib/datafiles/index_file.h"

namespace datafiles_test {

namespace {

using Key = std::vector<uint8_t>;
using corelib::IndexDescriptor;

IndexDescriptor Layout(int32_t conversion, int32_t flags, int32_t pageSize, int32_t M, int32_t S,
                       std::vector<int32_t> parts) {
    IndexDescriptor d;
    d.conversionMode = conversion;
    d.flags = flags;
    d.pageSize = pageSize;
    d.maxEntries = M;
    d.splitPosition = S;
    d.partTypes = std::move(parts);
    for (const int32_t type : d.partTypes)
        d.keySize += corelib::KeyPartSize(type);
    return d;
}

template <typename T>
void Put(Key& key, size_t at, T value) {
    std::memcpy(key.data() + at, &value, sizeof(T));
}

// A text part: letters of both cases, digits, spaces, double-byte
// characters the conversion tables map and full-width spaces.
void PutText(Key& key, size_t at, size_t size, std::mt19937& rng) {
    const size_t length = rng() % (size + 1);
    for (size_t i = 0; i < length && i < size; ++i) {
        const unsigned kind = rng() % 10;
        if (kind >= 8 && i + 1 < size) {
            if (kind == 8) {
                key[at + i] = static_cast<uint8_t>(0xB0 + rng() % 0x48);
                key[at + i + 1] = static_cast<uint8_t>(0xA1 + rng() % 0x5E);
            } else {
                key[at + i] = key[at + i + 1] = 0xA1;
            }
            ++i;
        } else if (kind == 7) {
            key[at + i] = ' ';
        } else {
            static const char kLetters[] = "abcABCxyzXYZ0129";
            key[at + i] = static_cast<uint8_t>(kLetters[rng() % 16]);
        }
    }
}

struct IndexJob {
    const char* file;
    IndexDescriptor layout;
    std::function<Key(std::mt19937&)> makeKey;
    int rounds;
    int opsPerRound;
};

std::vector<IndexJob> IndexJobs() {
    return {
        {"int32_small_pages.idx", Layout(0, 0, 256, 6, 3, {corelib::kKeyInt32}),
         [](std::mt19937& rng) {
             Key key(4);
             Put(key, 0, static_cast<int32_t>(rng() % 3000) - 1500);
             return key;
         },
         10, 400},
        {"text_parts.idx",
         Layout(corelib::kKeyConversionPinyin, corelib::kKeyFoldCase | corelib::kKeyDropSpaces, 512,
                8, 4, {-10, corelib::kKeyInt16, corelib::kKeyDouble}),
         [](std::mt19937& rng) {
             Key key(20, 0);
             PutText(key, 0, 10, rng);
             Put(key, 10, static_cast<int16_t>(static_cast<int>(rng() % 7) - 3));
             Put(key, 12, (static_cast<double>(rng() % 9) - 4) / 4);
             return key;
         },
         8, 300},
        {"numeric_parts.idx",
         Layout(corelib::kKeyConversionStrokes, 0, 512, 5, 2,
                {corelib::kKeyUnsignedByte, corelib::kKeyInt64, corelib::kKeyFloat,
                 corelib::kKeyLogical, corelib::kKeyDateTime, corelib::kKeyUnsigned32}),
         [](std::mt19937& rng) {
             Key key(29, 0);
             key[0] = static_cast<uint8_t>(rng() % 3 == 0 ? 200 + rng() % 3 : rng() % 3);
             Put(key, 1, static_cast<int64_t>(rng() % 5) - 2 - (rng() % 2 ? int64_t{1} << 40 : 0));
             Put(key, 9, static_cast<float>(static_cast<int>(rng() % 5) - 2) / 3);
             Put(key, 13, static_cast<uint32_t>(rng() % 3 == 0 ? 0 : rng()));
             Put(key, 17, 45000.0 + static_cast<double>(rng() % 4) / 8);
             Put(key, 25,
                 static_cast<uint32_t>(rng() % 4 == 0 ? 0xFFFFFFF0u + rng() % 4 : rng() % 4));
             return key;
         },
         8, 300},
        {"int32_many_pages.idx", Layout(0, 0, 512, 60, 30, {corelib::kKeyInt32}),
         [](std::mt19937& rng) {
             Key key(4);
             Put(key, 0, static_cast<int32_t>(rng()));
             return key;
         },
         6, 1500},
    };
}

std::string Checkpoint(const std::string& dir, const std::string& file, int operations) {
    std::ifstream in(dir + "/" + file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    uint64_t digest = 0xcbf29ce484222325u;
    for (const char c : bytes) {
        digest ^= static_cast<uint8_t>(c);
        digest *= 0x100000001b3u;
    }
    char line[160];
    std::snprintf(line, sizeof(line), "%s %d %zu %016" PRIx64, file.c_str(), operations,
                  bytes.size(), digest);
    return line;
}

std::string Failed(const char* file, int operation, const char* what, int code) {
    char text[160];
    std::snprintf(text, sizeof(text), "%s: operation %d: %s answered %d", file, operation, what,
                  code);
    return text;
}

// Rounds alternate between growing and shrinking, and between one access
// per operation (the header written each time), one access for the whole
// round (pages leaving the full cache mid-access) and accesses of 37.
std::string RunIndexJob(const std::string& dir, const IndexJob& job, uint32_t seed,
                        std::vector<std::string>& checkpoints) {
    const std::string path = dir + "/" + job.file;
    int error = corelib::IndexFile::Create(path, job.layout);
    if (error != 0)
        return Failed(job.file, 0, "Create", error);
    corelib::IndexFile index(job.layout);
    if ((error = index.Open(path)) != 0)
        return Failed(job.file, 0, "Open", error);
    std::mt19937 rng(seed);
    std::vector<std::pair<Key, int32_t>> present;
    int32_t nextRecord = 1;
    int operation = 0;
    auto takeEntry = [&]() {
        const size_t at = rng() % present.size();
        std::swap(present[at], present.back());
        auto entry = present.back();
        present.pop_back();
        return entry;
    };
    for (int round = 0; round <= job.rounds; ++round) {
        // The last round empties the index down to a few entries, so the
        // file gives its last pages back.
        const bool draining = round == job.rounds;
        const bool growing = !draining && round % 4 < 2;
        const int pattern = round % 3;
        int inAccess = 0;
        const int ops = draining ? static_cast<int>(present.size()) - 5 : job.opsPerRound;
        for (int step = 0; step < ops; ++step, ++operation) {
            if (pattern != 0 && inAccess == 0 && (error = index.BeginAccess()) != 0)
                return Failed(job.file, operation, "BeginAccess", error);
            const unsigned dice = rng() % 100;
            if (draining) {
                const auto entry = takeEntry();
                if ((error = index.Delete(entry.first.data(), entry.second)) != 0)
                    return Failed(job.file, operation, "Delete", error);
            } else if (present.empty() || dice < (growing ? 65u : 25u)) {
                const Key key = job.makeKey(rng);
                // Now and then a second entry with an existing record number
                // and key: a duplicate pair, which changes nothing.
                const bool again = !present.empty() && dice % 11 == 0;
                const auto entry =
                    again ? present[rng() % present.size()] : std::make_pair(key, nextRecord++);
                if ((error = index.Insert(entry.first.data(), entry.second)) != 0)
                    return Failed(job.file, operation, "Insert", error);
                if (!again)
                    present.push_back(entry);
            } else if (dice < 85) {
                const auto entry = takeEntry();
                if ((error = index.Delete(entry.first.data(), entry.second)) != 0)
                    return Failed(job.file, operation, "Delete", error);
            } else if (dice < 90) {
                const Key key = job.makeKey(rng);
                if ((error = index.Delete(key.data(), -7)) != corelib::kDataNoSuchEntry)
                    return Failed(job.file, operation, "Delete of no entry", error);
            } else {
                auto entry = takeEntry();
                const Key key = job.makeKey(rng);
                if ((error = index.Update(entry.first.data(), key.data(), entry.second)) != 0)
                    return Failed(job.file, operation, "Update", error);
                present.emplace_back(key, entry.second);
            }
            ++inAccess;
            const bool endAccess =
                pattern == 1 ? step + 1 == ops : inAccess == 37 || step + 1 == ops;
            if (pattern != 0 && endAccess) {
                if ((error = index.EndAccess()) != 0)
                    return Failed(job.file, operation, "EndAccess", error);
                inAccess = 0;
            }
        }
        checkpoints.push_back(Checkpoint(dir, job.file, operation));
    }
    return "";
}

// Values come and go in 100 slots: new values (a few of them long), rewrites
// that grow, keep or shrink their chains, values of no bytes and values given
// as zeros; at the end all but ten are emptied.
std::string RunBlobJob(const std::string& dir, std::vector<std::string>& checkpoints) {
    const char* file = "values.blob";
    const std::string path = dir + "/" + file;
    int error = corelib::BlobFile::Create(path);
    if (error != 0)
        return Failed(file, 0, "Create", error);
    corelib::BlobFile blob;
    if ((error = blob.Open(path)) != 0)
        return Failed(file, 0, "Open", error);
    std::mt19937 rng(77);
    std::vector<int32_t> first(100, 0);
    std::vector<std::vector<uint8_t>> values(100);
    std::vector<uint8_t> back;
    constexpr int kOperations = 2400;
    for (int operation = 0; operation < kOperations; ++operation) {
        const size_t slot = rng() % first.size();
        const unsigned dice = rng() % 100;
        // Long values early, short ones late, so the file grows, then frees
        // its tail and shrinks.
        const bool late = operation > kOperations * 2 / 3;
        size_t length = dice < 10 ? 0 : rng() % (late ? 600 : 2500);
        if (dice >= 10 && dice < 16)
            length = 500 * (1 + rng() % 4) + rng() % 2;
        // Now and then a value of a hundred blocks and more.
        if (!late && operation % 400 == 7)
            length = 30000 + rng() % 40001;
        const bool zeros = dice % 17 == 0;
        std::vector<uint8_t> value(length, 0);
        // A pattern that differs from value to value and from byte to byte
        // shows any payload out of place, yet keeps the file compressible.
        if (!zeros) {
            const uint32_t start = rng();
            for (size_t i = 0; i < length; ++i)
                value[i] = static_cast<uint8_t>(start + i * (start % 7 + 1) + i / 251);
        }
        int32_t out = 0;
        error = blob.WriteBlob(zeros ? nullptr : value.data(), static_cast<int32_t>(length),
                               first[slot], out);
        if (error != 0)
            return Failed(file, operation, "WriteBlob", error);
        first[slot] = out;
        values[slot] = std::move(value);
        if (operation % 97 == 0) {
            for (size_t s = 0; s < first.size(); ++s) {
                if ((error = blob.ReadBlob(first[s], back)) != 0)
                    return Failed(file, operation, "ReadBlob", error);
                if (back != values[s])
                    return Failed(file, operation, "ReadBlob (other bytes)", -1);
            }
        }
        if ((operation + 1) % 200 == 0)
            checkpoints.push_back(Checkpoint(dir, file, operation + 1));
    }
    for (size_t slot = 10; slot < first.size(); ++slot) {
        int32_t out = 0;
        if ((error = blob.WriteBlob(nullptr, 0, first[slot], out)) != 0 || out != 0)
            return Failed(file, kOperations, "WriteBlob of no bytes", error);
    }
    checkpoints.push_back(Checkpoint(dir, file, kOperations + 90));
    return "";
}

}  // namespace

std::vector<std::string> SameBytesFileNames() {
    std::vector<std::string> names;
    for (const IndexJob& job : IndexJobs())
        names.push_back(job.file);
    names.push_back("values.blob");
    return names;
}

SameBytesRun RunSameBytesWorkload(const std::string& dir) {
    SameBytesRun run;
    uint32_t seed = 2024;
    for (const IndexJob& job : IndexJobs()) {
        run.error = RunIndexJob(dir, job, seed++, run.checkpoints);
        if (!run.error.empty())
            return run;
    }
    run.error = RunBlobJob(dir, run.checkpoints);
    return run;
}

}  // namespace datafiles_test
