// Every routine the application declares must be found, under its name, in
// the library it names: a misspelt name would only show when first called.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/external_routines.h"
#include "platform/loader/executable_path.h"

namespace app {
namespace {

TEST(ExternalTable, EveryDeclaredRoutineIsExportedByItsLibrary) {
    const rt::ExternalDeclaration* table = ExternalRoutineTable();
    std::set<std::string> libraries;
    for (uint32_t i = 0; i < kExternalRoutineCount; ++i) {
        ASSERT_NE(table[i].library, nullptr);
        // By full path from the program directory, as the binder loads them.
        std::string path = platform::LocateExecutable().directory + "/" + table[i].library;
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << table[i].library << ": " << dlerror();
        EXPECT_NE(dlsym(library, table[i].routine), nullptr)
            << "routine " << i << " " << table[i].routine << " in " << table[i].library;
        dlclose(library);
        libraries.insert(table[i].library);
    }
    EXPECT_EQ(libraries, (std::set<std::string>{kKernelLibrary, kImagingLibrary}));
}

TEST(ExternalTable, TheReasonRoutineFollowsTheFortyFourFirstOnes) {
    const rt::ExternalDeclaration* table = ExternalRoutineTable();
    ASSERT_EQ(kExternalRoutineCount, 45u);
    EXPECT_STREQ(table[EXT_ARM_TIMER].routine, "SetWaitableTimer");  // number 43 stays
    EXPECT_EQ(EXT_LAST_FAILURE_TEXT, 44u);
    EXPECT_STREQ(table[EXT_LAST_FAILURE_TEXT].library, kImagingLibrary);
    EXPECT_STREQ(table[EXT_LAST_FAILURE_TEXT].routine, "GdipGetLastFailureText");
    EXPECT_EQ(table[EXT_LAST_FAILURE_TEXT].argumentCount, 2u);
}

}  // namespace
}  // namespace app
