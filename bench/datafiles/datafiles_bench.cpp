// Index and blob file throughput beside SQLite doing the same work on an
// indexed table, measured in one run so that the ratios compare like with
// like on this machine.
//   picbatch_datafiles_bench [DIRECTORY]
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
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
constexpr int kBlobs = 2000;
constexpr int kBlobSize = 10000;

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

sqlite3* OpenSqlite(const std::string& path) {
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db) == SQLITE_OK, "sqlite open");
    return db;
}

void Exec(sqlite3* db, const char* sql) {
    Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK, sql);
}

struct Figures {
    double ours;
    double sqlite;
};

void Report(const char* what, const char* unit, Figures f) {
    std::printf("%-34s %12.0f %12.0f %8.2fx\n", what, f.ours, f.sqlite, f.ours / f.sqlite);
    (void)unit;
}

// Keys as the index stores them: K bytes each.
// Answers the insert figures and the search figures.
std::pair<Figures, Figures> IndexRun(const std::string& dir,
                                     const std::vector<std::vector<uint8_t>>& keys,
                                     corelib::IndexDescriptor layout, bool textKeys) {
    const std::string indexPath = dir + "/bench.idx";
    Check(corelib::IndexFile::Create(indexPath, layout) == 0, "index create");
    corelib::IndexFile index(layout);
    Check(index.Open(indexPath) == 0, "index open");
    std::vector<uint8_t> found(layout.keySize);
    int32_t record = 0;
    const double ourInserts = Seconds([&] {
        Check(index.BeginAccess() == 0, "begin");
        for (int k = 0; k < kKeys; ++k)
            Check(index.Insert(keys[k].data(), k) == 0, "insert");
        Check(index.EndAccess() == 0, "end");
    });
    const double ourSearches = Seconds([&] {
        Check(index.BeginAccess() == 0, "begin");
        corelib::IndexPosition position;
        for (int k = 0; k < kKeys; ++k) {
            Check(
                index.Search(keys[(k * 7919) % kKeys].data(), position, found.data(), record) == 0,
                "search");
        }
        Check(index.EndAccess() == 0, "end");
    });

    sqlite3* db = OpenSqlite(dir + "/bench.sqlite");
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db,
         textKeys ? "CREATE TABLE t(k BLOB, r INTEGER)" : "CREATE TABLE t(k INTEGER, r INTEGER)");
    Exec(db, "CREATE INDEX tk ON t(k, r)");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?, ?)", -1, &insert, nullptr);
    auto bindKey = [&](sqlite3_stmt* statement, const std::vector<uint8_t>& key) {
        if (textKeys) {
            sqlite3_bind_blob(statement, 1, key.data(), static_cast<int>(key.size()),
                              SQLITE_STATIC);
        } else {
            int32_t value;
            std::memcpy(&value, key.data(), 4);
            sqlite3_bind_int(statement, 1, value);
        }
    };
    const double sqlInserts = Seconds([&] {
        Exec(db, "BEGIN");
        for (int k = 0; k < kKeys; ++k) {
            bindKey(insert, keys[k]);
            sqlite3_bind_int(insert, 2, k);
            Check(sqlite3_step(insert) == SQLITE_DONE, "sqlite insert");
            sqlite3_reset(insert);
        }
        Exec(db, "COMMIT");
    });
    sqlite3_stmt* search = nullptr;
    sqlite3_prepare_v2(db, "SELECT k, r FROM t WHERE k >= ? ORDER BY k, r LIMIT 1", -1, &search,
                       nullptr);
    const double sqlSearches = Seconds([&] {
        Exec(db, "BEGIN");
        for (int k = 0; k < kKeys; ++k) {
            bindKey(search, keys[(k * 7919) % kKeys]);
            Check(sqlite3_step(search) == SQLITE_ROW, "sqlite search");
            sqlite3_reset(search);
        }
        Exec(db, "COMMIT");
    });
    sqlite3_finalize(insert);
    sqlite3_finalize(search);
    sqlite3_close(db);
    return {{kKeys / ourInserts, kKeys / sqlInserts}, {kKeys / ourSearches, kKeys / sqlSearches}};
}

// Inserts that each take and release the file (lock, header, write back),
// as the record commands do when they save one record, beside SQLite
// committing each insert on its own.
Figures SingleAccessInserts(const std::string& dir, const std::vector<std::vector<uint8_t>>& keys,
                            corelib::IndexDescriptor layout) {
    constexpr int kCount = 10000;
    const std::string indexPath = dir + "/single.idx";
    Check(corelib::IndexFile::Create(indexPath, layout) == 0, "index create");
    corelib::IndexFile index(layout);
    Check(index.Open(indexPath) == 0, "index open");
    const double ours = Seconds([&] {
        for (int k = 0; k < kCount; ++k)
            Check(index.Insert(keys[k].data(), k) == 0, "insert");
    });
    sqlite3* db = OpenSqlite(dir + "/single.sqlite");
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "PRAGMA synchronous=NORMAL");
    Exec(db, "CREATE TABLE t(k INTEGER, r INTEGER)");
    Exec(db, "CREATE INDEX tk ON t(k, r)");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?, ?)", -1, &insert, nullptr);
    const double sql = Seconds([&] {
        for (int k = 0; k < kCount; ++k) {
            int32_t value;
            std::memcpy(&value, keys[k].data(), 4);
            sqlite3_bind_int(insert, 1, value);
            sqlite3_bind_int(insert, 2, k);
            Check(sqlite3_step(insert) == SQLITE_DONE, "sqlite insert");
            sqlite3_reset(insert);
        }
    });
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return {kCount / ours, kCount / sql};
}

Figures BlobRun(const std::string& dir, bool reading) {
    std::mt19937 rng(3);
    std::vector<uint8_t> value(kBlobSize);
    for (auto& b : value)
        b = static_cast<uint8_t>(rng());
    const double megabytes = double{kBlobs} * kBlobSize / 1e6;

    const std::string blobPath = dir + "/bench.blob";
    Check(corelib::BlobFile::Create(blobPath) == 0, "blob create");
    corelib::BlobFile blob;
    Check(blob.Open(blobPath) == 0, "blob open");
    std::vector<int32_t> firsts(kBlobs);
    const double ourWrite = Seconds([&] {
        for (int k = 0; k < kBlobs; ++k) {
            Check(blob.WriteBlob(value.data(), kBlobSize, 0, firsts[k]) == 0, "write blob");
        }
    });
    std::vector<uint8_t> back;
    const double ourRead = Seconds([&] {
        for (int k = 0; k < kBlobs; ++k)
            Check(blob.ReadBlob(firsts[k], back) == 0, "read blob");
    });

    sqlite3* db = OpenSqlite(dir + "/blobs.sqlite");
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "CREATE TABLE b(id INTEGER PRIMARY KEY, v BLOB)");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO b(v) VALUES(?)", -1, &insert, nullptr);
    const double sqlWrite = Seconds([&] {
        Exec(db, "BEGIN");
        for (int k = 0; k < kBlobs; ++k) {
            sqlite3_bind_blob(insert, 1, value.data(), kBlobSize, SQLITE_STATIC);
            Check(sqlite3_step(insert) == SQLITE_DONE, "sqlite blob insert");
            sqlite3_reset(insert);
        }
        Exec(db, "COMMIT");
    });
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT v FROM b WHERE id = ?", -1, &select, nullptr);
    const double sqlRead = Seconds([&] {
        Exec(db, "BEGIN");
        for (int k = 0; k < kBlobs; ++k) {
            sqlite3_bind_int(select, 1, k + 1);
            Check(sqlite3_step(select) == SQLITE_ROW, "sqlite blob select");
            const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(select, 0));
            back.assign(bytes, bytes + sqlite3_column_bytes(select, 0));
            sqlite3_reset(select);
        }
        Exec(db, "COMMIT");
    });
    sqlite3_finalize(insert);
    sqlite3_finalize(select);
    sqlite3_close(db);
    if (reading)
        return {megabytes / ourRead, megabytes / sqlRead};
    return {megabytes / ourWrite, megabytes / sqlWrite};
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    dir += "/picbatch-datafiles-bench-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);

    std::mt19937 rng(11);
    std::vector<std::vector<uint8_t>> intKeys(kKeys, std::vector<uint8_t>(4));
    std::vector<std::vector<uint8_t>> textKeys(kKeys, std::vector<uint8_t>(16, 0));
    for (int k = 0; k < kKeys; ++k) {
        const int32_t value = static_cast<int32_t>(rng());
        std::memcpy(intKeys[k].data(), &value, 4);
        const size_t length = 6 + rng() % 10;
        for (size_t c = 0; c < length; ++c)
            textKeys[k][c] = static_cast<uint8_t>('a' + rng() % 26);
    }
    corelib::IndexDescriptor intLayout{0, 0, 4096, 4, 500, 250, {corelib::kKeyInt32}};
    corelib::IndexDescriptor textLayout{0, 0, 4096, 16, 200, 100, {-16}};

    std::printf("%-34s %12s %12s %9s\n", "per second (one access / one transaction)", "ours",
                "sqlite3", "ratio");
    const auto [intInserts, intSearches] = IndexRun(dir, intKeys, intLayout, false);
    Report("index inserts, 100k int32 keys", "ops", intInserts);
    Report("index searches, 100k int32 keys", "ops", intSearches);
    const auto [textInserts, textSearches] = IndexRun(dir, textKeys, textLayout, true);
    Report("index inserts, 100k text keys", "ops", textInserts);
    Report("index searches, 100k text keys", "ops", textSearches);
    Report("index inserts, 10k int32, one each", "ops",
           SingleAccessInserts(dir, intKeys, intLayout));
    Report("blob writes, MB/s (10 kB values)", "MB/s", BlobRun(dir, false));
    Report("blob reads, MB/s (10 kB values)", "MB/s", BlobRun(dir, true));
    std::filesystem::remove_all(dir);
    return 0;
}
