#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "runtime/exit_routines.h"
#include "runtime/file_pattern.h"
#include "runtime/services.h"

namespace rt {
namespace {

namespace fs = std::filesystem;

class FileSearch : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("picbatch-find-" + std::to_string(::getpid()));
        fs::create_directories(dir_ / "sub.jpg");  // a folder named like a picture
        for (const char* name : {"a.jpg", "B.JPG", "notes", "c.png", "d.tif"})
            std::ofstream(dir_ / name) << "x";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::set<std::string> Find(const std::string& pattern) {
        std::set<std::string> names;
        uintptr_t state = 0;
        std::string full = dir_.string() + "/" + pattern;
        auto* name = reinterpret_cast<char*>(RtAssist(HELP_FIND_FILE,
                                                      reinterpret_cast<uintptr_t>(full.c_str()), 0,
                                                      1, reinterpret_cast<uintptr_t>(&state)));
        while (name && *name) {
            EXPECT_EQ(std::string(name).find('/'), std::string::npos);  // no directory part
            names.insert(name);
            RtFree(name);
            name = reinterpret_cast<char*>(
                RtAssist(HELP_FIND_FILE, 0, 0, 1, reinterpret_cast<uintptr_t>(&state)));
        }
        RtAssist(HELP_END_FIND, state, 0, 0, 0);
        return names;
    }

    fs::path dir_;
};

TEST_F(FileSearch, StarDotStarFindsEveryFileButNoFolders) {
    EXPECT_EQ(Find("*.*"), (std::set<std::string>{"B.JPG", "a.jpg", "c.png", "d.tif", "notes"}));
}

TEST_F(FileSearch, ExtensionPatternsIgnoreCase) {
    EXPECT_EQ(Find("*.jpg"), (std::set<std::string>{"B.JPG", "a.jpg"}));
    EXPECT_EQ(Find("?.png"), (std::set<std::string>{"c.png"}));
    EXPECT_TRUE(Find("*.gif").empty());
}

TEST_F(FileSearch, MissingDirectoryFindsNothingAndEndingTwiceIsHarmless) {
    uintptr_t state = 0;
    EXPECT_EQ(RtAssist(HELP_FIND_FILE, reinterpret_cast<uintptr_t>("/no/such/dir/*.*"), 0, 1,
                       reinterpret_cast<uintptr_t>(&state)),
              0u);
    RtAssist(HELP_END_FIND, state, 0, 0, 0);
    RtAssist(HELP_END_FIND, state, 0, 0, 0);
    // A stale state word continues nothing.
    EXPECT_EQ(RtAssist(HELP_FIND_FILE, 0, 0, 1, reinterpret_cast<uintptr_t>(&state)), 0u);
}

TEST(FilePattern, WildcardsAndDoubleByteCharacters) {
    EXPECT_TRUE(MatchesFilePattern("photo.jpeg", "*.jpeg"));
    EXPECT_TRUE(MatchesFilePattern("noext", "*.*"));
    EXPECT_FALSE(MatchesFilePattern("photo.jpeg", "*.jpg"));
    EXPECT_TRUE(MatchesFilePattern("a.b.c", "*.c"));
    // '?' takes one whole double-byte character.
    EXPECT_TRUE(MatchesFilePattern("\xd5\xd5.png", "?.png"));
    EXPECT_FALSE(MatchesFilePattern("\xd5\xd5.png", "??.png"));
    // Pathological patterns finish quickly.
    EXPECT_FALSE(MatchesFilePattern(std::string(200, 'a'), "*a*a*a*a*a*a*a*b"));
}

TEST(PrepareArray, SharedConstantGetsAPrivateCopy) {
    ArrayBlock* variable = EmptyArray();
    RtAssist(HELP_PREPARE_ARRAY, 4, reinterpret_cast<uintptr_t>(&variable), 0, 0);
    ASSERT_NE(variable, EmptyArray());
    EXPECT_EQ(variable->dimensionCount, 1u);
    EXPECT_EQ(variable->elementCount(), 0u);
    ArrayBlock* privateBlock = variable;
    RtAssist(HELP_PREPARE_ARRAY, 4, reinterpret_cast<uintptr_t>(&variable), 0, 0);
    EXPECT_EQ(variable, privateBlock);  // already private: unchanged
    RtFree(variable);
    EXPECT_EQ(EmptyArray()->elementCount(), 0u);
}

std::string g_exitOrder;
void First() {
    g_exitOrder += "1";
}
void Second() {
    g_exitOrder += "2";
}

TEST(ExitRoutines, RunOnceInRegistrationOrder) {
    g_exitOrder.clear();
    RtAssist(HELP_AT_EXIT, reinterpret_cast<uintptr_t>(&First), 0, 0, 0);
    RtAssist(HELP_AT_EXIT, reinterpret_cast<uintptr_t>(&Second), 0, 0, 0);
    EXPECT_EQ(ExitRoutineCount(), 2u);
    RunExitRoutines();
    RunExitRoutines();
    EXPECT_EQ(g_exitOrder, "12");
    RtAssist(HELP_AT_EXIT, reinterpret_cast<uintptr_t>(&First), 0, 0, 0);
    DiscardExitRoutines();
    RunExitRoutines();
    EXPECT_EQ(g_exitOrder, "12");
}

}  // namespace
}  // namespace rt
