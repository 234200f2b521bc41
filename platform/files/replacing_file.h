// The one way a file is replaced: the new version is written beside the
// destination under a name no other writer can hold, flushed to the disk,
// and renamed over the destination only when it is complete. Readers see
// the old file or a complete new one, never a part; two writers of one
// destination each write their own stage, and the last complete rename
// wins, so the destination is always one writer's whole output. On any
// failure the stage is removed and the destination is left as it was.
//
// Stage names:
//   DEST.XXXXXX.partial         beside DEST (six random letters and digits)
//   DIR/.picbatch-XXXXXX.partial when DEST's name is too long to take the
//                                suffix
// The stage is created with O_EXCL, so a name another writer (or a stage a
// crash left behind) already holds is never shared; another name is drawn.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/files/file.h"

namespace platform {

// The system calls a staged write makes. Tests replace them to make each
// step fail in turn.
struct StagingCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* bytes, size_t count);
    int (*sync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
};
const StagingCalls& SystemStagingCalls();

class ReplacingFile {
public:
    explicit ReplacingFile(const StagingCalls& calls = SystemStagingCalls()) : calls_(calls) {}
    ~ReplacingFile() { Abandon(); }
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the stage for `destination`, a runtime text (GB18030).
    FileError Begin(std::string_view runtimeDestination);
    // The same for a path already in the system's encoding (UTF-8).
    FileError BeginSystemPath(std::string_view destination);

    // The open stage, for libraries that write through a descriptor; -1
    // when there is none.
    int Descriptor() const { return fd_; }
    // The stage's name, for writers that open a file by name: as a runtime
    // text (only after Begin) and in the system's encoding.
    const std::string& StageName() const { return stageRuntime_; }
    const std::string& StageSystemPath() const { return stage_; }

    // Appends to the stage.
    FileError Write(const void* bytes, size_t count);
    // Flushes the stage to the disk, closes it and renames it over the
    // destination. On failure the stage is removed.
    FileError Commit();
    // Removes the stage, if any; the destination is untouched.
    void Abandon();
    // Abandons after the caller's own writing to the descriptor failed with
    // `error` (an errno value), keeping that as the problem.
    FileError AbandonAfterWriteError(int error);

    // What the last failed step was and why, e.g. "cannot write
    // photo.png.Xy12ab.partial: No space left on device"; empty after
    // success.
    const std::string& Problem() const { return problem_; }

private:
    FileError Fail(const char* step, const std::string& path, int error);
    FileError CreateStage(std::string_view destination, std::string_view runtimeDestination);

    const StagingCalls& calls_;
    int fd_ = -1;
    std::string destination_;
    std::string stage_;
    std::string stageRuntime_;
    std::string problem_;
};

// Stages `destination` (a system path), lets `fill` write the stage
// through its descriptor (answering false on failure, with errno set when
// a system call failed) and commits. `problem`, when given, receives the
// reason of a failure.
template <typename Fill>
FileError ReplaceFile(std::string_view destination, Fill fill, std::string* problem = nullptr);

}  // namespace platform

#include <cerrno>

namespace platform {

template <typename Fill>
FileError ReplaceFile(std::string_view destination, Fill fill, std::string* problem) {
    ReplacingFile file;
    FileError error = file.BeginSystemPath(destination);
    if (error == FileError::None) {
        errno = 0;
        if (fill(file.Descriptor())) {
            error = file.Commit();
        } else {
            error = file.AbandonAfterWriteError(errno);
        }
    }
    if (problem)
        *problem = file.Problem();
    return error;
}

}  // namespace platform
