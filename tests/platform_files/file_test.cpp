// The platform file object: opening by runtime-text name, positioned reads
// and writes, length changes, and locks that exclude other file objects of
// the same process as well as other processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/files/file.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

using platform::File;
using platform::FileError;
using platform::OpenMode;

class PlatformFileTest : public ::testing::Test {
protected:
    datafiles_test::ScratchDir dir_;
    std::string path_ = dir_.File("data.bin");
};

TEST_F(PlatformFileTest, OpenModesAnswerTheRightErrors) {
    File file;
    EXPECT_EQ(file.Open(path_, OpenMode::ReadWrite), FileError::NotFound);
    EXPECT_EQ(file.Open(dir_.File("no/such/dir/x"), OpenMode::OpenOrCreate), FileError::NotFound);
    EXPECT_EQ(file.Open("", OpenMode::ReadOnly), FileError::BadPath);
    ASSERT_EQ(file.Open(path_, OpenMode::CreateNew), FileError::None);
    file.Close();
    EXPECT_EQ(file.Open(path_, OpenMode::CreateNew), FileError::AccessDenied);
    EXPECT_FALSE(file.IsOpen());
    size_t done = 0;
    char byte;
    EXPECT_EQ(file.Read(&byte, 1, done), FileError::NotOpen);
    EXPECT_EQ(file.Write(&byte, 1), FileError::NotOpen);
}

TEST_F(PlatformFileTest, NamesAreRuntimeTextsConvertedForTheSystem) {
    // "数据" in GB18030; on disk the name is UTF-8.
    const std::string runtimeName = dir_.File("\xCA\xFD\xBE\xDD.bin");
    File file;
    ASSERT_EQ(file.Open(runtimeName, OpenMode::CreateTruncate), FileError::None);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("\xE6\x95\xB0\xE6\x8D\xAE.bin")));
}

TEST_F(PlatformFileTest, ReadsWritesSeeksAndLengthChanges) {
    File file;
    ASSERT_EQ(file.Open(path_, OpenMode::CreateTruncate), FileError::None);
    ASSERT_EQ(file.Write("hello world", 11), FileError::None);
    EXPECT_EQ(file.Position(), 11);
    ASSERT_EQ(file.Seek(20), FileError::None);
    ASSERT_EQ(file.Write("!", 1), FileError::None);
    int64_t length = 0;
    ASSERT_EQ(file.Length(length), FileError::None);
    EXPECT_EQ(length, 21);

    char buffer[32] = {};
    size_t done = 0;
    ASSERT_EQ(file.Seek(6), FileError::None);
    ASSERT_EQ(file.Read(buffer, 32, done), FileError::None);
    EXPECT_EQ(done, 15u);  // a short read at the end is no error
    EXPECT_EQ(std::string(buffer, 5), "world");
    EXPECT_EQ(buffer[5], 0);  // the gap reads as zeros
    EXPECT_EQ(file.Seek(-1), FileError::BadSeek);

    ASSERT_EQ(file.SetLength(5), FileError::None);
    ASSERT_EQ(file.Length(length), FileError::None);
    EXPECT_EQ(length, 5);
    ASSERT_EQ(file.Seek(0), FileError::None);
    ASSERT_EQ(file.Read(buffer, 32, done), FileError::None);
    EXPECT_EQ(done, 5u);
}

TEST_F(PlatformFileTest, LocksExcludeOtherFileObjectsAndProcesses) {
    File first, second;
    ASSERT_EQ(first.Open(path_, OpenMode::CreateTruncate), FileError::None);
    ASSERT_EQ(second.Open(path_, OpenMode::ReadWrite), FileError::None);
    ASSERT_EQ(first.Lock(512, 1), FileError::None);
    EXPECT_EQ(first.Lock(512, 1), FileError::None);  // a holder may lock again
    EXPECT_EQ(second.Lock(512, 1), FileError::LockViolation);
    EXPECT_EQ(second.Lock(513, 1), FileError::None);
    EXPECT_EQ(second.LockWhole(), FileError::LockViolation);

    // Another process meets the same lock.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        File third;
        const bool opened = third.Open(path_, OpenMode::ReadWrite) == FileError::None;
        _exit(opened && third.Lock(512, 1) == FileError::LockViolation ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // A waiting lock is granted when the holder lets go.
    std::atomic<bool> granted{false};
    std::thread waiter([&] {
        EXPECT_EQ(second.Lock(512, 1, true), FileError::None);
        granted = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(granted);
    ASSERT_EQ(first.Unlock(512, 1), FileError::None);
    waiter.join();
    EXPECT_TRUE(granted);

    // A reader's lock is shared: it keeps writers out, not other readers.
    File reader, otherReader;
    ASSERT_EQ(reader.Open(path_, OpenMode::ReadOnly), FileError::None);
    ASSERT_EQ(otherReader.Open(path_, OpenMode::ReadOnly), FileError::None);
    ASSERT_EQ(reader.Lock(900, 1), FileError::None);
    EXPECT_EQ(otherReader.Lock(900, 1), FileError::None);
    EXPECT_EQ(first.Lock(900, 1), FileError::LockViolation);
    reader.Close();
    otherReader.Close();

    // Closing a file object releases its locks.
    second.Close();
    EXPECT_EQ(first.LockWhole(), FileError::None);
    EXPECT_EQ(first.UnlockWhole(), FileError::None);
}

}  // namespace
