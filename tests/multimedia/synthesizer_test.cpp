// MIDI device 0: FluidSynth renders into the wave output (SDL's disk
// driver keeps what it played), or, without a sound font, the stream is
// still timed and every buffer comes back.
#include <cmath>
#include <filesystem>

#include "platform/base/byte_order.h"
#include "platform/multimedia/multimedia.h"
#include "tests/multimedia/device_test_support.h"

namespace {

using namespace platform::multimedia;
using mmtest::CallbackRecorder;

constexpr const char* kDebianFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

// A note of middle C for a quarter of a second (96 ticks at 120 bpm is
// 500 ms; the note off comes 48 ticks in).
std::vector<uint8_t> OneNote() {
    std::vector<uint8_t> bytes(36);
    auto put = [&](size_t event, uint32_t delta, uint32_t word) {
        platform::WriteLe32(&bytes[event * 12], delta);
        platform::WriteLe32(&bytes[event * 12 + 8], word);
    };
    put(0, 0, 0x00C0);    // acoustic grand piano
    put(1, 0, 0x7F3C90);  // note on, loud
    put(2, 48, 0x003C80);
    return bytes;
}

class Synthesizer : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("PICBATCH_MIDI_LOG");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", disk_.c_str(), 1);
    }
    void TearDown() override { unsetenv("PICBATCH_SOUNDFONT"); }

    // Plays OneNote() on device 0 until its buffer is back.
    void PlayOneNote() {
        const size_t threadsBefore = mmtest::ThreadCount();
        CallbackRecorder recorder;
        HMIDISTRM stream = 0;
        uint32_t device = kSynthesizerDevice;
        ASSERT_EQ(midiStreamOpen(&stream, &device, 1, &CallbackRecorder::Callback,
                                 recorder.Instance(), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
        MIDIPROPTIMEDIV division{sizeof division, 96};
        ASSERT_EQ(midiStreamProperty(stream, &division, MIDIPROP_SET | MIDIPROP_TIMEDIV),
                  MMSYSERR_NOERROR);
        auto events = OneNote();
        MIDIHDR header{};
        header.lpData = reinterpret_cast<char*>(events.data());
        header.dwBufferLength = header.dwBytesRecorded = uint32_t(events.size());
        ASSERT_EQ(midiOutPrepareHeader(stream, &header, sizeof header), MMSYSERR_NOERROR);
        ASSERT_EQ(midiStreamOut(stream, &header, sizeof header), MMSYSERR_NOERROR);
        ASSERT_EQ(midiStreamRestart(stream), MMSYSERR_NOERROR);
        ASSERT_TRUE(recorder.WaitFor(MOM_DONE, 1));
        // Let the note's release reach the output before closing.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ASSERT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);
        EXPECT_EQ(mmtest::ThreadCount(), threadsBefore);
    }

    mmtest::TempFolder folder_;
    std::string disk_ = folder_.File("synth.raw");
};

TEST_F(Synthesizer, RendersNotesWithTheGeneralMidiFont) {
    if (!std::filesystem::exists(kDebianFont))
        GTEST_SKIP() << "fluid-soundfont-gm is not installed";
    setenv("PICBATCH_SOUNDFONT", kDebianFont, 1);
    PlayOneNote();
    // 44.1 kHz 16-bit stereo; the note makes itself heard.
    auto bytes = mmtest::ReadBytes(disk_);
    ASSERT_GE(bytes.size(), 4u * 44100 / 4);
    double energy = 0;
    int16_t peak = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto sample = int16_t(platform::ReadLe16(&bytes[i]));
        energy += double(sample) * sample;
        peak = std::max<int16_t>(peak, int16_t(std::abs(sample)));
    }
    double rms = std::sqrt(energy / double(bytes.size() / 2));
    EXPECT_GT(peak, 3000);
    EXPECT_GT(rms, 100.0);
}

TEST_F(Synthesizer, WithoutAFontTheStreamIsStillTimedInSilence) {
    setenv("PICBATCH_SOUNDFONT", "", 1);
    PlayOneNote();
    EXPECT_FALSE(std::filesystem::exists(disk_));  // no audio was opened at all
}

}  // namespace
