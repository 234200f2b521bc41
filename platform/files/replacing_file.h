// The one way a file is replaced: the new version is written beside the
// destination under a name no other writer can hold (or under no name) and
// put in place of the destination only when it is complete. Readers see
// the old file or a complete new one, never a part; two writers of one
// destination each write their own stage, and the last complete rename
// wins, so the destination is always one writer's whole output. On any
// failure the stage is removed and the destination is left as it was.
//
// What a crash can leave: an existing file is never replaced by bytes the
// disk has not got, so it is either the old file whole or the new one whole.
// A file that did not exist before may be left short or empty, which loses
// nothing that was there; running the job again replaces it.
// When the stage reaches the disk: a stage that takes a name nobody holds
// is renamed without a flush, in one step that fails if the name appeared
// meanwhile, because no earlier file can be lost there: after a crash the
// new name holds the new bytes, part of them or nothing. A stage that
// replaces an existing file is flushed before the rename, so that the old
// file never gives way to one the disk has not got yet. Where the file
// system cannot rename without replacing, every stage is flushed.
//
// A writer that only uses the descriptor can stage without a name: the
// stage is an unnamed file in the destination's folder (O_TMPFILE) that is
// linked under the destination's name at the commit, or, when it replaces
// a file, linked under a stage name, flushed and renamed over it. Creating
// it does not hold the folder's lock, which is most of a small file's cost
// when many are written into one folder at once, and a crash leaves nothing
// of it behind. Where the file system has no unnamed files, the stage is a
// named one.
//
// Stage names (named stages, and an unnamed one that replaces a file):
//   DEST.XXXXXX.partial         beside DEST (six random letters and digits)
//   DIR/.picbatch-XXXXXX.partial when DEST's name is too long to take the
//                                suffix
// The stage is created with O_EXCL, so a name another writer (or a stage a
// crash left behind) already holds is never shared; another name is drawn.
#pragma once

#include <sys/stat.h>
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
    // Renames only when `to` does not exist (EEXIST otherwise).
    int (*renameNoReplace)(const char* from, const char* to);
    int (*unlink)(const char* path);
    // Gives the unnamed file open as `fd` the name `to` (EEXIST when taken).
    int (*link)(int fd, const char* to);
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
    // An unnamed stage for `destination` (a system path), for writers that
    // use only the descriptor; a named one where the file system has none.
    FileError BeginUnnamed(std::string_view destination);

    // The open stage, for libraries that write through a descriptor; -1
    // when there is none.
    int Descriptor() const { return fd_; }
    // The stage's name, for writers that open a file by name: as a runtime
    // text (only after Begin) and in the system's encoding; empty for an
    // unnamed stage.
    const std::string& StageName() const { return stageRuntime_; }
    const std::string& StageSystemPath() const { return stage_; }

    // Appends to the stage.
    FileError Write(const void* bytes, size_t count);
    // Closes the stage and puts it in place of the destination, flushing it
    // to the disk first when it replaces a file (see the top of the file).
    // On failure the stage is removed.
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
    FileError CloseInPlace(bool known, const struct stat& own);
    FileError NameStage();
    FileError FlushCloseAndRename();
    void Finished();
    FileError SetDestination(std::string_view destination);
    // The stage as failures name it: its name, or the destination's for an
    // unnamed stage.
    const std::string& StageForProblems() const { return stage_.empty() ? destination_ : stage_; }
    FileError CreateStage(std::string_view destination, std::string_view runtimeDestination);

    const StagingCalls& calls_;
    int fd_ = -1;
    bool unnamed_ = false;
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
    FileError error = file.BeginUnnamed(destination);
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
