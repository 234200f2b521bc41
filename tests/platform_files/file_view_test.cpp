// The mapped view of a file: it shows the file's bytes and every later write
// to them, through its own file object or another, and it keeps covering the
// file as the file grows into the room mapped past its end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/files/file.h"
#include "platform/files/file_view.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

using platform::File;
using platform::FileError;
using platform::FileView;
using platform::OpenMode;

std::string Seen(const FileView& view, int64_t offset, size_t count) {
    return std::string(reinterpret_cast<const char*>(view.Data()) + offset, count);
}

TEST(FileViewTest, ShowsTheBytesAndEveryLaterWrite) {
    datafiles_test::ScratchDir dir;
    const std::string path = dir.File("view.bin");
    File file, other;
    ASSERT_EQ(file.Open(path, OpenMode::CreateNew), FileError::None);
    ASSERT_EQ(file.Write("first bytes", 11), FileError::None);
    ASSERT_EQ(other.Open(path, OpenMode::ReadWrite), FileError::None);

    FileView view;
    ASSERT_EQ(view.Map(file, 1 << 20), FileError::None);
    ASSERT_TRUE(view.IsMapped());
    EXPECT_EQ(view.Length(), 1 << 20);
    EXPECT_EQ(Seen(view, 0, 11), "first bytes");

    // Another file object overwrites in place, then grows the file past the
    // length it had when it was mapped.
    ASSERT_EQ(other.Seek(6), FileError::None);
    ASSERT_EQ(other.Write("BYTES", 5), FileError::None);
    EXPECT_EQ(Seen(view, 0, 11), "first BYTES");
    ASSERT_EQ(other.Seek(300000), FileError::None);
    ASSERT_EQ(other.Write("far on", 6), FileError::None);
    EXPECT_EQ(Seen(view, 300000, 6), "far on");
    EXPECT_EQ(Seen(view, 299998, 2), std::string(2, '\0'));  // the gap reads as zeros

    // Mapping again replaces the view; unmapping leaves nothing behind.
    ASSERT_EQ(view.Map(file, 4096), FileError::None);
    EXPECT_EQ(view.Length(), 4096);
    EXPECT_EQ(Seen(view, 0, 5), "first");
    view.Unmap();
    EXPECT_FALSE(view.IsMapped());
    EXPECT_EQ(view.Data(), nullptr);
    EXPECT_EQ(view.Length(), 0);
}

TEST(FileViewTest, RefusesWhatCannotBeMapped) {
    datafiles_test::ScratchDir dir;
    File file;
    FileView view;
    EXPECT_EQ(view.Map(file, 4096), FileError::NotOpen);
    ASSERT_EQ(file.Open(dir.File("empty.bin"), OpenMode::CreateNew), FileError::None);
    EXPECT_EQ(view.Map(file, 0), FileError::BadSeek);
    EXPECT_EQ(view.Map(file, -1), FileError::BadSeek);
    EXPECT_FALSE(view.IsMapped());
}

}  // namespace
