// External routine binding: the search order and table bookkeeping against a
// recording loader, then real shared libraries through dlopen.
#include "runtime/external_binding.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/loader/executable_path.h"
#include "runtime/application_object.h"
#include "runtime/services.h"

namespace {

namespace fs = std::filesystem;
using rt::ExternalBinding;
using rt::ExternalDeclaration;

// A loader that records every platform operation. Libraries "exist" when
// listed in `available`, each with the routines it exports.
struct FakePlatform {
    std::map<std::string, std::map<std::string, uintptr_t>> available;
    std::vector<std::string> opened;
    std::vector<std::string> closed;
    int lookups = 0;
    std::vector<std::string> reports;
} g_fake;

platform::LibraryHandle FakeOpen(std::string_view name) {
    g_fake.opened.emplace_back(name);
    auto it = g_fake.available.find(std::string(name));
    return it == g_fake.available.end() ? nullptr : const_cast<std::string*>(&it->first);
}

void FakeClose(platform::LibraryHandle library) {
    g_fake.closed.push_back(*static_cast<std::string*>(library));
}

platform::RoutineLookup FakeFind(platform::LibraryHandle library, std::string_view name) {
    ++g_fake.lookups;
    auto& routines = g_fake.available[*static_cast<std::string*>(library)];
    auto it = routines.find(std::string(name));
    if (it == routines.end())
        return {};
    return {reinterpret_cast<void*>(it->second), platform::LookupFailure::None};
}

platform::RoutineLookup FakeFindOrdinal(platform::LibraryHandle library, uint16_t ordinal) {
    return FakeFind(library, "ordinal " + std::to_string(ordinal));
}

const rt::LibraryLoader kFakeLoader = {&FakeOpen, &FakeClose, &FakeFind, &FakeFindOrdinal};

class BindingOrderTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_fake = {};
        binding_.SetFailureReporter(
            [](const std::string& text) { g_fake.reports.push_back(text); });
        binding_.SetProgramDirectory("/prog");
    }
    ExternalBinding binding_{kFakeLoader};
};

TEST(OrdinalNames, TakeTheLowSixteenBitsOfTheNumber) {
    uint16_t ordinal = 0;
    ASSERT_TRUE(rt::ParseOrdinalName("#12", &ordinal));
    EXPECT_EQ(ordinal, 12);
    ASSERT_TRUE(rt::ParseOrdinalName("#65548", &ordinal));
    EXPECT_EQ(ordinal, 12);
    EXPECT_FALSE(rt::ParseOrdinalName("#", &ordinal));
    EXPECT_FALSE(rt::ParseOrdinalName("#1a", &ordinal));
    EXPECT_FALSE(rt::ParseOrdinalName("Open", &ordinal));
}

TEST_F(BindingOrderTest, DirectoriesAreTriedFirstProgramSecondThenTheBareName) {
    const ExternalDeclaration table[] = {{"libx.so", "Run", 0}};
    binding_.Declare(table, 1);
    binding_.SetSearchDirectories("/first/", "/second/");
    EXPECT_EQ(binding_.BindExternal(0), 0u);
    EXPECT_EQ(g_fake.opened, (std::vector<std::string>{"/first/libx.so", "/prog/libx.so",
                                                       "/second/libx.so", "libx.so"}));
    ASSERT_EQ(g_fake.reports.size(), 1u);
    EXPECT_NE(g_fake.reports[0].find("\"libx.so\""), std::string::npos);
    EXPECT_NE(g_fake.reports[0].find("\"Run\""), std::string::npos);
}

TEST_F(BindingOrderTest, EmptySearchDirectoriesLeaveProgramDirectoryThenBareName) {
    const ExternalDeclaration table[] = {{"libx.so", "Run", 0}};
    binding_.Declare(table, 1);
    g_fake.available["libx.so"] = {{"Run", 0x1234}};
    EXPECT_EQ(binding_.BindExternal(0), 0x1234u);
    EXPECT_EQ(g_fake.opened, (std::vector<std::string>{"/prog/libx.so", "libx.so"}));
}

TEST_F(BindingOrderTest, PathsAreLoadedOnceAsGiven) {
    const ExternalDeclaration table[] = {{"C:lib.so", "Run", 0}, {"/opt/lib.so", "Run", 0}};
    binding_.Declare(table, 2);
    binding_.SetSearchDirectories("/first/", "/second/");
    binding_.BindExternal(0);
    binding_.BindExternal(1);
    EXPECT_EQ(g_fake.opened, (std::vector<std::string>{"C:lib.so", "/opt/lib.so"}));
    EXPECT_EQ(g_fake.reports.size(), 2u);
}

TEST_F(BindingOrderTest, BoundRoutineIsCachedAndReleasedOnceAtExit) {
    const ExternalDeclaration table[] = {{"/a.so", "Run", 0}, {"/a.so", "Stop", 0}};
    binding_.Declare(table, 2);
    g_fake.available["/a.so"] = {{"Run", 0x10}, {"Stop", 0x20}};
    EXPECT_EQ(binding_.BindExternal(0), 0x10u);
    EXPECT_EQ(binding_.BindExternal(1), 0x20u);
    size_t opens = g_fake.opened.size();
    int lookups = g_fake.lookups;
    EXPECT_EQ(binding_.BindExternal(0), 0x10u);
    EXPECT_EQ(g_fake.opened.size(), opens);
    EXPECT_EQ(g_fake.lookups, lookups);
    // Each binding holds its own load of the library.
    binding_.ReleaseAll();
    EXPECT_EQ(g_fake.closed, (std::vector<std::string>{"/a.so", "/a.so"}));
    EXPECT_EQ(binding_.Count(), 0u);
}

TEST_F(BindingOrderTest, SystemLibrariesAreTriedInOrderSkippingMissingOnes) {
    binding_.SetSystemLibraries({"sys1.so", "sys2.so", "sys3.so", "sys4.so"});
    g_fake.available["sys2.so"] = {{"Other", 1}};
    g_fake.available["sys3.so"] = {{"Run", 0x30}};
    g_fake.available["sys4.so"] = {{"Run", 0x40}};
    const ExternalDeclaration table[] = {{"", "Run", 0}, {nullptr, "Missing", 0}};
    binding_.Declare(table, 2);
    EXPECT_EQ(binding_.BindExternal(0), 0x30u);
    EXPECT_EQ(g_fake.opened, (std::vector<std::string>{"sys1.so", "sys2.so", "sys3.so"}));
    // The library that lacked the routine was let go at once.
    EXPECT_EQ(g_fake.closed, (std::vector<std::string>{"sys2.so"}));

    EXPECT_EQ(binding_.BindExternal(1), 0u);
    ASSERT_EQ(g_fake.reports.size(), 1u);
    EXPECT_NE(g_fake.reports[0].find("system libraries"), std::string::npos);
}

TEST_F(BindingOrderTest, OneShotResolvesOnceUncachedAndIsClearedEvenOnFailure) {
    const ExternalDeclaration table[] = {{"/a.so", "Run", 0}};
    binding_.Declare(table, 1);
    g_fake.available["/shot.so"] = {{"Run", 0x77}, {"Special", 0x88}};
    auto* shot = FakeOpen("/shot.so");
    g_fake.opened.clear();

    binding_.SetOneShot(shot, "Special");
    EXPECT_EQ(binding_.BindExternal(0), 0x88u);
    EXPECT_FALSE(binding_.OneShotActive());
    EXPECT_EQ(binding_.CachedAddress(0), 0u);

    binding_.SetOneShot(shot, "");
    EXPECT_EQ(binding_.BindExternal(0), 0x77u);
    EXPECT_EQ(binding_.CachedAddress(0), 0u);

    binding_.SetOneShot(shot, "Absent");
    EXPECT_EQ(binding_.BindExternal(0), 0u);
    EXPECT_FALSE(binding_.OneShotActive());
    EXPECT_EQ(g_fake.reports.size(), 1u);
    EXPECT_TRUE(g_fake.opened.empty());
}

TEST_F(BindingOrderTest, OrdinalNamesGoThroughTheOrdinalLookUp) {
    const ExternalDeclaration table[] = {{"/a.so", "#65548", 0}};
    binding_.Declare(table, 1);
    g_fake.available["/a.so"] = {{"ordinal 12", 0x12}};
    EXPECT_EQ(binding_.BindExternal(0), 0x12u);
}

// Real libraries, built beside this test program.
class RealLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        programDirectory_ = platform::LocateExecutable().directory;
        binding_.SetProgramDirectory(programDirectory_);
        binding_.SetFailureReporter(
            [](const std::string& text) { g_fake.reports.push_back(text); });
        g_fake = {};
        scratch_ = fs::temp_directory_path() /
                   ("picbatch-binding-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(scratch_);
    }
    void TearDown() override {
        binding_.ReleaseAll();
        fs::remove_all(scratch_);
    }
    // Copies the ordinal test library into the scratch folder as `name`.
    std::string CopyLibrary(const std::string& folder, const std::string& name) {
        fs::create_directories(scratch_ / folder);
        fs::path target = scratch_ / folder / name;
        fs::copy_file(fs::path(programDirectory_) / kLibrary, target);
        return (scratch_ / folder).string() + "/";
    }
    static std::string FileOf(uintptr_t address) {
        Dl_info info{};
        if (!dladdr(reinterpret_cast<void*>(address), &info) || !info.dli_fname)
            return {};
        return fs::canonical(info.dli_fname).string();
    }
    static constexpr const char* kLibrary = "libpicbatch-test-bind-with-ordinals.so";

    std::string programDirectory_;
    fs::path scratch_;
    ExternalBinding binding_;
};

using Add = uintptr_t (*)(uintptr_t, uintptr_t);

TEST_F(RealLibraryTest, BindsByNameAndByOrdinalFromTheProgramDirectory) {
    const ExternalDeclaration table[] = {
        {kLibrary, "TestAdd", 2}, {kLibrary, "#12", 2}, {kLibrary, "#65539", 0}};
    binding_.Declare(table, 3);
    uintptr_t byName = binding_.BindExternal(0);
    ASSERT_NE(byName, 0u);
    EXPECT_EQ(reinterpret_cast<Add>(byName)(2, 3), 5u);
    EXPECT_EQ(binding_.BindExternal(1), byName);
    uintptr_t answer = binding_.BindExternal(2);
    ASSERT_NE(answer, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t (*)()>(answer)(), 42u);
    EXPECT_EQ(FileOf(byName), fs::canonical(fs::path(programDirectory_) / kLibrary).string());
    EXPECT_TRUE(g_fake.reports.empty());
}

TEST_F(RealLibraryTest, EachSearchDirectoryIsUsedWhenItHoldsTheLibrary) {
    const ExternalDeclaration table[] = {{"libbind-copy.so", "TestAdd", 2}};
    std::string first = CopyLibrary("first", "libbind-copy.so");
    std::string second = CopyLibrary("second", "libbind-copy.so");

    binding_.SetSearchDirectories(first, second);
    binding_.Declare(table, 1);
    EXPECT_EQ(FileOf(binding_.BindExternal(0)), fs::canonical(first + "libbind-copy.so").string());

    binding_.SetSearchDirectories("", second);
    binding_.Declare(table, 1);
    EXPECT_EQ(FileOf(binding_.BindExternal(0)), fs::canonical(second + "libbind-copy.so").string());

    // In the program directory (here: a folder of its own).
    std::string program = CopyLibrary("program", "libbind-copy.so");
    program.pop_back();
    binding_.SetProgramDirectory(program);
    binding_.Declare(table, 1);
    EXPECT_EQ(FileOf(binding_.BindExternal(0)),
              fs::canonical(program + "/libbind-copy.so").string());
    EXPECT_TRUE(g_fake.reports.empty());
}

TEST_F(RealLibraryTest, BareNameFallsBackToThePlatformSearch) {
    // Neither search directory nor the program directory holds the C
    // library; the platform's default search finds it.
    binding_.SetProgramDirectory(scratch_.string());
    binding_.SetSearchDirectories(scratch_.string() + "/", scratch_.string() + "/");
    const ExternalDeclaration table[] = {{"libc.so.6", "labs", 1}};
    binding_.Declare(table, 1);
    uintptr_t address = binding_.BindExternal(0);
    ASSERT_NE(address, 0u);
    EXPECT_EQ(reinterpret_cast<long (*)(long)>(address)(-42), 42);
}

TEST_F(RealLibraryTest, OrdinalFailuresSayWhy) {
    const ExternalDeclaration table[] = {
        {"libpicbatch-test-bind-without-ordinals.so", "#12", 2},
        {kLibrary, "#99", 0},
        {kLibrary, "#7", 0},
        {"libpicbatch-no-such-library.so", "TestAdd", 2},
    };
    binding_.Declare(table, 4);
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(binding_.BindExternal(i), 0u);
    ASSERT_EQ(g_fake.reports.size(), 4u);
    EXPECT_NE(g_fake.reports[0].find("no ordinal table"), std::string::npos) << g_fake.reports[0];
    EXPECT_NE(g_fake.reports[1].find("does not list it"), std::string::npos) << g_fake.reports[1];
    EXPECT_NE(g_fake.reports[2].find("does not export it"), std::string::npos) << g_fake.reports[2];
    EXPECT_NE(g_fake.reports[3].find("could not be loaded"), std::string::npos)
        << g_fake.reports[3];
}

// RtCallExternal over the process-wide ApplicationObject.
class CallExternalTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& app = rt::ApplicationObject::Instance();
        auto location = platform::LocateExecutable();
        app.SetProgramLocation(location.directory, location.fileName);
        rt::SetExternalDeclarations(kTable, 4);
    }
    void TearDown() override { rt::SetExternalDeclarations(nullptr, 0); }
    static constexpr ExternalDeclaration kTable[] = {
        {"libpicbatch-test-bind-with-ordinals.so", "TestAdd", 2},
        {"libpicbatch-test-bind-with-ordinals.so", "TestWeigh16", 16},
        {"libpicbatch-test-bind-with-ordinals.so", "#3", 0},
        {"libpicbatch-test-bind-with-ordinals.so", "TestMissing", 1},
    };
};

TEST_F(CallExternalTest, CallsWithTheDeclaredWordsInOrder) {
    const uintptr_t pair[] = {uintptr_t(1) << 40, 7};
    EXPECT_EQ(rt::RtCallExternal(0, 2, pair), (uintptr_t(1) << 40) + 7);
    uintptr_t words[16];
    uintptr_t expected = 0;
    for (int i = 0; i < 16; ++i) {
        words[i] = uintptr_t(100 + i);
        expected += uintptr_t(100 + i) * uintptr_t(i + 1);
    }
    EXPECT_EQ(rt::RtCallExternal(1, 16, words), expected);
    EXPECT_EQ(rt::RtCallExternal(2, 0, nullptr), 42u);
}

TEST_F(CallExternalTest, DeathWrongArgumentCountRaisesRuntimeError6) {
    const uintptr_t one[] = {1};
    EXPECT_EXIT(rt::RtCallExternal(0, 1, one), ::testing::ExitedWithCode(1), "runtime error 6");
}

TEST_F(CallExternalTest, DeathMissingRoutineEndsTheProgramWithStatusMinusOne) {
    const uintptr_t one[] = {1};
    EXPECT_EXIT(rt::RtCallExternal(3, 1, one), ::testing::ExitedWithCode(255),
                "TestMissing.*could not be bound.*does not export it");
}

}  // namespace
