// Verification of blob and index files against every invariant their
// formats promise. Used by picbatch-dbcheck after a crash and by the tests
// after every randomized sequence.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "corelib/datafiles/index_key.h"

namespace corelib {

struct CheckReport {
    std::vector<std::string> problems;  // empty when the file is sound
    std::string summary;                // what was found, for a clean file
    bool Clean() const { return problems.empty(); }
};

enum class DataFileKind { Unknown, Blob, Index };

// Recognises a file by its magic; Unknown also when it cannot be read.
DataFileKind DetectDataFile(std::string_view path);

CheckReport CheckBlobFile(std::string_view path);

// The key layout is read from the file's header unless `layout` is given;
// a given layout that differs from the recorded one is reported.
CheckReport CheckIndexFile(std::string_view path,
                           const std::optional<IndexDescriptor>& layout = std::nullopt);

}  // namespace corelib
