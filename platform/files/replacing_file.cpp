#include "platform/files/replacing_file.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

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
    static const StagingCalls calls{OpenFile, ::write, SyncFile, ::close, ::rename, ::unlink};
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

FileError ReplacingFile::CreateStage(std::string_view destination,
                                     std::string_view runtimeDestination) {
    problem_.clear();
    destination_ = std::string(destination);
    if (destination_.empty() || destination_.back() == '/') {
        problem_ = "no file name in \"" + destination_ + "\"";
        return FileError::BadPath;
    }
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
            const FileError failed = Fail("cannot write", stage_, error);
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
    FileError failed = FileError::None;
    if (calls_.sync(fd_) != 0)
        failed = Fail("cannot flush", stage_, errno);
    // A close that fails may have lost data written through another
    // descriptor of the stage, so it fails the commit too.
    const int closed = calls_.close(fd_);
    fd_ = -1;
    if (closed != 0 && failed == FileError::None)
        failed = Fail("cannot close", stage_, errno);
    if (failed == FileError::None && calls_.rename(stage_.c_str(), destination_.c_str()) != 0)
        failed = Fail("cannot put the new file in place of", destination_, errno);
    if (failed != FileError::None) {
        Abandon();
        return failed;
    }
    stage_.clear();
    stageRuntime_.clear();
    problem_.clear();
    return FileError::None;
}

void ReplacingFile::Abandon() {
    if (fd_ >= 0)
        calls_.close(fd_);
    fd_ = -1;
    if (!stage_.empty())
        calls_.unlink(stage_.c_str());
    stage_.clear();
    stageRuntime_.clear();
}

FileError ReplacingFile::AbandonAfterWriteError(int error) {
    const FileError failed = Fail("cannot write", stage_, error != 0 ? error : EIO);
    Abandon();
    return failed;
}

}  // namespace platform
