// Verification of blob and index files against every invariant their
// formats promise. Used by picbatch-dbcheck after a crash and by the tests
// after every randomized sequence.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "corelib/datafiles/index_key.h"

namespace corelib {

// What a check found. Its memory stays small whatever a damaged header
// claims: the first kListedProblems problems are kept word for word, the
// rest only counted, and runs of pages or blocks are one problem each.
struct CheckReport {
    static constexpr size_t kListedProblems = 100;

    std::vector<std::string> problems;  // empty when the file is sound
    int64_t unlisted = 0;               // problems found beyond those listed
    std::string summary;                // what was found, for a clean file
    bool Clean() const { return problems.empty(); }
    void Add(std::string problem) {
        if (problems.size() < kListedProblems)
            problems.push_back(std::move(problem));
        else
            ++unlisted;
    }
};

enum class DataFileKind { Unknown, Blob, Index };

// Recognises a file by its magic; Unknown also when it cannot be read.
DataFileKind DetectDataFile(std::string_view path);

CheckReport CheckBlobFile(std::string_view path);

// The key layout is read from the file's header unless `layout` is given;
// a given layout that differs from the recorded one is reported.
CheckReport CheckIndexFile(std::string_view path,
                           const std::optional<IndexDescriptor>& layout = std::nullopt);

// Walks every entry as the index reader does (IndexFile: First, then Next
// to the end) and answers why it stops short, e.g. "the reader answers -7:
// the header counts pages the file does not hold"; empty when it reaches
// the end. Needs write access, as the reader locks the file for writing.
std::string IndexReaderProblem(std::string_view path,
                               const std::optional<IndexDescriptor>& layout = std::nullopt);

}  // namespace corelib
