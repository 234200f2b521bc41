// What worker threads may use: the memory messages and external binding.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "platform/loader/executable_path.h"
#include "runtime/application_object.h"
#include "runtime/external_binding.h"

namespace {

TEST(MemoryMessagesThreads, ConcurrentAllocateResizeFreeWhileTheStaticRangeChanges) {
    rt::ApplicationObject app;
    static char image[64];
    app.SetStaticDataRange(image, image + sizeof image);
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&app, t] {
            for (int i = 0; i < 2000; ++i) {
                auto* block = reinterpret_cast<char*>(app.Handle(rt::SN_ALLOC, 16 + i % 64, 0));
                std::memset(block, t, 16);
                block = reinterpret_cast<char*>(
                    app.Handle(rt::SN_REALLOC, reinterpret_cast<intptr_t>(block), 200));
                ASSERT_EQ(block[15], char(t));
                app.Handle(rt::SN_FREE, reinterpret_cast<intptr_t>(block), 0);
                // Never freed while the range is rewritten under it.
                app.Handle(rt::SN_FREE, reinterpret_cast<intptr_t>(image + 8), 0);
            }
        });
    }
    for (int i = 0; i < 2000; ++i) {
        app.SetStaticDataRange(image, image + sizeof image);
    }
    for (std::thread& worker : workers)
        worker.join();
}

TEST(ExternalBindingThreads, RacingFirstCallsBindOnceAndAgree) {
    rt::ExternalBinding binding;
    binding.SetProgramDirectory(platform::LocateExecutable().directory);
    const rt::ExternalDeclaration table[] = {
        {"libpicbatch-test-bind-with-ordinals.so", "TestAdd", 2},
        {"libpicbatch-test-bind-with-ordinals.so", "#3", 0},
    };
    binding.Declare(table, 2);
    std::vector<uintptr_t> seen(8);
    std::vector<std::thread> workers;
    for (size_t t = 0; t < seen.size(); ++t) {
        workers.emplace_back([&, t] { seen[t] = binding.BindExternal(uint32_t(t % 2)); });
    }
    for (std::thread& worker : workers)
        worker.join();
    for (size_t t = 0; t < seen.size(); ++t) {
        EXPECT_NE(seen[t], 0u);
        EXPECT_EQ(seen[t], seen[t % 2]);
    }
}

}  // namespace
