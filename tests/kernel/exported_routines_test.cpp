// The application binds the kernel by routine name: every name it may ask
// for must be exported from the shared library, with C linkage.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

using W = uintptr_t;

class KernelLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        library_ = dlopen("libpicbatch-kernel.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (library_)
            dlclose(library_);
    }
    template <typename F>
    F Find(const char* name) {
        return reinterpret_cast<F>(dlsym(library_, name));
    }
    void* library_ = nullptr;
};

TEST_F(KernelLibrary, WordShapedRoutinesWorkThroughTheirExportedNames) {
    auto alloc = Find<W (*)(W, W)>("GlobalAlloc");
    auto lock = Find<W (*)(W)>("GlobalLock");
    auto size = Find<W (*)(W)>("GlobalSize");
    auto free = Find<W (*)(W)>("GlobalFree");
    auto copy = Find<W (*)(W, W, W)>("lstrcpynA");
    auto queue = Find<W (*)(W, W, W, W)>("CreateIoCompletionPort");
    auto post = Find<W (*)(W, W, W, W)>("PostQueuedCompletionStatus");
    auto take = Find<W (*)(W, W, W, W, W)>("GetQueuedCompletionStatus");
    auto close = Find<W (*)(W)>("CloseHandle");
    ASSERT_TRUE(alloc && lock && size && free && copy && queue && post && take && close);

    W block = alloc(2, 16);
    EXPECT_EQ(size(block), 16u);
    EXPECT_EQ(free(block), 0u);
    // lstrcpynA with a count of 0 answers its destination untouched: the
    // picture object relies on this to learn a variable's address.
    char variable[4] = "abc";
    EXPECT_EQ(copy(W(variable), W(variable), 0), W(variable));
    EXPECT_STREQ(variable, "abc");
    char out[4];
    copy(W(out), W("hello"), sizeof out);
    EXPECT_STREQ(out, "hel");

    // A time-out of -1 sign-extended is still "infinite", and 32-bit values
    // travel in the low half of a word.
    W q = queue(W(-1), 0, 0, 2);
    ASSERT_NE(q, 0u);
    EXPECT_EQ(post(q, 0xFFFFFFFFu, 0, 0), 1u);
    uint32_t value = 0;
    W key = 0, overlapped = 0;
    EXPECT_EQ(take(q, W(&value), W(&key), W(&overlapped), W(int64_t(-1))), 1u);
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_EQ(close(q), 1u);
}

}  // namespace
