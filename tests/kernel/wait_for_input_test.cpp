#include <gtest/gtest.h>

#include <chrono>

#include "platform/kernel/kernel.h"
#include "platform/messages/thread_message_queue.h"

namespace platform::kernel {
namespace {

// A message source whose timer falls due a little after the wait starts:
// such input never signals the queue's wake descriptor.
class DueLater : public MessageSource {
public:
    bool Generate(MSG* msg, HWND, uint32_t, uint32_t, bool) override {
        if (std::chrono::steady_clock::now() < due_)
            return false;
        msg->message = 0x113;
        return true;
    }
    int NextWakeMs() override { return 5; }

private:
    std::chrono::steady_clock::time_point due_ =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(30);
};

TEST(WaitForInput, MadeUpInputEndsTheWait) {
    DueLater source;
    SetThreadMessageSource(&source);
    // Only the source's timer can end this wait before its two seconds are up.
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, 2000, 1), kWaitObject0 + 0);
    SetThreadMessageSource(nullptr);
}

TEST(WaitForInput, WithoutInputTheWaitTimesOut) {
    class Idle : public MessageSource {
        bool Generate(MSG*, HWND, uint32_t, uint32_t, bool) override { return false; }
        int NextWakeMs() override { return 5; }
    } idle;
    SetThreadMessageSource(&idle);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, 40, 1), kWaitTimeout);
    SetThreadMessageSource(nullptr);
}

}  // namespace
}  // namespace platform::kernel
