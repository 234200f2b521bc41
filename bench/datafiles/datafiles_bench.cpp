// Index and blob file throughput beside SQLite doing the same work on an
// indexed table. Every round runs each job once on our files and once on
// SQLite's, the order swapping from round to round, so that both sides meet
// the same machine; each row prints the medians of its rounds, the ratio of
// the medians and the spread of the rounds' own ratios (a noisy machine
// shows there first).
//
//   picbatch_datafiles_bench [--rounds N] [--only ours|sqlite] [DIRECTORY]
//
// --only runs one side alone (for a profiler); it prints no ratios.
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "corelib/datafiles/blob_file.h"
#include "corelib/datafiles/index_file.h"

namespace {

constexpr int kKeys = 100000;
constexpr int kSingleAccessKeys = 10000;
constexpr int kBlobs = 2000;
constexpr int kBlobSize = 10000;
// Reading is fast enough that one pass over the values takes a few
// milliseconds: the timer then measures the machine's noise. Twenty passes
// take a few tenths of a second, long enough that a moment when another
// program has the core does not decide a round.
constexpr int kBlobReadPasses = 20;

using Keys = std::vector<std::vector<uint8_t>>;

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "benchmark step failed: %s\n", what);
        std::exit(1);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// ---- Our files ----

struct Rates {
    double first = 0;   // inserts or writes per second (MB/s for blobs)
    double second = 0;  // searches or reads
};

Rates OurIndex(const std::string& dir, const Keys& keys, const corelib::IndexDescriptor& layout) {
    const std::string path = dir + "/bench.idx";
    Check(corelib::IndexFile::Create(path, layout) == 0, "index create");
    corelib::IndexFile index(layout);
    Check(index.Open(path) == 0, "index open");
    std::vector<uint8_t> found(layout.keySize);
    int32_t record = 0;
    const double inserts = Seconds([&] {
        Check(index.BeginAccess() == 0, "begin");
        for (int k = 0; k < kKeys; ++k)
            Check(index.Insert(keys[k].data(), k) == 0, "insert");
        Check(index.EndAccess() == 0, "end");
    });
    const double searches = Seconds([&] {
        Check(index.BeginAccess() == 0, "begin");
        corelib::IndexPosition position;
        for (int k = 0; k < kKeys; ++k) {
            Check(
                index.Search(keys[(k * 7919) % kKeys].data(), position, found.data(), record) == 0,
                "search");
        }
        Check(index.EndAccess() == 0, "end");
    });
    return {kKeys / inserts, kKeys / searches};
}

// Inserts that each take and release the file (lock, header, write back),
// as the record commands do when they save one record.
Rates OurSingleAccessInserts(const std::string& dir, const Keys& keys,
                             const corelib::IndexDescriptor& layout) {
    const std::string path = dir + "/single.idx";
    Check(corelib::IndexFile::Create(path, layout) == 0, "index create");
    corelib::IndexFile index(layout);
    Check(index.Open(path) == 0, "index open");
    const double seconds = Seconds([&] {
        for (int k = 0; k < kSingleAccessKeys; ++k)
            Check(index.Insert(keys[k].data(), k) == 0, "insert");
    });
    return {kSingleAccessKeys / seconds, 0};
}

Rates OurBlobs(const std::string& dir, const std::vector<uint8_t>& value) {
    const std::string path = dir + "/bench.blob";
    Check(corelib::BlobFile::Create(path) == 0, "blob create");
    corelib::BlobFile blob;
    Check(blob.Open(path) == 0, "blob open");
    std::vector<int32_t> firsts(kBlobs);
    const double writes = Seconds([&] {
        for (int k = 0; k < kBlobs; ++k)
            Check(blob.WriteBlob(value.data(), kBlobSize, 0, firsts[k]) == 0, "write blob");
    });
    std::vector<uint8_t> back;
    const double reads = Seconds([&] {
        for (int pass = 0; pass < kBlobReadPasses; ++pass) {
            for (int k = 0; k < kBlobs; ++k)
                Check(blob.ReadBlob(firsts[k], back) == 0, "read blob");
        }
    });
    Check(back == value, "blob read back");
    const double megabytes = double{kBlobs} * kBlobSize / 1e6;
    return {megabytes / writes, kBlobReadPasses * megabytes / reads};
}

// ---- SQLite doing the same ----

sqlite3* OpenSqlite(const std::string& path) {
    std::filesystem::remove(path);
    std::filesystem::remove(path + "-wal");
    std::filesystem::remove(path + "-shm");
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db) == SQLITE_OK, "sqlite open");
    return db;
}

void Exec(sqlite3* db, const char* sql) {
    Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK, sql);
}

sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    Check(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK, sql);
    return statement;
}

void BindKey(sqlite3_stmt* statement, const std::vector<uint8_t>& key, bool textKeys) {
    if (textKeys) {
        sqlite3_bind_blob(statement, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    } else {
        int32_t value;
        std::memcpy(&value, key.data(), 4);
        sqlite3_bind_int(statement, 1, value);
    }
}

Rates SqliteIndex(const std::string& dir, const Keys& keys, bool textKeys) {
    sqlite3* db = OpenSqlite(dir + "/bench.sqlite");
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db,
         textKeys ? "CREATE TABLE t(k BLOB, r INTEGER)" : "CREATE TABLE t(k INTEGER, r INTEGER)");
    Exec(db, "CREATE INDEX tk ON t(k, r)");
    sqlite3_stmt* insert = Prepare(db, "INSERT INTO t VALUES(?, ?)");
    const double inserts = Seconds([&] {
        Exec(db, "BEGIN");
        for (int k = 0; k < kKeys; ++k) {
            BindKey(insert, keys[k], textKeys);
            sqlite3_bind_int(insert, 2, k);
            Check(sqlite3_step(insert) == SQLITE_DONE, "sqlite insert");
            sqlite3_reset(insert);
        }
        Exec(db, "COMMIT");
    });
    sqlite3_stmt* search = Prepare(db, "SELECT k, r FROM t WHERE k >= ? ORDER BY k, r LIMIT 1");
    const double searches = Seconds([&] {
        Exec(db, "BEGIN");
        for (int k = 0; k < kKeys; ++k) {
            BindKey(search, keys[(k * 7919) % kKeys], textKeys);
            Check(sqlite3_step(search) == SQLITE_ROW, "sqlite search");
            sqlite3_reset(search);
        }
        Exec(db, "COMMIT");
    });
    sqlite3_finalize(insert);
    sqlite3_finalize(search);
    sqlite3_close(db);
    return {kKeys / inserts, kKeys / searches};
}

// Each insert committed on its own.
Rates SqliteSingleAccessInserts(const std::string& dir, const Keys& keys) {
    sqlite3* db = OpenSqlite(dir + "/single.sqlite");
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "PRAGMA synchronous=NORMAL");
    Exec(db, "CREATE TABLE t(k INTEGER, r INTEGER)");
    Exec(db, "CREATE INDEX tk ON t(k, r)");
    sqlite3_stmt* insert = Prepare(db, "INSERT INTO t VALUES(?, ?)");
    const double seconds = Seconds([&] {
        for (int k = 0; k < kSingleAccessKeys; ++k) {
            BindKey(insert, keys[k], false);
            sqlite3_bind_int(insert, 2, k);
            Check(sqlite3_step(insert) == SQLITE_DONE, "sqlite insert");
            sqlite3_reset(insert);
        }
    });
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return {kSingleAccessKeys / seconds, 0};
}

Rates SqliteBlobs(const std::string& dir, const std::vector<uint8_t>& value) {
    sqlite3* db = OpenSqlite(dir + "/blobs.sqlite");
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "CREATE TABLE b(id INTEGER PRIMARY KEY, v BLOB)");
    sqlite3_stmt* insert = Prepare(db, "INSERT INTO b(v) VALUES(?)");
    const double writes = Seconds([&] {
        Exec(db, "BEGIN");
        for (int k = 0; k < kBlobs; ++k) {
            sqlite3_bind_blob(insert, 1, value.data(), kBlobSize, SQLITE_STATIC);
            Check(sqlite3_step(insert) == SQLITE_DONE, "sqlite blob insert");
            sqlite3_reset(insert);
        }
        Exec(db, "COMMIT");
    });
    sqlite3_stmt* select = Prepare(db, "SELECT v FROM b WHERE id = ?");
    std::vector<uint8_t> back;
    const double reads = Seconds([&] {
        Exec(db, "BEGIN");
        for (int pass = 0; pass < kBlobReadPasses; ++pass) {
            for (int k = 0; k < kBlobs; ++k) {
                sqlite3_bind_int(select, 1, k + 1);
                Check(sqlite3_step(select) == SQLITE_ROW, "sqlite blob select");
                const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(select, 0));
                back.assign(bytes, bytes + sqlite3_column_bytes(select, 0));
                sqlite3_reset(select);
            }
        }
        Exec(db, "COMMIT");
    });
    Check(back == value, "sqlite blob read back");
    sqlite3_finalize(insert);
    sqlite3_finalize(select);
    sqlite3_close(db);
    const double megabytes = double{kBlobs} * kBlobSize / 1e6;
    return {megabytes / writes, kBlobReadPasses * megabytes / reads};
}

// ---- Rounds and the table ----

struct Row {
    const char* name;
    std::vector<double> ours, sqlite;
};

// One job run on both sides; each side answers up to two rows' figures.
struct Job {
    std::function<Rates()> ours, sqlite;
    Row* first;
    Row* second;  // may be null
};

void Record(Row* row, double value, bool oursSide) {
    if (row != nullptr)
        (oursSide ? row->ours : row->sqlite).push_back(value);
}

void PrintRow(const Row& row, bool both) {
    if (!both) {
        const double value = Median(row.ours.empty() ? row.sqlite : row.ours);
        std::printf("%-38s %12.0f\n", row.name, value);
        return;
    }
    std::vector<double> ratios;
    for (size_t i = 0; i < row.ours.size(); ++i)
        ratios.push_back(row.ours[i] / row.sqlite[i]);
    const double ours = Median(row.ours), sqlite = Median(row.sqlite);
    std::printf("%-38s %12.0f %12.0f %7.2fx  (rounds %.2f-%.2f)\n", row.name, ours, sqlite,
                ours / sqlite, *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 7;
    std::string only;
    std::string base = std::filesystem::temp_directory_path().string();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (!arg.empty() && arg[0] != '-') {
            base = arg;
        } else {
            std::fprintf(stderr,
                         "usage: picbatch_datafiles_bench [--rounds N] [--only ours|sqlite] "
                         "[DIRECTORY]\n");
            return 2;
        }
    }
    const bool runOurs = only.empty() || only == "ours";
    const bool runSqlite = only.empty() || only == "sqlite";
    const std::string dir = base + "/picbatch-datafiles-bench-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);

    std::mt19937 rng(11);
    Keys intKeys(kKeys, std::vector<uint8_t>(4));
    Keys textKeys(kKeys, std::vector<uint8_t>(16, 0));
    for (int k = 0; k < kKeys; ++k) {
        const int32_t value = static_cast<int32_t>(rng());
        std::memcpy(intKeys[k].data(), &value, 4);
        const size_t length = 6 + rng() % 10;
        for (size_t c = 0; c < length; ++c)
            textKeys[k][c] = static_cast<uint8_t>('a' + rng() % 26);
    }
    std::vector<uint8_t> blobValue(kBlobSize);
    for (auto& b : blobValue)
        b = static_cast<uint8_t>(rng());
    const corelib::IndexDescriptor intLayout{0, 0, 4096, 4, 500, 250, {corelib::kKeyInt32}};
    const corelib::IndexDescriptor textLayout{0, 0, 4096, 16, 200, 100, {-16}};

    std::vector<Row> rows = {
        {"index inserts/s, 100k int32 keys", {}, {}},
        {"index searches/s, 100k int32 keys", {}, {}},
        {"index inserts/s, 100k text keys", {}, {}},
        {"index searches/s, 100k text keys", {}, {}},
        {"index inserts/s, 10k int32, one each", {}, {}},
        {"blob writes, MB/s (10 kB values)", {}, {}},
        {"blob reads, MB/s (10 kB values)", {}, {}},
    };
    std::vector<Job> jobs = {
        {[&] { return OurIndex(dir, intKeys, intLayout); },
         [&] { return SqliteIndex(dir, intKeys, false); }, &rows[0], &rows[1]},
        {[&] { return OurIndex(dir, textKeys, textLayout); },
         [&] { return SqliteIndex(dir, textKeys, true); }, &rows[2], &rows[3]},
        {[&] { return OurSingleAccessInserts(dir, intKeys, intLayout); },
         [&] { return SqliteSingleAccessInserts(dir, intKeys); }, &rows[4], nullptr},
        {[&] { return OurBlobs(dir, blobValue); }, [&] { return SqliteBlobs(dir, blobValue); },
         &rows[5], &rows[6]},
    };
    for (int round = 0; round < rounds; ++round) {
        for (const Job& job : jobs) {
            // Alternate which side goes first, so neither always meets the
            // other's leftovers (a warm or a dirty page cache).
            for (int turn = 0; turn < 2; ++turn) {
                const bool oursTurn = (turn == 0) == (round % 2 == 0);
                if (oursTurn ? !runOurs : !runSqlite)
                    continue;
                const Rates rates = oursTurn ? job.ours() : job.sqlite();
                Record(job.first, rates.first, oursTurn);
                Record(job.second, rates.second, oursTurn);
            }
        }
    }

    const bool both = runOurs && runSqlite;
    std::printf(
        "medians of %d alternating rounds; ratio = ours / sqlite3 (above 1: we are faster)\n",
        rounds);
    if (both) {
        std::printf("%-38s %12s %12s %8s\n", "per second (one access / one transaction)", "ours",
                    "sqlite3", "ratio");
    }
    for (const Row& row : rows)
        PrintRow(row, both);
    std::filesystem::remove_all(dir);
    return 0;
}
