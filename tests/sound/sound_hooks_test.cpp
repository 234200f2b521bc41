// The runtime's sound messages reach the player and the sequencer through
// the hooks this subsystem installs.
#include "corelib/sound/sound_hooks.h"
#include "runtime/system_hooks.h"
#include "tests/sound/sound_test_support.h"

namespace {

TEST(SoundHooks, PlayAndStopThroughTheRuntimesHooks) {
    mmtest::TempFolder folder;
    soundtest::RunGenerator("make_songs.py", folder.File(""));
    soundtest::RunGenerator("make_waves.py", folder.File(""));
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("PICBATCH_MIDI_LOG", folder.File("played.log").c_str(), 1);
    const size_t threadsBefore = mmtest::ThreadCount();

    corelib::InstallSoundHooks();
    auto play = rt::Sound().playSoundData;
    auto stop = rt::Sound().stopSound;
    ASSERT_TRUE(play && stop);

    auto wave = mmtest::ReadBytes(folder.File("long8.wav"));
    auto song = mmtest::ReadBytes(folder.File("tempo_map.mid"));
    EXPECT_EQ(play(wave.data(), uint32_t(wave.size()), 1), 1);
    EXPECT_EQ(play(wave.data(), uint32_t(wave.size()), 0), 1);
    EXPECT_EQ(play(song.data(), uint32_t(song.size()), 0), 1);
    // The sequencer plays its own copy: the caller's image may go.
    std::fill(song.begin(), song.end(), 0);

    const char text[] = "neither kind of sound";
    EXPECT_EQ(play(text, sizeof text, 0), 0);
    EXPECT_EQ(play(nullptr, 10, 0), 0);
    // A damaged song is refused, after stopping the one that played.
    auto loop = mmtest::ReadBytes(folder.File("loop.mid"));
    auto damaged = loop;
    damaged[7] = 7;  // header length 7
    EXPECT_EQ(play(damaged.data(), uint32_t(damaged.size()), 0), 0);
    // A song replaces the one before.
    EXPECT_EQ(play(loop.data(), uint32_t(loop.size()), 1), 1);

    // Wait for the looping song to have started, then stop everything.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (mmtest::ReadLines(folder.File("played.log")).empty() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    stop();
    EXPECT_EQ(mmtest::ThreadCount(), threadsBefore);
    EXPECT_FALSE(mmtest::ReadLines(folder.File("played.log")).empty());
    stop();  // twice is harmless
}

}  // namespace
