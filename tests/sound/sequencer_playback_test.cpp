// MidiSequencer end to end on the recording device, with songs written by
// mido and the times mido itself reads from them (make_songs.py).
#include <chrono>
#include <filesystem>

#include "corelib/sound/midi_sequencer.h"
#include "platform/windowing/windows.h"
#include "runtime/runtime_objects.h"
#include "tests/sound/sound_test_support.h"

namespace {

using namespace corelib::sound;
using soundtest::LogLine;
using soundtest::ReadTimedLines;

constexpr double kToleranceMs = 5.0;
// A bound for a hung sequencer, not a timing check.
constexpr uint32_t kSongEndBoundMs = 30000;

class SequencerPlayback : public ::testing::Test {
protected:
    static void SetUpTestSuite() { songs_.Make("make_songs.py"); }
    static void TearDownTestSuite() { songs_.Remove(); }
    void SetUp() override {
        setenv("PICBATCH_MIDI_LOG", log_.c_str(), 1);
        threadsBefore_ = mmtest::ThreadCount();
    }
    void TearDown() override {
        unsetenv("PICBATCH_MIDI_LOG");
        EXPECT_EQ(mmtest::ThreadCount(), threadsBefore_) << "a thread outlived the sequencer";
    }

    static std::vector<uint8_t> Song(const std::string& name) {
        return mmtest::ReadBytes(songs_.File(name + ".mid"));
    }
    static std::vector<LogLine> Expected(const std::string& name) {
        return ReadTimedLines(songs_.File(name + ".expected"));
    }
    std::vector<LogLine> Played() { return ReadTimedLines(log_); }

    // Plays the song once to its end; answers the wall time it took.
    double PlayToTheEnd(MidiSequencer& sequencer, const std::vector<uint8_t>& song) {
        EXPECT_EQ(sequencer.Load(song.data(), uint32_t(song.size()), nullptr), 1);
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(sequencer.Play(0), 1);
        EXPECT_TRUE(sequencer.WaitForSongEnd(0, kSongEndBoundMs));
        std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        return took.count();
    }

    static inline soundtest::GeneratedFiles songs_;
    mmtest::TempFolder folder_;
    std::string log_ = folder_.File("played.log");
    size_t threadsBefore_ = 0;
};

TEST_F(SequencerPlayback, ThreeTracksWithFourTemposPlayAtMidosTimes) {
    MidiSequencer sequencer;
    auto song = Song("tempo_map");
    double tookMs = PlayToTheEnd(sequencer, song);
    auto expected = Expected("tempo_map");
    soundtest::ExpectSameTimedLines(Played(), expected, kToleranceMs);
    // Played in real time: not before its last event was due.
    EXPECT_GE(tookMs, expected.back().ms - kToleranceMs);
    // Re-primed for another Play, nothing playing.
    EXPECT_TRUE(sequencer.IsLoaded());
    EXPECT_FALSE(sequencer.IsPlaying());
    EXPECT_EQ(sequencer.State(), CB_RUNNING);
    EXPECT_EQ(sequencer.LastError(), 0u);
    sequencer.Unload();
    EXPECT_FALSE(sequencer.IsLoaded());
}

TEST_F(SequencerPlayback, TheDefaultTempoTimesASongWithoutTempoEvents) {
    MidiSequencer sequencer;
    PlayToTheEnd(sequencer, Song("untimed"));
    soundtest::ExpectSameTimedLines(Played(), Expected("untimed"), kToleranceMs);
}

TEST_F(SequencerPlayback, DoubleSpeedHalvesEveryGap) {
    MidiSequencer sequencer;
    ASSERT_TRUE(sequencer.SetSpeedPercent(200));
    PlayToTheEnd(sequencer, Song("tempo_map"));
    soundtest::ExpectSameTimedLines(Played(), Expected("tempo_map"), kToleranceMs, 0.5);
}

TEST_F(SequencerPlayback, TheSongCanBePlayedAgainAfterItsEnd) {
    MidiSequencer sequencer;
    auto song = Song("loop");
    PlayToTheEnd(sequencer, song);
    uint64_t ended = sequencer.SongsEnded();
    EXPECT_EQ(ended, 1u);
    ASSERT_EQ(sequencer.Play(0), 1);
    ASSERT_TRUE(sequencer.WaitForSongEnd(ended, kSongEndBoundMs));
    auto once = Expected("loop");
    auto twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    // Each play is a fresh stream, whose clock starts at 0.
    soundtest::ExpectSameTimedLines(Played(), twice, kToleranceMs);
}

TEST_F(SequencerPlayback, LoopingRestartsAtTickZeroRightAfterTheLastEvent) {
    MidiSequencer sequencer;
    auto song = Song("loop");
    ASSERT_EQ(sequencer.Load(song.data(), uint32_t(song.size()), nullptr), 1);
    ASSERT_EQ(sequencer.Play(1), 1);
    auto once = Expected("loop");
    const size_t wanted = 2 * once.size() + 1;  // two passes and the third's first note
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Played().size() < wanted && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(sequencer.Stop(0), 1);
    EXPECT_FALSE(sequencer.IsPlaying());
    auto played = Played();
    ASSERT_GE(played.size(), wanted);
    played.resize(2 * once.size());
    const double pass = once.back().ms;  // the last event starts the next pass
    std::vector<LogLine> expected = once;
    for (const LogLine& line : once)
        expected.push_back({line.ms + pass, line.bytes});
    soundtest::ExpectSameTimedLines(played, expected, kToleranceMs);
    EXPECT_EQ(sequencer.SongsEnded(), 0u);
}

TEST_F(SequencerPlayback, ChannelVolumeChangesArePostedToTheOwnerWindow) {
    static const bool registered = [] {
        platform::WNDCLASS windowClass{};
        windowClass.lpfnWndProc = platform::DefWindowProc;
        windowClass.lpszClassName = "SequencerOwner";
        return platform::RegisterClass(&windowClass) != 0;
    }();
    ASSERT_TRUE(registered);
    platform::HWND window = platform::CreateWindowEx(0, "SequencerOwner", "owner", 0, 0, 0, 10, 10,
                                                     nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    rt::WindowObject owner;
    ASSERT_TRUE(owner.Attach(rt::NativeHandle(window)));

    MidiSequencer sequencer;
    auto song = Song("volume");
    ASSERT_EQ(sequencer.Load(song.data(), uint32_t(song.size()), &owner), 1);
    EXPECT_EQ(sequencer.ChannelVolume(9), 100);
    ASSERT_EQ(sequencer.Play(0), 1);
    ASSERT_TRUE(sequencer.WaitForSongEnd(0, kSongEndBoundMs));
    EXPECT_EQ(sequencer.ChannelVolume(9), 100);
    EXPECT_EQ(sequencer.ChannelVolume(2), 50);  // 64 * 100 / 127

    std::vector<platform::LPARAM> posted;
    platform::MSG message;
    while (platform::PeekMessage(&message, window, 0, 0, platform::PM_REMOVE)) {
        if (message.message == MSG_CHANNEL_VOLUME) {
            EXPECT_EQ(message.wParam, platform::WPARAM(&sequencer));
            posted.push_back(message.lParam);
        }
    }
    EXPECT_EQ(posted, (std::vector<platform::LPARAM>{(100 << 16) | 9, (50 << 16) | 2}));
    sequencer.Unload();
    owner.Detach();
    platform::DestroyWindow(window);
}

TEST_F(SequencerPlayback, ASongWithoutTracksEndsAtOnce) {
    MidiSequencer sequencer;
    auto song = Song("empty");
    PlayToTheEnd(sequencer, song);
    EXPECT_TRUE(Played().empty());
    EXPECT_EQ(sequencer.SongsEnded(), 1u);
}

TEST_F(SequencerPlayback, ACorruptTrackRunsPlaybackDryAndStopStillAnswers) {
    using namespace soundtest;
    // Eight notes a quarter apart (a few buffers' worth), then a byte that
    // cannot start an event.
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> events{{0, TempoMeta(500000)}};
    for (int i = 0; i < 8; ++i)
        events.push_back({i == 0 ? 0u : 96u, {0x90, uint8_t(60 + i), 100}});
    events.push_back({96, {0xF4}});
    auto song = Smf(96, {Track(events)});
    MidiSequencer sequencer;
    ASSERT_EQ(sequencer.Load(song.data(), uint32_t(song.size()), nullptr), 1);
    ASSERT_EQ(sequencer.Play(0), 1);
    EXPECT_FALSE(sequencer.WaitForSongEnd(0, kSongEndBoundMs));
    EXPECT_TRUE(sequencer.HasRunDry());
    EXPECT_TRUE(sequencer.IsPlaying());
    EXPECT_EQ(sequencer.Stop(0), 1);
    EXPECT_FALSE(sequencer.IsPlaying());
    // Every buffer before the damaged one played, on time; the buffer
    // being filled when the damage was met (the last note) is not sent.
    auto played = Played();
    ASSERT_EQ(played.size(), 7u);
    for (size_t i = 0; i < played.size(); ++i)
        EXPECT_NEAR(played[i].ms, 500.0 * double(i), kToleranceMs) << i;
    EXPECT_EQ(played[6].bytes, "90 42 64");
}

TEST_F(SequencerPlayback, PlayWhilePlayingStartsTheSongOver) {
    MidiSequencer sequencer;
    auto song = Song("tempo_map");
    ASSERT_EQ(sequencer.Load(song.data(), uint32_t(song.size()), nullptr), 1);
    ASSERT_EQ(sequencer.Play(0), 1);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Played().size() < 8 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(sequencer.Play(0), 1);
    ASSERT_TRUE(sequencer.WaitForSongEnd(0, kSongEndBoundMs));
    auto played = Played();
    auto expected = Expected("tempo_map");
    ASSERT_GT(played.size(), expected.size());
    // The tail of the log is one whole pass from the start, on a new clock.
    std::vector<LogLine> restart(played.end() - long(expected.size()), played.end());
    soundtest::ExpectSameTimedLines(restart, expected, kToleranceMs);
}

TEST_F(SequencerPlayback, BadDevicesAndBadFilesFailToLoad) {
    MidiSequencer sequencer;
    auto song = Song("tempo_map");
    sequencer.SetDeviceId(7);
    EXPECT_EQ(sequencer.Load(song.data(), uint32_t(song.size()), nullptr), 0);
    EXPECT_EQ(sequencer.LastError(), platform::multimedia::MMSYSERR_BADDEVICEID);
    sequencer.Unload();

    auto truncated = song;
    truncated.resize(song.size() - 10);
    EXPECT_EQ(sequencer.Load(truncated.data(), uint32_t(truncated.size()), nullptr), 0);
    EXPECT_FALSE(sequencer.IsLoaded());
    EXPECT_EQ(sequencer.Play(0), 0);  // nothing to play
    EXPECT_FALSE(sequencer.IsPlaying());
    EXPECT_EQ(sequencer.Stop(1), 1);  // nothing to stop, and no stream opened for nothing
}

TEST_F(SequencerPlayback, UnloadWhilePlayingLeavesNothingBehind) {
    auto song = Song("tempo_map");
    {
        MidiSequencer sequencer;
        ASSERT_EQ(sequencer.Load(song.data(), uint32_t(song.size()), nullptr), 1);
        ASSERT_EQ(sequencer.Play(1), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        sequencer.Unload();
        EXPECT_EQ(mmtest::ThreadCount(), threadsBefore_);
        ASSERT_EQ(sequencer.Load(song.data(), uint32_t(song.size()), nullptr), 1);
        ASSERT_EQ(sequencer.Play(0), 1);
    }  // destroyed while playing
}

}  // namespace
