#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <future>
#include <thread>

#include "platform/messages/thread_message_queue.h"

namespace platform {
namespace {

HWND FakeWindow(int n) {
    return reinterpret_cast<HWND>(intptr_t(0x1000 + n));
}

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) == 1;
}

TEST(ThreadMessageQueue, PostPeekGetInOrderWithFilters) {
    ThreadId self = GetCurrentThreadId();
    ASSERT_TRUE(PostToThread(self, FakeWindow(1), 0x100, 1, 2));
    ASSERT_TRUE(PostThreadMessage(self, 0x401, 3, 4));
    ASSERT_TRUE(PostToThread(self, FakeWindow(2), 0x200, 5, 6));
    MSG msg;
    // Filters: only window 2, then only thread messages, then a range.
    ASSERT_TRUE(PeekMessage(&msg, FakeWindow(2), 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, 0x200u);
    ASSERT_TRUE(PeekMessage(&msg, kThreadMessagesOnly, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, 0x401u);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0x300, 0x3ff, PM_REMOVE));
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, 0x100u);
    EXPECT_EQ(msg.hwnd, FakeWindow(1));
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, 0x200u);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(ThreadMessageQueue, QuitComesAfterEverythingElse) {
    PostQuitMessage(7);
    PostThreadMessage(GetCurrentThreadId(), 0x500, 0, 0);
    MSG msg;
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, 0x500u);
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(HasInput());
}

TEST(ThreadMessageQueue, WakeFdIsReadableExactlyWhileInputWaits) {
    int fd = InputWakeFd();
    EXPECT_FALSE(Readable(fd));
    PostThreadMessage(GetCurrentThreadId(), 0x600, 0, 0);
    EXPECT_TRUE(Readable(fd));
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(Readable(fd));
}

TEST(ThreadMessageQueue, GetBlocksUntilAnotherThreadPosts) {
    ThreadId self = GetCurrentThreadId();
    MSG ready;
    PeekMessage(&ready, nullptr, 0, 0, PM_NOREMOVE);  // make sure the queue exists
    std::thread poster([self] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostThreadMessage(self, 0x700, 42, 0);
    });
    MSG msg;
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.wParam, 42u);
    poster.join();
    EXPECT_FALSE(WaitMessage(10));
}

TEST(ThreadMessageQueue, PostingToAnEndedThreadFails) {
    ThreadId ended = 0;
    std::thread worker([&ended] {
        ended = GetCurrentThreadId();
        HasInput();
    });
    worker.join();
    EXPECT_FALSE(PostThreadMessage(ended, 0x100, 0, 0));
    EXPECT_FALSE(PostThreadMessage(999999, 0x100, 0, 0));
}

// A send from another thread runs on the receiving thread, while that thread
// is waiting for its messages.
TEST(ThreadMessageQueue, SendRunsOnTheTargetThread) {
    std::promise<ThreadId> idPromise;
    std::atomic<bool> stop{false};
    std::thread owner([&] {
        idPromise.set_value(GetCurrentThreadId());
        while (!stop)
            WaitMessage(5);
    });
    ThreadId ownerId = idPromise.get_future().get();
    std::thread::id ranOn;
    intptr_t answer = SendToThread(ownerId, [&] {
        ranOn = std::this_thread::get_id();
        return intptr_t(99);
    });
    EXPECT_EQ(answer, 99);
    EXPECT_EQ(ranOn, owner.get_id());
    stop = true;
    owner.join();
    EXPECT_EQ(SendToThread(ownerId, [] { return intptr_t(1); }), 0);  // ended: not run
}

// Two threads sending to each other at once must both complete.
TEST(ThreadMessageQueue, MutualSendsDoNotDeadlock) {
    std::promise<ThreadId> aId, bId;
    auto aFuture = aId.get_future().share(), bFuture = bId.get_future().share();
    std::atomic<int> completed{0};
    auto body = [&](std::promise<ThreadId>& mine, std::shared_future<ThreadId> other) {
        mine.set_value(GetCurrentThreadId());
        ThreadId peer = other.get();
        for (int i = 0; i < 50; ++i) {
            if (SendToThread(peer, [] { return intptr_t(1); }) == 1)
                ++completed;
        }
        // Keep serving the peer's sends until it is done too.
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (completed < 100 && std::chrono::steady_clock::now() < until)
            WaitMessage(2);
    };
    std::thread a(body, std::ref(aId), bFuture), b(body, std::ref(bId), aFuture);
    a.join();
    b.join();
    EXPECT_EQ(completed, 100);
}

class CountingSource : public MessageSource {
public:
    bool Generate(MSG* msg, HWND, uint32_t, uint32_t, bool remove) override {
        if (pending == 0)
            return false;
        msg->message = 0x113;  // a timer tick
        if (remove)
            --pending;
        return true;
    }
    int NextWakeMs() override { return pending ? 0 : -1; }
    int pending = 2;
};

TEST(ThreadMessageQueue, MadeUpMessagesComeAfterPostedOnes) {
    CountingSource source;
    SetThreadMessageSource(&source);
    PostThreadMessage(GetCurrentThreadId(), 0x800, 0, 0);
    MSG msg;
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, 0x800u);
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, 0x113u);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    SetThreadMessageSource(nullptr);
}

}  // namespace
}  // namespace platform
