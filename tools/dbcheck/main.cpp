// picbatch-dbcheck: verifies blob and index files (after a crash, or after a
// test), printing every broken invariant and exiting non-zero when any file
// is not sound.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "corelib/datafiles/data_file_check.h"
#include "platform/base/text_codec.h"

namespace {

constexpr const char* kUsage =
    "usage: picbatch-dbcheck [--key P,K,M,S,MODE,FLAGS,TYPE...] FILE...\n"
    "  Checks blob files (magic WEDT) and index files (magic WENX).\n"
    "  --key gives the key layout of the index files that follow: page size,\n"
    "  key size, entries per page, split position, text conversion mode,\n"
    "  flags and one type per key part (1 byte, 2 int16, 3 int32, 4 int64,\n"
    "  5 float, 6 double, 7 logical, 8 date-time, 9 uint32, -n text of n\n"
    "  bytes). Without it the layout recorded in the file is used.\n"
    "  Exit status: 0 all files sound, 1 a file has problems, 2 bad usage.\n";

std::optional<corelib::IndexDescriptor> ParseLayout(const std::string& text) {
    std::vector<long> numbers;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        char* end = nullptr;
        const long value = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != 0)
            return std::nullopt;
        numbers.push_back(value);
    }
    if (numbers.size() < 7)
        return std::nullopt;
    corelib::IndexDescriptor d;
    d.pageSize = static_cast<int32_t>(numbers[0]);
    d.keySize = static_cast<int32_t>(numbers[1]);
    d.maxEntries = static_cast<int32_t>(numbers[2]);
    d.splitPosition = static_cast<int32_t>(numbers[3]);
    d.conversionMode = static_cast<int32_t>(numbers[4]);
    d.flags = static_cast<int32_t>(numbers[5]);
    for (size_t k = 6; k < numbers.size(); ++k)
        d.partTypes.push_back(static_cast<int32_t>(numbers[k]));
    return d;
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<corelib::IndexDescriptor> layout;
    std::vector<std::string> files;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--key" || arg.rfind("--key=", 0) == 0) {
            std::string value;
            if (arg == "--key") {
                if (++k >= argc) {
                    std::fputs(kUsage, stderr);
                    return 2;
                }
                value = argv[k];
            } else {
                value = arg.substr(6);
            }
            layout = ParseLayout(value);
            if (!layout) {
                std::fprintf(stderr, "picbatch-dbcheck: cannot read the key layout \"%s\"\n",
                             value.c_str());
                return 2;
            }
            continue;
        }
        files.push_back(arg);
    }
    if (files.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    bool allSound = true;
    for (const std::string& name : files) {
        // The data files take runtime texts; the command line is UTF-8.
        const std::string path = platform::Utf8ToRuntime(name);
        corelib::CheckReport report;
        switch (corelib::DetectDataFile(path)) {
            case corelib::DataFileKind::Blob:
                report = corelib::CheckBlobFile(path);
                break;
            case corelib::DataFileKind::Index:
                report = corelib::CheckIndexFile(path, layout);
                // What the reader itself says, with the check that stopped
                // it, beside what the full check found.
                if (!report.Clean()) {
                    std::string reader = corelib::IndexReaderProblem(path, layout);
                    if (!reader.empty())
                        report.Add(reader);
                }
                break;
            case corelib::DataFileKind::Unknown:
                report.problems.push_back("not a blob or index file, or unreadable");
                break;
        }
        if (report.Clean()) {
            std::printf("%s: ok (%s)\n", name.c_str(), report.summary.c_str());
            continue;
        }
        allSound = false;
        const int64_t found = int64_t(report.problems.size()) + report.unlisted;
        std::printf("%s: %lld problem%s\n", name.c_str(), static_cast<long long>(found),
                    found == 1 ? "" : "s");
        for (const std::string& problem : report.problems) {
            std::printf("  %s\n", problem.c_str());
        }
        if (report.unlisted > 0) {
            std::printf("  ... and %lld more\n", static_cast<long long>(report.unlisted));
        }
    }
    return allSound ? 0 : 1;
}
