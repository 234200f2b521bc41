// Writes the files of the fixed mixed run and their checkpoints.txt into a
// directory. The files under tests/datafiles/same_bytes/ came from this
// program built against the data-file code as it stood before its storage
// was sped up; rerun it only when the file formats themselves change.
//   datafiles_write_same_bytes DIRECTORY
#include <cstdio>
#include <fstream>

#include "tests/datafiles/same_bytes_workload.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: datafiles_write_same_bytes DIRECTORY\n");
        return 2;
    }
    const datafiles_test::SameBytesRun run = datafiles_test::RunSameBytesWorkload(argv[1]);
    if (!run.error.empty()) {
        std::fprintf(stderr, "%s\n", run.error.c_str());
        return 1;
    }
    std::ofstream out(std::string(argv[1]) + "/checkpoints.txt");
    for (const std::string& line : run.checkpoints)
        out << line << '\n';
    return out ? 0 : 1;
}
