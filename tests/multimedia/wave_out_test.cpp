// Wave output through SDL's disk driver, which writes what it plays to a
// file at the real pace, so every byte the device played can be checked.
#include <cstdlib>
#include <cstring>

#include "platform/multimedia/multimedia.h"
#include "tests/multimedia/device_test_support.h"

namespace {

using namespace platform::multimedia;
using mmtest::CallbackRecorder;

WAVEFORMATEX Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
    uint16_t align = uint16_t(channels * bits / 8);
    return WAVEFORMATEX{WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0};
}

class WaveOut : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", disk_.c_str(), 1);
    }
    void TearDown() override { unsetenv("SDL_DISKAUDIOFILE"); }

    void Prepare(HWAVEOUT device, WAVEHDR& header, std::vector<uint8_t>& bytes) {
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<char*>(bytes.data());
        header.dwBufferLength = uint32_t(bytes.size());
        ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof header), MMSYSERR_NOERROR);
    }

    mmtest::TempFolder folder_;
    std::string disk_ = folder_.File("played.raw");
};

TEST_F(WaveOut, FormatsArePcmOfOneOrTwoChannelsAndEightOrSixteenBits) {
    HWAVEOUT none = 0;
    for (auto format : {Pcm(1, 8000, 8), Pcm(2, 44100, 16), Pcm(1, 22050, 16), Pcm(2, 96000, 8)})
        EXPECT_EQ(waveOutOpen(&none, WAVE_MAPPER, &format, nullptr, 0, WAVE_FORMAT_QUERY),
                  MMSYSERR_NOERROR);
    WAVEFORMATEX bad[] = {Pcm(1, 8000, 24), Pcm(3, 8000, 16), Pcm(1, 500, 8), Pcm(2, 8000, 16),
                          Pcm(1, 400000, 16)};
    bad[1].nBlockAlign = 6;
    bad[3].nBlockAlign = 2;  // should be 4
    for (auto& format : bad)
        EXPECT_EQ(waveOutOpen(&none, WAVE_MAPPER, &format, nullptr, 0, WAVE_FORMAT_QUERY),
                  WAVERR_BADFORMAT);
    WAVEFORMATEX floats = Pcm(1, 8000, 16);
    floats.wFormatTag = 3;
    EXPECT_EQ(waveOutOpen(&none, WAVE_MAPPER, &floats, nullptr, 0, WAVE_FORMAT_QUERY),
              WAVERR_BADFORMAT);
    WAVEFORMATEX good = Pcm(1, 8000, 8);
    EXPECT_EQ(waveOutOpen(&none, WAVE_MAPPER, &good, nullptr, 0, 0x10000), MMSYSERR_INVALFLAG);
    EXPECT_EQ(waveOutOpen(&none, WAVE_MAPPER, &good, nullptr, 0, CALLBACK_FUNCTION),
              MMSYSERR_INVALPARAM);
    EXPECT_EQ(none, 0u);
}

TEST_F(WaveOut, WithoutAnAudioDriverThereIsNoDeviceToOpen) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(waveOutGetNumDevs(), 0u);
    WAVEFORMATEX format = Pcm(1, 8000, 8);
    HWAVEOUT device = 0;
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, nullptr, 0, CALLBACK_NULL),
              MMSYSERR_NODRIVER);
    EXPECT_EQ(waveOutOpen(&device, 5, &format, nullptr, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
}

TEST_F(WaveOut, PlaysQueuedBuffersInOrderAndReturnsEachFromItsOwnThread) {
    const size_t threadsBefore = mmtest::ThreadCount();
    CallbackRecorder recorder;
    WAVEFORMATEX format = Pcm(2, 11025, 16);
    HWAVEOUT device = 0;
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, &CallbackRecorder::Callback,
                          recorder.Instance(), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutGetNumDevs(), 1u);  // the disk driver has only its default

    // Two buffers of distinct non-silent samples, 0.1 s each.
    std::vector<uint8_t> first(4410), second(4410);
    for (size_t i = 0; i < first.size(); ++i) {
        first[i] = uint8_t(1 + i % 250);
        second[i] = uint8_t(255 - i % 250);
    }
    WAVEHDR a, b;
    Prepare(device, a, first);
    Prepare(device, b, second);
    ASSERT_EQ(waveOutWrite(device, &a, sizeof a), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &b, sizeof b), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(device, &a, sizeof a), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(device, &a, sizeof a), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);

    ASSERT_TRUE(recorder.WaitFor(WOM_DONE, 2));
    EXPECT_EQ(a.dwFlags, WHDR_PREPARED | WHDR_DONE);
    EXPECT_EQ(b.dwFlags, WHDR_PREPARED | WHDR_DONE);
    EXPECT_EQ(waveOutUnprepareHeader(device, &a, sizeof a), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutUnprepareHeader(device, &b, sizeof b), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_INVALHANDLE);

    auto seen = recorder.Seen();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].message, WOM_OPEN);
    EXPECT_EQ(seen[1].message, WOM_DONE);
    EXPECT_EQ(seen[1].param1, uintptr_t(&a));
    EXPECT_EQ(seen[2].param1, uintptr_t(&b));
    EXPECT_EQ(seen[3].message, WOM_CLOSE);
    for (const auto& s : seen) {
        EXPECT_EQ(s.handle, device);
        EXPECT_NE(s.thread, std::this_thread::get_id());
    }

    std::vector<uint8_t> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(mmtest::WithoutSilence(mmtest::ReadBytes(disk_), 0), expected);
    EXPECT_EQ(mmtest::ThreadCount(), threadsBefore);
}

TEST_F(WaveOut, ResetReturnsEveryQueuedBufferAtOnce) {
    CallbackRecorder recorder;
    WAVEFORMATEX format = Pcm(1, 8000, 8);
    HWAVEOUT device = 0;
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, &CallbackRecorder::Callback,
                          recorder.Instance(), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    std::vector<uint8_t> long1(80000, 0x11), long2(80000, 0x22);  // 10 s each
    WAVEHDR a, b, unprepared{};
    Prepare(device, a, long1);
    Prepare(device, b, long2);
    EXPECT_EQ(waveOutWrite(device, &unprepared, sizeof unprepared), WAVERR_UNPREPARED);
    EXPECT_EQ(waveOutWrite(device, &a, 12), MMSYSERR_INVALPARAM);
    ASSERT_EQ(waveOutWrite(device, &a, sizeof a), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &b, sizeof b), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    // Back at once: unpreparing and closing need no wait.
    EXPECT_EQ(waveOutUnprepareHeader(device, &a, sizeof a), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutUnprepareHeader(device, &b, sizeof b), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    // Close delivered the outstanding notifications before returning.
    EXPECT_EQ(recorder.Count(WOM_DONE), 2u);
    EXPECT_EQ(recorder.Count(WOM_CLOSE), 1u);
    EXPECT_EQ(waveOutWrite(device, &a, sizeof a), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOut, ACallbackMayQueueAgainButNotCloseItsOwnDevice) {
    CallbackRecorder recorder;
    WAVEFORMATEX format = Pcm(1, 8000, 8);
    HWAVEOUT device = 0;
    std::vector<uint8_t> chunk(400, 0x40);  // 50 ms
    WAVEHDR header;
    int replays = 3;
    MMRESULT closeFromCallback = MMSYSERR_NOERROR;
    recorder.react = [&](uintptr_t, uintptr_t message, uintptr_t) {
        if (message != WOM_DONE)
            return;
        if (replays-- > 0)
            waveOutWrite(device, &header, sizeof header);
        else
            closeFromCallback = waveOutClose(device);
    };
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, &CallbackRecorder::Callback,
                          recorder.Instance(), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    Prepare(device, header, chunk);
    ASSERT_EQ(waveOutWrite(device, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_TRUE(recorder.WaitFor(WOM_DONE, 4));
    EXPECT_EQ(closeFromCallback, MMSYSERR_HANDLEBUSY);
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    // Four plays of the buffer, with the driver's silence between them.
    size_t played = 0, other = 0;
    for (uint8_t byte : mmtest::ReadBytes(disk_)) {
        played += byte == 0x40;
        other += byte != 0x40 && byte != 0x80;
    }
    EXPECT_EQ(played, 1600u);
    EXPECT_EQ(other, 0u);
}

TEST_F(WaveOut, OutputsOfDifferentFormatsAreMixedIntoOneDevice) {
    const size_t threadsBefore = mmtest::ThreadCount();
    CallbackRecorder recorder;
    WAVEFORMATEX narrow = Pcm(1, 8000, 8), wide = Pcm(2, 22050, 16);
    HWAVEOUT first = 0, second = 0;
    ASSERT_EQ(waveOutOpen(&first, WAVE_MAPPER, &narrow, &CallbackRecorder::Callback,
                          recorder.Instance(), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    // The second is wider: the device re-opens in its format and the first
    // is converted from then on.
    ASSERT_EQ(waveOutOpen(&second, WAVE_MAPPER, &wide, &CallbackRecorder::Callback,
                          recorder.Instance(), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    std::vector<uint8_t> low(1600, 0xC0);         // 0.2 s
    std::vector<uint8_t> high(4 * 22050 / 5, 0);  // 0.2 s of a quiet square
    for (size_t i = 0; i < high.size(); i += 2)
        high[i + 1] = (i / 200) % 2 ? 0x10 : 0xF0;
    WAVEHDR a, b;
    Prepare(first, a, low);
    Prepare(second, b, high);
    ASSERT_EQ(waveOutWrite(first, &a, sizeof a), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(second, &b, sizeof b), MMSYSERR_NOERROR);
    ASSERT_TRUE(recorder.WaitFor(WOM_DONE, 2));
    ASSERT_EQ(waveOutClose(first), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutClose(second), MMSYSERR_NOERROR);
    // 16-bit stereo at 22050 Hz: at least the 0.2 s both played, and sound.
    auto played = mmtest::ReadBytes(disk_);
    EXPECT_GE(played.size(), high.size());
    size_t loud = 0;
    for (size_t i = 0; i + 1 < played.size(); i += 2)
        loud += std::abs(int16_t(played[i] | (played[i + 1] << 8))) > 1000;
    EXPECT_GT(loud, high.size() / 4);
    EXPECT_EQ(mmtest::ThreadCount(), threadsBefore);
}

}  // namespace
