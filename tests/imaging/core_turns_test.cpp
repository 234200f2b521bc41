// Core turns: no more large loads and saves at once than there are turns,
// saves before loads, small pictures free of them, and no turn held between
// calls or while waiting for memory, so turns and the memory budget never
// wait for each other.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/imaging/codecs.h"
#include "platform/imaging/core_turns.h"
#include "platform/imaging/imaging.h"
#include "platform/imaging/memory_budget.h"
#include "reference_files.h"

namespace platform::imaging {
namespace {

using namespace testing;

constexpr uint32_t kWidth = 1024, kHeight = 1024;  // 3 MiB of pixels: a large picture
constexpr size_t kLargeBytes = size_t(kWidth) * kHeight * 3;

class CoreTurnsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Startup(&token_), kOk);
        SetCoreTurns(1);
    }
    void TearDown() override {
        SetCoreTurns(0);
        SetMemoryBudget(0);
        Shutdown(token_);
    }
    uintptr_t token_ = 0;
};

void WaitUntil(const std::function<bool()>& condition) {
    while (!condition())
        std::this_thread::yield();
}

TEST_F(CoreTurnsTest, AWaitingSaveGoesBeforeAWaitingLoadAndSmallPicturesNeverWait) {
    std::mutex mutex;
    std::vector<char> order;
    std::thread load, save;
    {
        CoreTurnScope holder(TurnKind::Save, kLargeBytes);
        EXPECT_EQ(CoreTurnsNow().busy, 1u);
        load = std::thread([&] {
            CoreTurnScope scope(TurnKind::Load);
            auto image = Image::Create(kWidth, kHeight, PixelLayout::Bgr24);
            std::lock_guard lock(mutex);
            order.push_back('L');
        });
        WaitUntil([] { return CoreTurnsNow().waits == 1; });
        save = std::thread([&] {
            CoreTurnScope scope(TurnKind::Save, kLargeBytes);
            std::lock_guard lock(mutex);
            order.push_back('S');
        });
        WaitUntil([] { return CoreTurnsNow().waits == 2; });
        // A small picture's load goes ahead of both.
        std::thread([] {
            CoreTurnScope scope(TurnKind::Load);
            EXPECT_TRUE(Image::Create(640, 480, PixelLayout::Bgr24));
        }).join();
        CoreTurnScope nested(TurnKind::Save, kLargeBytes);  // inside the holder: no second turn
        EXPECT_EQ(CoreTurnsNow().busy, 1u);
        EXPECT_EQ(CoreTurnsNow().waits, 2u);
    }
    load.join();
    save.join();
    EXPECT_EQ(order, (std::vector<char>{'S', 'L'}));
    EXPECT_EQ(CoreTurnsNow().busy, 0u);
    EXPECT_EQ(CoreTurnsNow().peakBusy, 1u);
}

TEST_F(CoreTurnsTest, OnlyASaveHoldingItsTurnOffersWorkAndOnlyWhenNothingWaits) {
    SetCoreTurns(2);
    EXPECT_FALSE(SpareTurn::Worthwhile());  // no save at all
    {
        CoreTurnScope load(TurnKind::Load);
        EXPECT_FALSE(SpareTurn::Worthwhile());
    }
    {
        CoreTurnScope smallSave(TurnKind::Save, kLargeBytes - 1);  // holds no turn
        EXPECT_FALSE(SpareTurn::Worthwhile());
    }
    CoreTurnScope save(TurnKind::Save, kLargeBytes);
    EXPECT_TRUE(SpareTurn::Worthwhile());
    SetCoreTurns(1);  // one core: a helper could never run beside the save
    EXPECT_FALSE(SpareTurn::Worthwhile());
    SetCoreTurns(2);

    // A second save takes the other turn (nothing waits yet); a third
    // waits, and from then on no work is offered.
    std::atomic<bool> release{false};
    std::thread second([&] {
        CoreTurnScope scope(TurnKind::Save, kLargeBytes);
        WaitUntil([&] { return release.load(); });
    });
    WaitUntil([] { return CoreTurnsNow().busy == 2; });
    EXPECT_TRUE(SpareTurn::Worthwhile());
    std::thread third([] { CoreTurnScope scope(TurnKind::Save, kLargeBytes); });
    WaitUntil([] { return CoreTurnsNow().waiting == 1; });
    EXPECT_FALSE(SpareTurn::Worthwhile());
    release = true;
    second.join();
    third.join();
    EXPECT_EQ(CoreTurnsNow().waiting, 0u);
    EXPECT_EQ(CoreTurnsNow().busy, 1u);
    EXPECT_TRUE(SpareTurn::Worthwhile());
}

TEST_F(CoreTurnsTest, ASpareTurnWaitsBehindLoadsAndIsCountedAndGivenBack) {
    std::mutex mutex;
    std::vector<char> order;
    SpareTurn spare;
    std::thread helper, load;
    {
        CoreTurnScope save(TurnKind::Save, kLargeBytes);
        helper = std::thread([&] {
            ASSERT_TRUE(spare.Take());
            {
                std::lock_guard lock(mutex);
                order.push_back('S');
            }
            EXPECT_EQ(CoreTurnsNow().busy, 1u);
            spare.Give();
        });
        load = std::thread([&] {
            CoreTurnScope scope(TurnKind::Load);
            Image::Create(kWidth, kHeight, PixelLayout::Bgr24);
            std::lock_guard lock(mutex);
            order.push_back('L');
        });
        WaitUntil([] { return CoreTurnsNow().waits == 1; });
        EXPECT_EQ(CoreTurnsNow().spares, 0u);
    }
    // The save's turn went to the waiting load; the helper's came after.
    load.join();
    helper.join();
    EXPECT_EQ(order, (std::vector<char>{'L', 'S'}));
    const CoreTurnState state = CoreTurnsNow();
    EXPECT_EQ(state.spares, 1u);
    EXPECT_EQ(state.busy, 0u);
    EXPECT_EQ(state.peakBusy, 1u);
    EXPECT_EQ(state.waits, 1u);  // a helper waiting for a spare turn is not a wait
}

TEST_F(CoreTurnsTest, ALoadOrSaveNeverWaitsForAHelpersTurn) {
    SetCoreTurns(2);
    CoreTurnScope save(TurnKind::Save, kLargeBytes);
    SpareTurn spare;
    ASSERT_TRUE(spare.Take());
    EXPECT_EQ(CoreTurnsNow().busy, 2u);
    // Both turns are busy, one of them a helper's: a load and a save still
    // go ahead at once, and every turn shows in the peak.
    std::thread([] {
        CoreTurnScope load(TurnKind::Load);
        ASSERT_TRUE(Image::Create(kWidth, kHeight, PixelLayout::Bgr24));
        EXPECT_EQ(CoreTurnsNow().busy, 3u);
    }).join();
    std::thread([] { CoreTurnScope other(TurnKind::Save, kLargeBytes); }).join();
    spare.Give();
    const CoreTurnState state = CoreTurnsNow();
    EXPECT_EQ(state.waits, 0u);
    EXPECT_EQ(state.peakBusy, 3u);
    EXPECT_EQ(state.busy, 1u);
    EXPECT_EQ(state.spares, 1u);
}

TEST_F(CoreTurnsTest, AWithdrawnOfferEndsTheHelpersWaitEmptyHanded) {
    CoreTurnScope save(TurnKind::Save, kLargeBytes);
    SpareTurn spare;
    std::atomic<int> answer{-1};
    std::thread helper([&] { answer = spare.Take() ? 1 : 0; });
    spare.Withdraw();
    helper.join();
    EXPECT_EQ(answer.load(), 0);
    EXPECT_FALSE(spare.Take());  // even with a turn free now
    SetCoreTurns(2);
    EXPECT_FALSE(spare.Take());
    EXPECT_EQ(CoreTurnsNow().busy, 1u);
    EXPECT_EQ(CoreTurnsNow().spares, 0u);
}

TEST_F(CoreTurnsTest, ASpareTurnStillHeldGoesBackWithItsObject) {
    SetCoreTurns(2);
    {
        SpareTurn spare;
        ASSERT_TRUE(spare.Take());
        EXPECT_EQ(CoreTurnsNow().busy, 1u);
        EXPECT_EQ(CoreTurnsNow().peakBusy, 1u);
    }
    EXPECT_EQ(CoreTurnsNow().busy, 0u);
}

TEST_F(CoreTurnsTest, ATurnIsNeverHeldWhileWaitingForMemory) {
    // Room for one picture: a worker holding one (and no turn) must be able
    // to save it while another worker's load waits for memory.
    SetMemoryBudget(ImageCost(kLargeBytes));
    auto folder = ScratchFolder();
    auto held = Image::Create(kWidth, kHeight, PixelLayout::Bgr24);
    for (uint32_t y = 0; y < kHeight; ++y)
        std::memset(held->row(y), int(y), kWidth * 3);
    const std::string source = (folder / "source.png").string();
    ASSERT_EQ(SaveImageToFile(held.get(), std::u16string(source.begin(), source.end()).c_str(),
                              &kPngEncoder, nullptr),
              kOk);
    Image* loaded = nullptr;
    std::thread loader(
        [&] { LoadImageFromFile(std::u16string(source.begin(), source.end()).c_str(), &loaded); });
    WaitUntil([] { return MemoryBudgetNow().waits == 1; });
    EXPECT_EQ(CoreTurnsNow().busy, 0u);
    const std::string copy = (folder / "copy.tif").string();
    EXPECT_EQ(SaveImageToFile(held.get(), std::u16string(copy.begin(), copy.end()).c_str(),
                              &kTiffEncoder, nullptr),
              kOk);
    held.reset();
    loader.join();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(CoreTurnsNow().busy, 0u);
    EXPECT_EQ(Rgba(*loaded).size(), size_t(kWidth) * kHeight * 4);
    EXPECT_EQ(loaded->row(kHeight - 1)[0], uint8_t(kHeight - 1));
    DisposeImage(loaded);
}

TEST_F(CoreTurnsTest, SixWorkersOnTwoTurnsConvertLargePicturesLikeOne) {
    SetCoreTurns(2);
    auto picture = Image::Create(kWidth, kHeight, PixelLayout::Bgr24);
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth * 3; ++x)
            picture->row(y)[x] = uint8_t((x * 7) ^ (y * 3));
    }
    Output source, expected;
    ASSERT_TRUE(EncodeJpeg(*picture, 90, source));
    picture.reset();
    auto folder = ScratchFolder();
    const std::string sourcePath = (folder / "source.jpg").string();
    WriteFile(sourcePath, source);
    auto decoded = DecodeAny({source.data(), source.size()});
    ASSERT_TRUE(EncodePng(*decoded, expected));
    decoded.reset();

    std::atomic<int> mismatches{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 6; ++w) {
        workers.emplace_back([&, w] {
            const std::string target = (folder / ("out" + std::to_string(w) + ".png")).string();
            for (int round = 0; round < 2; ++round) {
                Image* image = nullptr;
                if (LoadImageFromFile(std::u16string(sourcePath.begin(), sourcePath.end()).c_str(),
                                      &image) != kOk ||
                    SaveImageToFile(image, std::u16string(target.begin(), target.end()).c_str(),
                                    &kPngEncoder, nullptr) != kOk ||
                    ReadFile(target) != expected) {
                    ++mismatches;
                }
                DisposeImage(image);
            }
        });
    }
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_LE(CoreTurnsNow().peakBusy, 2u);
    EXPECT_EQ(CoreTurnsNow().busy, 0u);
}

}  // namespace
}  // namespace platform::imaging
