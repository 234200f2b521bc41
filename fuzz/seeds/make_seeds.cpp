// fuzz_seeds DIR: writes seed inputs under DIR/<target>/ (the target's name
// without "fuzz_") for the data-file,
// runtime-table and text-service fuzz targets, made with the code they fuzz
// so that every seed is a sound input to start from.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "corelib/buffer/archive.h"
#include "corelib/datafiles/blob_file.h"
#include "corelib/datafiles/index_file.h"
#include "runtime/key_map.h"
#include "runtime/section_table.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) {
    Write(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void IndexSeeds(const fs::path& dir) {
    const corelib::IndexDescriptor layouts[] = {
        {0, 0, 224, 4, 4, 2, {corelib::kKeyInt32}},
        {1, 3, 256, 12, 6, 3, {-8, corelib::kKeyInt32}},
        {0, 0, 512, 10, 20, 10, {corelib::kKeyInt16, corelib::kKeyDouble}},
    };
    int n = 0;
    for (const corelib::IndexDescriptor& layout : layouts) {
        for (int entries : {0, 3, 60}) {
            const fs::path path = dir / ("seed-" + std::to_string(n++) + ".idx");
            fs::create_directories(dir);
            corelib::IndexFile::Create(path.string(), layout);
            corelib::IndexFile index(layout);
            index.Open(path.string());
            std::vector<uint8_t> key(size_t(layout.keySize));
            for (int e = 0; e < entries; ++e) {
                for (size_t k = 0; k < key.size(); ++k)
                    key[k] = uint8_t(e * 37 + k * 11);
                index.Insert(key.data(), e);
            }
            for (int e = 0; e < entries; e += 4) {
                for (size_t k = 0; k < key.size(); ++k)
                    key[k] = uint8_t(e * 37 + k * 11);
                index.Delete(key.data(), e);
            }
        }
    }
}

void BlobSeeds(const fs::path& dir) {
    fs::create_directories(dir);
    for (int n = 0; n < 3; ++n) {
        const std::string path = (dir / ("seed-" + std::to_string(n) + ".blob")).string();
        corelib::BlobFile::Create(path);
        corelib::BlobFile blob;
        blob.Open(path);
        std::vector<int32_t> firsts;
        for (int v = 0; v < n * 3; ++v) {
            std::vector<uint8_t> bytes(size_t(v * 260 + 1), uint8_t(v));
            int32_t first = 0;
            blob.WriteBlob(bytes.data(), int32_t(bytes.size()), 0, first);
            firsts.push_back(first);
        }
        for (size_t v = 0; v < firsts.size(); v += 2) {
            int32_t out = 0;
            blob.WriteBlob(nullptr, 0, firsts[v], out);
        }
    }
}

void TableSeeds(const fs::path& dir) {
    uint32_t counter = 0;
    for (int records : {0, 1, 5}) {
        rt::SectionTable table(&counter);
        for (int r = 0; r < records; ++r) {
            const std::string body(size_t(r * 3), char('a' + r));
            table.Append(body.data(), uint32_t(body.size()), 0x06000000);
        }
        corelib::MemoryArchive out(true);
        table.Serialize(out);
        Write(dir / "runtime_section_table" / ("seed-" + std::to_string(records)), out.Bytes());
    }
    for (int pairs : {0, 1, 4}) {
        rt::KeyMap map;
        for (int p = 0; p < pairs; ++p)
            map.Add(0x52010000u + uint32_t(p) + 1, rt::KeyMap::Value(p * 100));
        corelib::MemoryArchive out(true);
        map.Serialize(out);
        Write(dir / "runtime_key_map" / ("seed-" + std::to_string(pairs)), out.Bytes());
    }
}

void TextSeeds(const fs::path& dir) {
    const char* texts[] = {
        "2020-01-02 03:04:05",
        "1999/12/31",
        "2000.2.29 23:59",
        "\xB6\xFE\xA1\xF0\xA1\xF0\xA1\xF0\xC4\xEA\xA3\xB1\xD4\xC2\xA3\xB2\xC8\xD5",
        "2021\xC4\xEA"
        "3\xD4\xC2"
        "4\xC8\xD5"
        "5\xCA\xB1"
        "6\xB7\xD6"
        "7\xC3\xEB",
    };
    int n = 0;
    for (const char* text : texts)
        WriteText(dir / "textservices_date_time" / ("seed-" + std::to_string(n++)), text);
    std::vector<uint8_t> file = {5, 9, 's', 'e', 'c', 'r', 'e'};
    for (int k = 0; k < 6000; ++k)
        file.push_back(uint8_t(k * 7));
    Write(dir / "textservices_enciphered_file" / "seed-0", file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    IndexSeeds(root / "datafiles_index");
    BlobSeeds(root / "datafiles_blob");
    TableSeeds(root);
    TextSeeds(root);
    return 0;
}
