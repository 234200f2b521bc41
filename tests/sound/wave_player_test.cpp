// WavePlayer on SDL's disk driver (every played byte lands in a file) and
// dummy driver (plays at the real pace, writes nothing), with sounds
// written by Python's wave module (make_waves.py).
#include <chrono>

#include "corelib/sound/wave_player.h"
#include "tests/sound/sound_test_support.h"

namespace {

using namespace corelib::sound;

class WavePlayback : public ::testing::Test {
protected:
    static void SetUpTestSuite() { sounds_.Make("make_waves.py"); }
    static void TearDownTestSuite() { sounds_.Remove(); }
    void SetUp() override {
        UseDriver("disk");
        setenv("SDL_DISKAUDIOFILE", disk_.c_str(), 1);
        threadsBefore_ = mmtest::ThreadCount();
    }
    void TearDown() override {
        player_.StopAllWaves(1);
        EXPECT_EQ(player_.RunningCount(), 0u);
        EXPECT_EQ(mmtest::ThreadCount(), threadsBefore_) << "a thread outlived its sound";
    }
    static void UseDriver(const char* driver) { setenv("SDL_AUDIODRIVER", driver, 1); }

    static std::vector<uint8_t> Sound(const std::string& name) {
        return mmtest::ReadBytes(sounds_.File(name + ".wav"));
    }
    static std::vector<uint8_t> Samples(const std::string& name) {
        return mmtest::ReadBytes(sounds_.File(name + ".raw"));
    }
    int32_t Play(const std::vector<uint8_t>& image, int32_t loop = 0) {
        return player_.PlayWave(image.data(), uint32_t(image.size()), loop);
    }
    // Waits for every sound to finish on its own (bounded for a hung device).
    void WaitUntilQuiet() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (player_.RunningCount() > 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(player_.RunningCount(), 0u);
        player_.StopAllWaves(1);  // joins the finished workers: the disk file is complete
    }
    std::vector<uint8_t> PlayedBytes(uint8_t silence) {
        return mmtest::WithoutSilence(mmtest::ReadBytes(disk_), silence);
    }

    static inline soundtest::GeneratedFiles sounds_;
    mmtest::TempFolder folder_;
    std::string disk_ = folder_.File("played.raw");
    WavePlayer player_;
    size_t threadsBefore_ = 0;
};

TEST_F(WavePlayback, TheSamplesThatReachTheDeviceAreTheFilesSamples) {
    for (const char* name : {"pcm8_mono", "pcm16_stereo"}) {
        SCOPED_TRACE(name);
        setenv("SDL_DISKAUDIOFILE", folder_.File(std::string(name) + ".raw").c_str(), 1);
        auto image = Sound(name);
        ASSERT_EQ(Play(image), 1);
        image.assign(image.size(), 0);  // the player keeps its own copy
        WaitUntilQuiet();
        uint8_t silence = std::string(name) == "pcm8_mono" ? 0x80 : 0x00;
        EXPECT_EQ(mmtest::WithoutSilence(
                      mmtest::ReadBytes(folder_.File(std::string(name) + ".raw")), silence),
                  Samples(name));
    }
}

TEST_F(WavePlayback, TwentyFullBuffersAndASingleByteBothPlayWhole) {
    ASSERT_EQ(Samples("twenty_buffers").size(), WAVE_BUFFER_COUNT * WAVE_CHUNK_BYTES);
    ASSERT_EQ(Play(Sound("twenty_buffers")), 1);
    WaitUntilQuiet();
    EXPECT_EQ(PlayedBytes(0), Samples("twenty_buffers"));

    setenv("SDL_DISKAUDIOFILE", folder_.File("one.raw").c_str(), 1);
    ASSERT_EQ(Play(Sound("one_byte")), 1);
    WaitUntilQuiet();
    EXPECT_EQ(mmtest::WithoutSilence(mmtest::ReadBytes(folder_.File("one.raw")), 0x80),
              Samples("one_byte"));
}

TEST_F(WavePlayback, ALoopedSoundRepeatsWholeUntilStopAllWavesWaitsForIt) {
    auto samples = Samples("short8");
    ASSERT_EQ(Play(Sound("short8"), 1), 1);
    // Wait for three passes to have been written (bounded for a hung device).
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    size_t played = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        played = 0;
        for (uint8_t byte : mmtest::ReadBytes(disk_))
            played += byte != 0x80;
        if (played >= 3 * samples.size())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_GE(played, 3 * samples.size());
    player_.StopAllWaves(1);
    EXPECT_EQ(player_.RunningCount(), 0u);
    EXPECT_EQ(mmtest::ThreadCount(), threadsBefore_);

    // Runs of sound between the driver's silences: every pass is the whole
    // sound from its first sample, only the one cut by the stop is short.
    std::vector<std::vector<uint8_t>> passes(1);
    for (uint8_t byte : mmtest::ReadBytes(disk_)) {
        if (byte != 0x80)
            passes.back().push_back(byte);
        else if (!passes.back().empty())
            passes.emplace_back();
    }
    if (passes.back().empty())
        passes.pop_back();
    ASSERT_GE(passes.size(), 3u);
    for (size_t i = 0; i + 1 < passes.size(); ++i)
        EXPECT_EQ(passes[i], samples) << "pass " << i;
    ASSERT_LE(passes.back().size(), samples.size());
    EXPECT_TRUE(std::equal(passes.back().begin(), passes.back().end(), samples.begin()));
}

TEST_F(WavePlayback, TwoSoundsPlayTogetherAndStopAllWavesStopsBoth) {
    UseDriver("dummy");
    auto image = Sound("long8");  // four seconds
    ASSERT_EQ(Play(image), 1);
    ASSERT_EQ(Play(image), 1);
    EXPECT_EQ(player_.RunningCount(), 2u);
    player_.StopAllWaves(1);
    EXPECT_EQ(player_.RunningCount(), 0u);
    EXPECT_EQ(mmtest::ThreadCount(), threadsBefore_);
}

TEST_F(WavePlayback, StopAllWavesWithoutWaitingAsksAndTheWorkersEndOnTheirOwn) {
    UseDriver("dummy");
    ASSERT_EQ(Play(Sound("long8"), 1), 1);
    player_.StopAllWaves(0);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (player_.RunningCount() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(player_.RunningCount(), 0u);
}

TEST_F(WavePlayback, NothingToStopMeansStopAllWavesReturnsAtOnce) {
    player_.StopAllWaves(1);
    player_.StopAllWaves(0);
    EXPECT_EQ(player_.RunningCount(), 0u);
}

TEST_F(WavePlayback, ImagesThatCannotPlayLeaveNothingRunning) {
    using namespace soundtest;
    EXPECT_EQ(Play(Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"data", {}}})), 0);
    EXPECT_EQ(Play(Riff({{"fmt ", PcmFormat(1, 8000, 24)}, {"data", {1, 2, 3}}})), 0);
    auto floats = PcmFormat(1, 8000, 16);
    floats[0] = 3;
    EXPECT_EQ(Play(Riff({{"fmt ", floats}, {"data", {1, 2}}})), 0);
    EXPECT_EQ(player_.PlayWave(nullptr, 100, 0), 0);
    UseDriver("no-such-driver");
    EXPECT_EQ(Play(Sound("pcm8_mono")), 0);
    EXPECT_EQ(player_.RunningCount(), 0u);
}

}  // namespace
