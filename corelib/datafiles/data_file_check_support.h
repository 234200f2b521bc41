// Pieces the blob and index checks share.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "corelib/datafiles/data_file_check.h"
#include "platform/files/file.h"

namespace corelib {

// Opens a file to check it, read only; on failure the report says why.
inline bool OpenForCheck(std::string_view path, platform::File& file, CheckReport& report) {
    const platform::FileError opened = file.Open(path, platform::OpenMode::ReadOnly);
    if (opened != platform::FileError::None)
        report.Add(std::string("cannot open: ") + platform::FileErrorName(opened));
    return opened == platform::FileError::None;
}

// Which blocks or pages a check has reached and how, in memory that grows
// with what it reached, not with what a header claims: a damaged header
// may count billions of pages that a sparse file does not really hold.
class ReachedSet {
public:
    static constexpr uint8_t kUnreached = 0;

    uint8_t Use(int64_t n) const {
        const auto found = uses_.find(n);
        return found == uses_.end() ? kUnreached : found->second;
    }
    void Reach(int64_t n, uint8_t use) { uses_[n] = use; }

    // Calls `run` for every run [first, last] of unreached numbers from 1
    // to `end` - 1, in order.
    void ForEachUnreachedRun(int64_t end, const std::function<void(int64_t, int64_t)>& run) const {
        std::vector<int64_t> reached;
        reached.reserve(uses_.size());
        for (const auto& [n, use] : uses_) {
            if (n >= 1 && n < end)
                reached.push_back(n);
        }
        std::sort(reached.begin(), reached.end());
        int64_t next = 1;
        for (const int64_t n : reached) {
            if (n > next)
                run(next, n - 1);
            next = n + 1;
        }
        if (next < end)
            run(next, end - 1);
    }

private:
    std::unordered_map<int64_t, uint8_t> uses_;
};

// "page 7", or "pages 7 to 9 (3 pages)".
inline std::string RunText(const char* noun, int64_t first, int64_t last) {
    if (first == last)
        return std::string(noun) + " " + std::to_string(first);
    return std::string(noun) + "s " + std::to_string(first) + " to " + std::to_string(last) + " (" +
           std::to_string(last - first + 1) + " " + noun + "s)";
}

}  // namespace corelib
