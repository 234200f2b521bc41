// The one replace-on-success writer: whatever step fails (creating the
// stage, writing, flushing, closing, renaming, a full file system), the old
// destination is intact and no stage is left; two writers of one
// destination never mix their bytes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/files/replacing_file.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

using platform::FileError;
using platform::ReplacingFile;
using platform::StagingCalls;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ReplacingFileTest : public ::testing::Test {
protected:
    datafiles_test::ScratchDir dir_;
    std::string target_ = dir_.File("photo.png");
};

TEST_F(ReplacingFileTest, CommitPutsTheWholeNewFileInPlaceAndLeavesNoStage) {
    Put(target_, "old picture");
    ReplacingFile file;
    ASSERT_EQ(file.BeginSystemPath(target_), FileError::None);
    const std::string stage = file.StageSystemPath();
    EXPECT_EQ(stage.substr(0, target_.size() + 1), target_ + ".");
    EXPECT_EQ(stage.size(), target_.size() + 1 + 6 + 8);
    EXPECT_EQ(stage.substr(stage.size() - 8), ".partial");
    ASSERT_EQ(file.Write("new ", 4), FileError::None);
    ASSERT_EQ(file.Write("picture", 7), FileError::None);
    EXPECT_EQ(Contents(target_), "old picture");  // nothing shows before the commit
    ASSERT_EQ(file.Commit(), FileError::None);
    EXPECT_EQ(Contents(target_), "new picture");
    EXPECT_EQ(Entries(dir_.path()), std::vector<std::string>{"photo.png"});
    EXPECT_EQ(file.Problem(), "");
}

TEST_F(ReplacingFileTest, AnAbandonedOrDestroyedStageLeavesTheDestinationAsItWas) {
    Put(target_, "old picture");
    {
        ReplacingFile file;
        ASSERT_EQ(file.BeginSystemPath(target_), FileError::None);
        ASSERT_EQ(file.Write("half", 4), FileError::None);
    }
    EXPECT_EQ(Contents(target_), "old picture");
    EXPECT_EQ(Entries(dir_.path()), std::vector<std::string>{"photo.png"});
}

// Calls that fail at one chosen step with one chosen error.
enum Step { kOpen, kWrite, kSync, kClose, kRename, kRenameNew, kLink, kNone };
Step g_failingStep;
int g_error;
int g_openTries;
// The calls a commit made, in order: 's' sync, 'c' close, 'r' rename,
// 'n' no-replace rename, 'l' link.
std::string g_calls;

int FailingOpen(const char* path, int flags, mode_t mode) {
    ++g_openTries;
    if (g_failingStep == kOpen) {
        errno = g_error;
        return -1;
    }
    return platform::SystemStagingCalls().open(path, flags, mode);
}
ssize_t FailingWrite(int fd, const void* bytes, size_t count) {
    if (g_failingStep == kWrite) {
        errno = g_error;
        return -1;
    }
    return ::write(fd, bytes, count);
}
int FailingSync(int fd) {
    g_calls += 's';
    if (g_failingStep == kSync) {
        errno = g_error;
        return -1;
    }
    return ::fdatasync(fd);
}
int FailingClose(int fd) {
    g_calls += 'c';
    ::close(fd);
    if (g_failingStep == kClose) {
        errno = g_error;
        return -1;
    }
    return 0;
}
int FailingRename(const char* from, const char* to) {
    g_calls += 'r';
    if (g_failingStep == kRename) {
        errno = g_error;
        return -1;
    }
    return ::rename(from, to);
}
int FailingLink(int fd, const char* to) {
    g_calls += 'l';
    if (g_failingStep == kLink) {
        errno = g_error;
        return -1;
    }
    return platform::SystemStagingCalls().link(fd, to);
}
int FailingRenameNoReplace(const char* from, const char* to) {
    g_calls += 'n';
    if (g_failingStep == kRenameNew) {
        errno = g_error;
        return -1;
    }
    return platform::SystemStagingCalls().renameNoReplace(from, to);
}
const StagingCalls kFailingCalls{FailingOpen,   FailingWrite,           FailingSync, FailingClose,
                                 FailingRename, FailingRenameNoReplace, ::unlink,    FailingLink};

struct FailureCase {
    Step step;
    int error;
    FileError expected;
    const char* problemStart;
};

TEST_F(ReplacingFileTest, AFailureAtEveryStepKeepsTheOldFileAndRemovesTheStage) {
    const FailureCase cases[] = {
        {kOpen, EACCES, FileError::AccessDenied, "cannot create a file in "},
        {kWrite, ENOSPC, FileError::DiskFull, "cannot write "},
        {kSync, EIO, FileError::HardwareIo, "cannot flush "},
        {kClose, EIO, FileError::HardwareIo, "cannot close "},
        {kRename, EXDEV, FileError::Generic, "cannot put the new file in place of "},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.problemStart);
        Put(target_, "old picture");
        g_failingStep = c.step;
        g_error = c.error;
        ReplacingFile file(kFailingCalls);
        FileError error = file.BeginSystemPath(target_);
        if (error == FileError::None)
            error = file.Write("new picture", 11);
        if (error == FileError::None)
            error = file.Commit();
        EXPECT_EQ(error, c.expected);
        EXPECT_EQ(file.Problem().rfind(c.problemStart, 0), 0u) << file.Problem();
        EXPECT_NE(file.Problem().find(std::strerror(c.error)), std::string::npos) << file.Problem();
        EXPECT_EQ(Contents(target_), "old picture");
        EXPECT_EQ(Entries(dir_.path()), std::vector<std::string>{"photo.png"});
    }
}

// What reaches the disk before the rename: a stage that replaces a file is
// flushed first, one that takes a free name is not (nothing earlier can be
// lost there), and a file system that cannot rename without replacing gets
// the flush every time.
TEST_F(ReplacingFileTest, OnlyAStageThatReplacesAFileIsFlushedBeforeItsRename) {
    struct Case {
        const char* name;
        bool targetExists;
        Step failing;
        int error;
        const char* calls;
    };
    const Case cases[] = {
        {"new name", false, kNone, 0, "nc"},
        {"existing file", true, kNone, 0, "nscr"},
        {"no-replace rename not supported", false, kRenameNew, EINVAL, "nscr"},
        {"no-replace rename not supported, existing file", true, kRenameNew, ENOSYS, "nscr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(target_);
        if (c.targetExists)
            Put(target_, "old picture");
        g_failingStep = c.failing;
        g_error = c.error;
        ReplacingFile file(kFailingCalls);
        ASSERT_EQ(file.BeginSystemPath(target_), FileError::None);
        ASSERT_EQ(file.Write("new picture", 11), FileError::None);
        g_calls.clear();
        ASSERT_EQ(file.Commit(), FileError::None) << file.Problem();
        EXPECT_EQ(g_calls, c.calls);
        EXPECT_EQ(Contents(target_), "new picture");
        EXPECT_EQ(Entries(dir_.path()), std::vector<std::string>{"photo.png"});
    }
}

// A no-replace rename that fails for a reason of its own is a failure: the
// stage goes and no file appears.
TEST_F(ReplacingFileTest, AFailedRenameToAFreeNameLeavesNoFile) {
    g_failingStep = kRenameNew;
    g_error = EACCES;
    ReplacingFile file(kFailingCalls);
    ASSERT_EQ(file.BeginSystemPath(target_), FileError::None);
    ASSERT_EQ(file.Write("new picture", 11), FileError::None);
    g_calls.clear();
    EXPECT_EQ(file.Commit(), FileError::AccessDenied);
    EXPECT_EQ(g_calls, "nc");
    EXPECT_EQ(file.Problem(),
              "cannot put the new file in place of " + target_ + ": " + std::strerror(EACCES));
    EXPECT_TRUE(Entries(dir_.path()).empty());
}

// An unnamed stage shows nowhere until the commit links it: under the
// destination's name when that is free (no flush), or, replacing a file,
// flushed first and renamed over it from a stage name.
// The stage already holds the new name when its close fails: the name goes
// again, as what the close lost cannot be told.
TEST_F(ReplacingFileTest, AFailedCloseAfterTakingAFreeNameLeavesNoFile) {
    g_failingStep = kClose;
    g_error = EIO;
    ReplacingFile file(kFailingCalls);
    ASSERT_EQ(file.BeginSystemPath(target_), FileError::None);
    ASSERT_EQ(file.Write("new picture", 11), FileError::None);
    g_calls.clear();
    EXPECT_EQ(file.Commit(), FileError::HardwareIo);
    EXPECT_EQ(g_calls, "nc");
    EXPECT_EQ(file.Problem(), "cannot close " + target_ + ": " + std::strerror(EIO));
    EXPECT_TRUE(Entries(dir_.path()).empty());
}

TEST_F(ReplacingFileTest, AnUnnamedStageShowsOnlyWhenCommitted) {
    struct Case {
        const char* name;
        bool targetExists;
        const char* calls;
    };
    const Case cases[] = {{"new name", false, "lc"}, {"existing file", true, "llscr"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(target_);
        if (c.targetExists)
            Put(target_, "old picture");
        g_failingStep = kNone;
        ReplacingFile file(kFailingCalls);
        ASSERT_EQ(file.BeginUnnamed(target_), FileError::None);
        EXPECT_EQ(file.StageSystemPath(), "");
        ASSERT_EQ(file.Write("new picture", 11), FileError::None);
        EXPECT_EQ(Entries(dir_.path()), c.targetExists ? std::vector<std::string>{"photo.png"}
                                                       : std::vector<std::string>{});
        g_calls.clear();
        ASSERT_EQ(file.Commit(), FileError::None) << file.Problem();
        EXPECT_EQ(g_calls, c.calls);
        EXPECT_EQ(Contents(target_), "new picture");
        EXPECT_EQ(Entries(dir_.path()), std::vector<std::string>{"photo.png"});
    }
}

TEST_F(ReplacingFileTest, AnUnnamedStageThatFailsLeavesTheOldFileOrNoFile) {
    const FailureCase cases[] = {
        {kLink, EACCES, FileError::AccessDenied, "cannot put the new file in place of "},
        {kSync, EIO, FileError::HardwareIo, "cannot flush "},
        {kClose, EIO, FileError::HardwareIo, "cannot close "},
        {kRename, EXDEV, FileError::Generic, "cannot put the new file in place of "},
    };
    for (bool targetExists : {false, true}) {
        for (const FailureCase& c : cases) {
            SCOPED_TRACE(std::string(c.problemStart) + (targetExists ? " over a file" : ""));
            std::filesystem::remove(target_);
            if (targetExists)
                Put(target_, "old picture");
            g_failingStep = c.step;
            g_error = c.error;
            ReplacingFile file(kFailingCalls);
            ASSERT_EQ(file.BeginUnnamed(target_), FileError::None);
            ASSERT_EQ(file.Write("new picture", 11), FileError::None);
            const FileError error = file.Commit();
            // A new name is only flushed and renamed to when it replaces.
            const bool reached = targetExists || c.step == kLink || c.step == kClose;
            EXPECT_EQ(error, reached ? c.expected : FileError::None);
            if (reached) {
                EXPECT_EQ(file.Problem().rfind(c.problemStart, 0), 0u) << file.Problem();
                EXPECT_EQ(Entries(dir_.path()), targetExists ? std::vector<std::string>{"photo.png"}
                                                             : std::vector<std::string>{});
                if (targetExists) {
                    EXPECT_EQ(Contents(target_), "old picture");
                }
            } else {
                EXPECT_EQ(Contents(target_), "new picture");
            }
        }
    }
}

TEST_F(ReplacingFileTest, AnAbandonedUnnamedStageLeavesNothing) {
    {
        ReplacingFile file;
        ASSERT_EQ(file.BeginUnnamed(target_), FileError::None);
        ASSERT_EQ(file.Write("half", 4), FileError::None);
    }
    EXPECT_TRUE(Entries(dir_.path()).empty());
    ReplacingFile file;
    EXPECT_EQ(file.BeginUnnamed(dir_.File("missing/photo.png")), FileError::NotFound);
    EXPECT_EQ(file.Problem().rfind("cannot create a file in " + dir_.File("missing/"), 0), 0u)
        << file.Problem();
}

TEST_F(ReplacingFileTest, AFullFileSystemFailsTheWriteAndKeepsTheOldFile) {
    Put(target_, std::string(100, 'o'));
    // In a child whose files may not grow beyond 4 KiB, as on a full disk.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::string big(64 * 1024, 'n');
        ReplacingFile file;
        FileError error = file.BeginSystemPath(target_);
        if (error == FileError::None)
            error = file.Write(big.data(), big.size());
        const bool expected = error == FileError::DiskFull &&
                              file.Problem().find("File too large") != std::string::npos;
        _exit(expected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Contents(target_), std::string(100, 'o'));
    EXPECT_EQ(Entries(dir_.path()), std::vector<std::string>{"photo.png"});
}

TEST_F(ReplacingFileTest, ANameAnotherWriterHoldsIsNeverShared) {
    // The first three names drawn are taken: the stage takes the fourth.
    static int taken;
    taken = 0;
    const StagingCalls calls{[](const char* path, int flags, mode_t mode) {
                                 if (++taken <= 3) {
                                     errno = EEXIST;
                                     return -1;
                                 }
                                 return ::open(path, flags, mode);
                             },
                             ::write,
                             ::fdatasync,
                             ::close,
                             ::rename,
                             platform::SystemStagingCalls().renameNoReplace,
                             ::unlink,
                             platform::SystemStagingCalls().link};
    ReplacingFile file(calls);
    ASSERT_EQ(file.BeginSystemPath(target_), FileError::None);
    EXPECT_EQ(taken, 4);
    ASSERT_EQ(file.Commit(), FileError::None);
    EXPECT_EQ(Contents(target_), "");
}

TEST_F(ReplacingFileTest, ANameTooLongForTheSuffixIsStagedUnderAShortName) {
    const std::string longTarget = dir_.File(std::string(250, 'p'));
    ReplacingFile file;
    ASSERT_EQ(file.BeginSystemPath(longTarget), FileError::None);
    const std::string stage = std::filesystem::path(file.StageSystemPath()).filename();
    EXPECT_EQ(stage.rfind(".picbatch-", 0), 0u) << stage;
    EXPECT_EQ(stage.size(), 10u + 6 + 8);
    ASSERT_EQ(file.Write("x", 1), FileError::None);
    ASSERT_EQ(file.Commit(), FileError::None);
    EXPECT_EQ(Contents(longTarget), "x");
}

TEST_F(ReplacingFileTest, RuntimeTextNamesAreStagedUnderTheirSystemName) {
    // "照片" in GB18030; on disk the name is UTF-8.
    const std::string runtimeName = dir_.File("\xD5\xD5\xC6\xAC.png");
    ReplacingFile file;
    ASSERT_EQ(file.Begin(runtimeName), FileError::None);
    EXPECT_EQ(file.StageName().rfind(runtimeName + ".", 0), 0u);
    EXPECT_EQ(file.StageSystemPath().rfind(dir_.File("\xE7\x85\xA7\xE7\x89\x87.png."), 0), 0u);
    ASSERT_EQ(file.Commit(), FileError::None);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("\xE7\x85\xA7\xE7\x89\x87.png")));
}

TEST_F(ReplacingFileTest, TwoWritersOfOneDestinationLeaveOneWholeFile) {
    const std::string a(300000, 'a'), b(200000, 'b');
    for (int round = 0; round < 20; ++round) {
        // Unnamed and named stages, against each other and themselves.
        auto write = [&](const std::string& bytes, bool unnamed, FileError& result) {
            ReplacingFile file;
            result = unnamed ? file.BeginUnnamed(target_) : file.BeginSystemPath(target_);
            for (size_t at = 0; result == FileError::None && at < bytes.size(); at += 4096)
                result = file.Write(bytes.data() + at, std::min<size_t>(4096, bytes.size() - at));
            if (result == FileError::None)
                result = file.Commit();
        };
        FileError first = FileError::Generic, second = FileError::Generic;
        std::thread one([&] { write(a, round % 3 != 0, first); });
        std::thread two([&] { write(b, round % 3 != 1, second); });
        one.join();
        two.join();
        EXPECT_EQ(first, FileError::None);
        EXPECT_EQ(second, FileError::None);
        const std::string result = Contents(target_);
        EXPECT_TRUE(result == a || result == b) << "round " << round << ": " << result.size();
        EXPECT_EQ(Entries(dir_.path()), std::vector<std::string>{"photo.png"});
    }
}

}  // namespace
