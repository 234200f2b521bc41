// MIDI streams on the recording device, whose log gives each message the
// stream clock's time: the tempo map's time for every event that was queued
// in time, so the expected lines can be worked out by hand.
#include <cstdlib>
#include <cstring>

#include "platform/base/byte_order.h"
#include "platform/multimedia/multimedia.h"
#include "tests/multimedia/device_test_support.h"

namespace {

using namespace platform::multimedia;
using mmtest::CallbackRecorder;

// A buffer of stream events written as the platform lays them out.
class EventBuffer {
public:
    EventBuffer& Short(uint32_t delta, uint32_t word) {
        Word(delta);
        Word(0);
        Word(word);
        return *this;
    }
    EventBuffer& Long(uint32_t delta, std::vector<uint8_t> body) {
        Word(delta);
        Word(0);
        Word(MEVT_F_LONG | (uint32_t(MEVT_LONGMSG) << 24) | uint32_t(body.size()));
        body.resize((body.size() + 3) & ~size_t(3));
        bytes_.insert(bytes_.end(), body.begin(), body.end());
        return *this;
    }
    MIDIHDR& Header() {
        header_ = MIDIHDR{};
        header_.lpData = reinterpret_cast<char*>(bytes_.data());
        header_.dwBufferLength = uint32_t(bytes_.size());
        header_.dwBytesRecorded = uint32_t(bytes_.size());
        return header_;
    }
    size_t Size() const { return bytes_.size(); }

private:
    void Word(uint32_t value) {
        uint8_t b[4];
        platform::WriteLe32(b, value);
        bytes_.insert(bytes_.end(), b, b + 4);
    }
    std::vector<uint8_t> bytes_;
    MIDIHDR header_{};
};

uint32_t Tempo(uint32_t microseconds) {
    return (uint32_t(MEVT_TEMPO) << 24) | microseconds;
}

class MidiStream : public ::testing::Test {
protected:
    void SetUp() override { setenv("PICBATCH_MIDI_LOG", log_.c_str(), 1); }
    void TearDown() override { unsetenv("PICBATCH_MIDI_LOG"); }

    HMIDISTRM Open(uint32_t division) {
        HMIDISTRM stream = 0;
        uint32_t device = kRecordingDevice;
        EXPECT_EQ(midiStreamOpen(&stream, &device, 1, &CallbackRecorder::Callback,
                                 recorder_.Instance(), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
        MIDIPROPTIMEDIV timeDivision{sizeof timeDivision, division};
        EXPECT_EQ(midiStreamProperty(stream, &timeDivision, MIDIPROP_SET | MIDIPROP_TIMEDIV),
                  MMSYSERR_NOERROR);
        return stream;
    }
    void Queue(HMIDISTRM stream, MIDIHDR& header) {
        ASSERT_EQ(midiOutPrepareHeader(stream, &header, sizeof header), MMSYSERR_NOERROR);
        ASSERT_EQ(midiStreamOut(stream, &header, sizeof header), MMSYSERR_NOERROR);
    }

    mmtest::TempFolder folder_;
    std::string log_ = folder_.File("midi.log");
    CallbackRecorder recorder_;
};

TEST_F(MidiStream, DevicesAreTheSynthesizerAndTheRecorderWhenALogIsNamed) {
    EXPECT_EQ(midiOutGetNumDevs(), 2u);
    HMIDISTRM stream = 0;
    uint32_t absent = 2;
    EXPECT_EQ(midiStreamOpen(&stream, &absent, 1, nullptr, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    uint32_t recorder = kRecordingDevice;
    EXPECT_EQ(midiStreamOpen(&stream, &recorder, 2, nullptr, 0, CALLBACK_NULL),
              MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiStreamOpen(&stream, &recorder, 1, nullptr, 0, 0x10000), MMSYSERR_INVALFLAG);
    unsetenv("PICBATCH_MIDI_LOG");
    EXPECT_EQ(midiOutGetNumDevs(), 1u);
    EXPECT_EQ(midiStreamOpen(&stream, &recorder, 1, nullptr, 0, CALLBACK_NULL),
              MMSYSERR_BADDEVICEID);
    EXPECT_EQ(stream, 0u);
}

TEST_F(MidiStream, PropertiesAreCheckedAndReadBack) {
    HMIDISTRM stream = Open(480);
    MIDIPROPTIMEDIV division{sizeof division, 0};
    ASSERT_EQ(midiStreamProperty(stream, &division, MIDIPROP_GET | MIDIPROP_TIMEDIV),
              MMSYSERR_NOERROR);
    EXPECT_EQ(division.dwTimeDiv, 480u);
    MIDIPROPTEMPO tempo{sizeof tempo, 0};
    ASSERT_EQ(midiStreamProperty(stream, &tempo, MIDIPROP_GET | MIDIPROP_TEMPO), MMSYSERR_NOERROR);
    EXPECT_EQ(tempo.dwTempo, 500000u);

    MIDIPROPTIMEDIV zero{sizeof zero, 0};
    EXPECT_EQ(midiStreamProperty(stream, &zero, MIDIPROP_SET | MIDIPROP_TIMEDIV),
              MMSYSERR_INVALPARAM);
    MIDIPROPTIMEDIV wrongSize{12, 96};
    EXPECT_EQ(midiStreamProperty(stream, &wrongSize, MIDIPROP_SET | MIDIPROP_TIMEDIV),
              MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiStreamProperty(stream, &division, MIDIPROP_SET | MIDIPROP_GET | MIDIPROP_TIMEDIV),
              MMSYSERR_INVALFLAG);
    EXPECT_EQ(midiStreamProperty(stream, &division, MIDIPROP_SET | 0x4), MMSYSERR_INVALFLAG);
    EXPECT_EQ(midiStreamProperty(stream + 1, &division, MIDIPROP_GET | MIDIPROP_TIMEDIV),
              MMSYSERR_INVALHANDLE);

    EventBuffer events;
    events.Short(0, 0x403C90);
    MIDIHDR& header = events.Header();
    EXPECT_EQ(midiStreamOut(stream, &header, sizeof header), MIDIERR_UNPREPARED);
    ASSERT_EQ(midiOutPrepareHeader(stream, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(midiStreamOut(stream, &header, 64), MMSYSERR_INVALPARAM);
    header.dwBytesRecorded = header.dwBufferLength + 12;
    EXPECT_EQ(midiStreamOut(stream, &header, sizeof header), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);
}

TEST_F(MidiStream, EventsPlayAtTheirTempoMapTimesAcrossBuffers) {
    const size_t threadsBefore = mmtest::ThreadCount();
    HMIDISTRM stream = Open(100);  // 500000 us a quarter: 5 ms a tick
    EventBuffer first, second;
    first
        .Short(0, 0x643C90)                   // 0.0   note on
        .Short(100, Tempo(1000000))           // 500.0 from here 10 ms a tick
        .Short(50, uint32_t(MEVT_NOP) << 24)  // 1000.0 takes time only
        .Long(0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    second
        .Short(50, MEVT_F_CALLBACK | 0x003C80)  // 1500.0 note off, reported
        .Short(20, 0x05C0)                      // 1700.0 program change
        .Short(10, 0xF8)                        // 1800.0 timing clock
        .Short(0, 0x00640000);                  // no status byte: dropped
    MIDIHDR& a = first.Header();
    MIDIHDR& b = second.Header();
    Queue(stream, a);
    Queue(stream, b);
    ASSERT_EQ(midiStreamRestart(stream), MMSYSERR_NOERROR);
    ASSERT_TRUE(recorder_.WaitFor(MOM_DONE, 2));
    ASSERT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);

    EXPECT_EQ(mmtest::ReadLines(log_), (std::vector<std::string>{"0.0 90 3c 64", "1500.0 80 3c 00",
                                                                 "1700.0 c0 05", "1800.0 f8"}));
    auto seen = recorder_.Seen();
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0].message, MOM_OPEN);
    EXPECT_EQ(seen[1].message, MOM_DONE);
    EXPECT_EQ(seen[1].param1, uintptr_t(&a));
    EXPECT_EQ(seen[2].message, MOM_POSITIONCB);
    EXPECT_EQ(seen[2].param1, uintptr_t(&b));
    EXPECT_EQ(b.dwOffset, 0u);  // the note off is the second buffer's first event
    EXPECT_EQ(seen[3].message, MOM_DONE);
    EXPECT_EQ(seen[4].message, MOM_CLOSE);
    EXPECT_EQ(a.dwFlags & (MHDR_DONE | MHDR_INQUEUE), MHDR_DONE);
    EXPECT_EQ(mmtest::ThreadCount(), threadsBefore);
}

TEST_F(MidiStream, StopReturnsEveryBufferAndStartsAgainFromTickZero) {
    HMIDISTRM stream = Open(100);
    EventBuffer far;
    far.Short(0, MEVT_F_CALLBACK | 0x643C90).Short(100000, 0x003C80);  // 500 s apart
    MIDIHDR& header = far.Header();
    Queue(stream, header);
    ASSERT_EQ(midiStreamRestart(stream), MMSYSERR_NOERROR);
    ASSERT_TRUE(recorder_.WaitFor(MOM_POSITIONCB, 1));
    EXPECT_EQ(midiStreamClose(stream), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiOutUnprepareHeader(stream, &header, sizeof header), MIDIERR_STILLPLAYING);
    ASSERT_EQ(midiStreamStop(stream), MMSYSERR_NOERROR);
    // Returned at once, even though its notification comes from the device.
    EXPECT_EQ(midiOutUnprepareHeader(stream, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_TRUE(recorder_.WaitFor(MOM_DONE, 1));

    // Stopped: queued events wait for a restart, then count from tick 0.
    EventBuffer again;
    again.Short(20, 0x403E90);
    MIDIHDR& next = again.Header();
    Queue(stream, next);
    ASSERT_EQ(midiStreamRestart(stream), MMSYSERR_NOERROR);
    ASSERT_TRUE(recorder_.WaitFor(MOM_DONE, 2));
    ASSERT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);
    auto lines = mmtest::ReadLines(log_);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "0.0 90 3c 64");
    // 20 ticks (100 ms) after the clock reading at the stop.
    double stoppedAt = 0;
    ASSERT_EQ(std::sscanf(lines[1].c_str(), "%lf", &stoppedAt), 1);
    EXPECT_GE(stoppedAt, 100.0);
    EXPECT_TRUE(lines[1].ends_with(" 90 3e 40")) << lines[1];
}

TEST_F(MidiStream, ABufferQueuedLatePlaysAtOnceAndTheScheduleHolds) {
    HMIDISTRM stream = Open(100);
    ASSERT_EQ(midiStreamRestart(stream), MMSYSERR_NOERROR);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EventBuffer late;
    late.Short(10, 0x403C90)                     // due at 50 ms: already past
        .Short(300, MEVT_F_CALLBACK | 0x003C80)  // due at 1550 ms
        .Short(100000, 0x403E90);                // far ahead
    MIDIHDR& header = late.Header();
    Queue(stream, header);
    ASSERT_TRUE(recorder_.WaitFor(MOM_POSITIONCB, 1));
    ASSERT_EQ(midiOutReset(stream), MMSYSERR_NOERROR);
    ASSERT_TRUE(recorder_.WaitFor(MOM_DONE, 1));
    ASSERT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);
    auto lines = mmtest::ReadLines(log_);
    ASSERT_EQ(lines.size(), 2u);
    double playedAt = 0;
    ASSERT_EQ(std::sscanf(lines[0].c_str(), "%lf", &playedAt), 1);
    EXPECT_GE(playedAt, 200.0);  // when its buffer came, not at 50 ms
    EXPECT_EQ(lines[1], "1550.0 80 3c 00");
}

// The notifications come from the stream's own thread, open first and close
// last; a buffer cannot be queued twice, the callback cannot close its own
// stream, and a closed handle names nothing any more.
TEST_F(MidiStream, NotificationsComeFromTheStreamThreadWhichCannotCloseItsOwnStream) {
    MMRESULT closeFromCallback = MMSYSERR_NOERROR;
    HMIDISTRM stream = 0;
    recorder_.react = [&](uintptr_t, uintptr_t message, uintptr_t) {
        if (message == MOM_DONE)
            closeFromCallback = midiStreamClose(stream);
    };
    stream = Open(100);
    EventBuffer events;
    events.Short(0, 0x403C90).Short(100000, 0x003C80);  // the second 500 s later
    MIDIHDR& header = events.Header();
    Queue(stream, header);
    EXPECT_EQ(midiStreamOut(stream, &header, sizeof header), MIDIERR_STILLPLAYING);
    ASSERT_EQ(midiStreamRestart(stream), MMSYSERR_NOERROR);
    ASSERT_EQ(midiStreamStop(stream), MMSYSERR_NOERROR);
    ASSERT_TRUE(recorder_.WaitFor(MOM_DONE, 1));
    EXPECT_EQ(closeFromCallback, MMSYSERR_HANDLEBUSY);
    EXPECT_EQ(header.dwFlags & (MHDR_DONE | MHDR_INQUEUE | MHDR_PREPARED),
              MHDR_DONE | MHDR_PREPARED);
    ASSERT_EQ(midiStreamClose(stream), MMSYSERR_NOERROR);

    std::vector<mmtest::Notification> seen = recorder_.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, MOM_OPEN);
    EXPECT_EQ(seen[1].message, MOM_DONE);
    EXPECT_EQ(seen[1].param1, reinterpret_cast<uintptr_t>(&header));
    EXPECT_EQ(seen[2].message, MOM_CLOSE);
    for (const auto& notification : seen) {
        EXPECT_EQ(notification.handle, stream);
        EXPECT_NE(notification.thread, std::this_thread::get_id());
        EXPECT_EQ(notification.thread, seen[0].thread);
    }
    EXPECT_EQ(midiStreamClose(stream), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiStreamOut(stream, &header, sizeof header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutUnprepareHeader(stream, &header, sizeof header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiStreamPause(stream), MMSYSERR_INVALHANDLE);
}

}  // namespace
