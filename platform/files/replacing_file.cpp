#include "platform/files/replacing_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/base/text_codec.h"

namespace platform {
namespace {

constexpr std::string_view kStageSuffix = ".partial";
constexpr std::string_view kLongNamePrefix = ".picbatch-";
constexpr size_t kRandomLetters = 6;
// Names already taken by other stages are skipped; this many in a row
// means something else is wrong with the folder.
constexpr int kNameAttempts = 100;

int OpenFile(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
int SyncFile(int fd) {
    return ::fdatasync(fd);
}
int RenameNoReplace(const char* from, const char* to) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int LinkDescriptor(int fd, const char* to) {
    // Through the descriptor's name in /proc: linking the descriptor itself
    // (AT_EMPTY_PATH) needs a privilege a user does not have.
    char path[32];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, path, AT_FDCWD, to, AT_SYMLINK_FOLLOW);
}

// Unnamed stages are linked through /proc; without it they could never be
// given a name.
bool CanLinkUnnamed() {
    static const bool available = ::access("/proc/self/fd", X_OK) == 0;
    return available;
}

// Answers whether a failed no-replace rename means "the name is taken, or
// this file system cannot tell" rather than a real failure.
bool MayReplace(int error) {
    return error == EEXIST || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

std::string RandomLetters() {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string letters;
    for (size_t i = 0; i < kRandomLetters; ++i)
        letters.push_back(kAlphabet[arc4random_uniform(sizeof kAlphabet - 1)]);
    return letters;
}

size_t NameStart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// The part of a stage name after the destination's folder: the
// destination's own name and a suffix, or a short name of our own when the
// suffix would make the name longer than the file system takes. '/' never
// occurs inside a runtime text's two- or four-byte characters, so the
// folder is found the same way in both encodings.
std::string StageTail(std::string_view systemName, std::string_view runtimeName,
                      const std::string& letters) {
    const std::string suffix = "." + letters + std::string(kStageSuffix);
    if (systemName.size() + suffix.size() <= NAME_MAX)
        return std::string(runtimeName) + suffix;
    return std::string(kLongNamePrefix) + letters + std::string(kStageSuffix);
}

}  // namespace

const StagingCalls& SystemStagingCalls() {
    static const StagingCalls calls{OpenFile, ::write,         SyncFile, ::close,
                                    ::rename, RenameNoReplace, ::unlink, LinkDescriptor};
    return calls;
}

FileError ReplacingFile::Fail(const char* step, const std::string& path, int error) {
    problem_ = std::string(step) + " " + path + ": " + std::strerror(error);
    return FileErrorFromErrno(error);
}

FileError ReplacingFile::Begin(std::string_view runtimeDestination) {
    Abandon();
    std::string problem;
    std::optional<std::string> system = TryRuntimeToUtf8(runtimeDestination, &problem);
    if (!system) {
        problem_ = problem;
        return FileError::BadPath;
    }
    return CreateStage(*system, runtimeDestination);
}

FileError ReplacingFile::BeginSystemPath(std::string_view destination) {
    Abandon();
    return CreateStage(destination, {});
}

FileError ReplacingFile::BeginUnnamed(std::string_view destination) {
    Abandon();
    const FileError error = SetDestination(destination);
    if (error != FileError::None)
        return error;
    if (CanLinkUnnamed()) {
        const size_t nameAt = NameStart(destination);
        const std::string folder = nameAt == 0 ? "." : destination_.substr(0, nameAt);
        // Read access too, as for a named stage.
        fd_ = calls_.open(folder.c_str(), O_RDWR | O_TMPFILE | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            unnamed_ = true;
            return FileError::None;
        }
    }
    // No unnamed files here (or the folder is wrong, which creating a named
    // stage then reports).
    return CreateStage(destination, {});
}

FileError ReplacingFile::SetDestination(std::string_view destination) {
    problem_.clear();
    destination_ = std::string(destination);
    if (destination_.empty() || destination_.back() == '/') {
        problem_ = "no file name in \"" + destination_ + "\"";
        return FileError::BadPath;
    }
    return FileError::None;
}

FileError ReplacingFile::CreateStage(std::string_view destination,
                                     std::string_view runtimeDestination) {
    const FileError bad = SetDestination(destination);
    if (bad != FileError::None)
        return bad;
    const size_t nameAt = NameStart(destination);
    const size_t runtimeNameAt = NameStart(runtimeDestination);
    int error = EEXIST;
    for (int attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
        const std::string letters = RandomLetters();
        stage_ = destination_.substr(0, nameAt) +
                 StageTail(destination.substr(nameAt), destination.substr(nameAt), letters);
        // Read access too: libtiff reads back what it wrote when it updates a
        // directory.
        fd_ = calls_.open(stage_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        error = fd_ < 0 ? errno : 0;
        if (fd_ >= 0 && !runtimeDestination.empty()) {
            stageRuntime_ = std::string(runtimeDestination.substr(0, runtimeNameAt)) +
                            StageTail(destination.substr(nameAt),
                                      runtimeDestination.substr(runtimeNameAt), letters);
        }
    }
    if (fd_ < 0) {
        const std::string folder = nameAt == 0 ? "." : destination_.substr(0, nameAt);
        const FileError failed = Fail("cannot create a file in", folder, error);
        stage_.clear();
        return failed;
    }
    return FileError::None;
}

FileError ReplacingFile::Write(const void* bytes, size_t count) {
    if (fd_ < 0)
        return FileError::NotOpen;
    const auto* at = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t put = calls_.write(fd_, at, count);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            const int error = put < 0 ? errno : EIO;
            const FileError failed = Fail("cannot write", StageForProblems(), error);
            Abandon();
            return failed;
        }
        at += put;
        count -= size_t(put);
    }
    return FileError::None;
}

FileError ReplacingFile::Commit() {
    if (fd_ < 0)
        return FileError::NotOpen;
    // Which file is ours, should a failed close make us take the name back.
    struct stat own {};
    const bool known = ::fstat(fd_, &own) == 0;
    const bool placed = unnamed_
                            ? calls_.link(fd_, destination_.c_str()) == 0
                            : calls_.renameNoReplace(stage_.c_str(), destination_.c_str()) == 0;
    if (placed)
        return CloseInPlace(known, own);
    const int error = errno;
    FileError failed = FileError::None;
    if (unnamed_ ? error != EEXIST : !MayReplace(error))
        failed = Fail("cannot put the new file in place of", destination_, error);
    else if (unnamed_)
        failed = NameStage();
    if (failed == FileError::None)
        failed = FlushCloseAndRename();
    if (failed != FileError::None) {
        Abandon();
        return failed;
    }
    Finished();
    return FileError::None;
}

// The stage took the destination's name without replacing anything; what
// is left is to close it. A close that fails may have lost data written
// through another descriptor, so the name goes again while it is still
// this file's, and the commit fails.
FileError ReplacingFile::CloseInPlace(bool known, const struct stat& own) {
    const int closed = calls_.close(fd_);
    fd_ = -1;
    unnamed_ = false;
    stage_.clear();
    if (closed != 0) {
        const FileError failed = Fail("cannot close", destination_, errno);
        struct stat now {};
        if (known && ::lstat(destination_.c_str(), &now) == 0 && now.st_dev == own.st_dev &&
            now.st_ino == own.st_ino) {
            calls_.unlink(destination_.c_str());
        }
        return failed;
    }
    Finished();
    return FileError::None;
}

// An unnamed stage that is to replace a file gets a stage name nobody
// holds, so that a rename can put it in place in one step.
FileError ReplacingFile::NameStage() {
    const size_t nameAt = NameStart(destination_);
    int error = EEXIST;
    for (int attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
        stage_ = destination_.substr(0, nameAt) +
                 StageTail(std::string_view(destination_).substr(nameAt),
                           std::string_view(destination_).substr(nameAt), RandomLetters());
        error = calls_.link(fd_, stage_.c_str()) == 0 ? 0 : errno;
    }
    if (error == 0)
        return FileError::None;
    stage_.clear();
    const std::string folder = nameAt == 0 ? "." : destination_.substr(0, nameAt);
    return Fail("cannot create a file in", folder, error);
}

// The stage is about to take the place of an existing file: its bytes reach
// the disk before the rename, so the old file never gives way to a part.
FileError ReplacingFile::FlushCloseAndRename() {
    if (calls_.sync(fd_) != 0)
        return Fail("cannot flush", StageForProblems(), errno);
    const int closed = calls_.close(fd_);
    fd_ = -1;
    unnamed_ = false;
    if (closed != 0)
        return Fail("cannot close", stage_, errno);
    if (calls_.rename(stage_.c_str(), destination_.c_str()) != 0)
        return Fail("cannot put the new file in place of", destination_, errno);
    return FileError::None;
}

void ReplacingFile::Finished() {
    stage_.clear();
    stageRuntime_.clear();
    problem_.clear();
}

void ReplacingFile::Abandon() {
    if (fd_ >= 0)
        calls_.close(fd_);
    fd_ = -1;
    unnamed_ = false;
    if (!stage_.empty())
        calls_.unlink(stage_.c_str());
    stage_.clear();
    stageRuntime_.clear();
}

FileError ReplacingFile::AbandonAfterWriteError(int error) {
    const FileError failed = Fail("cannot write", StageForProblems(), error != 0 ? error : EIO);
    Abandon();
    return failed;
}

}  // namespace platform
