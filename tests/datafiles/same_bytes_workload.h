// A fixed, mixed run of inserts, deletes, updates and value rewrites over
// several index layouts and a blob file. Its files are kept under
// tests/datafiles/same_bytes/ as written by an earlier build, so that any
// change beneath the file formats (caching, reading, locking) can show that
// it leaves every byte where it was.
//
// The run uses only the public interface of the index and blob files and
// draws its choices from std::mt19937 with `%`, which every standard library
// answers alike, so any build replays it exactly.
#pragma once

#include <string>
#include <vector>

namespace datafiles_test {

struct SameBytesRun {
    // One line per checkpoint: "FILE OPERATIONS LENGTH DIGEST", the digest
    // being FNV-1a 64 of the whole file in hexadecimal. The files change
    // under many cache states on the way; the digests pin the bytes of each
    // state, not only of the last.
    std::vector<std::string> checkpoints;
    // Empty when every operation answered as it should.
    std::string error;
};

// The files the run leaves in its directory.
std::vector<std::string> SameBytesFileNames();

// Runs the whole sequence in `dir`, creating the files anew.
SameBytesRun RunSameBytesWorkload(const std::string& dir);

}  // namespace datafiles_test
