// The sequencer's fill: tracks merged into 12-byte stream events, checked
// byte for byte without a device.
#include <array>

#include "corelib/sound/midi_sequencer.h"
#include "platform/base/byte_order.h"
#include "tests/sound/sound_test_support.h"

namespace corelib::sound {

// Reaches the fill of a sequencer that has parsed a song but opened no
// stream.
class MidiSequencerProbe {
public:
    using Event = std::array<uint32_t, 2>;  // delta, event word

    struct Filled {
        FillResult result;
        std::vector<Event> events;
    };

    explicit MidiSequencerProbe(MidiSequencer& sequencer) : s_(sequencer) {}

    bool Parse(const std::vector<uint8_t>& image) {
        image_ = image;
        return s_.ParseLocked(image_.data(), uint32_t(image_.size()), nullptr);
    }
    Filled Fill(bool reset) {
        std::vector<char> block(kStreamBufferBytes);
        StreamBuffer buffer;
        buffer.header.lpData = block.data();
        buffer.capacity = kStreamBufferBytes;
        Filled filled{s_.FillBuffer(reset, buffer), {}};
        EXPECT_EQ(buffer.used % 12, 0u);
        for (uint32_t at = 0; at < buffer.used; at += 12) {
            auto* bytes = reinterpret_cast<const uint8_t*>(block.data() + at);
            EXPECT_EQ(platform::ReadLe32(bytes + 4), 0u);  // stream id
            filled.events.push_back({platform::ReadLe32(bytes), platform::ReadLe32(bytes + 8)});
        }
        return filled;
    }
    void SetLoop(bool on) { s_.loop = on ? 1 : 0; }
    uint32_t TickBudget() const { return s_.tickBudget; }
    uint32_t Tempo() const { return s_.tempo; }
    uint32_t FillState() const { return s_.fillState; }
    uint32_t LiveBlocks() const { return s_.liveBlocks; }

private:
    MidiSequencer& s_;
    std::vector<uint8_t> image_;
};

}  // namespace corelib::sound

namespace {

using namespace corelib::sound;
using Probe = MidiSequencerProbe;
using soundtest::kEndOfTrack;
using soundtest::Smf;
using soundtest::TempoMeta;
using soundtest::Track;

constexpr uint32_t kTempoEvent = 0x01000000;
constexpr uint32_t kNotify = 0x40000000;

Probe::Event E(uint32_t delta, uint32_t word) {
    return {delta, word};
}

TEST(MidiFill, BeforeTheFirstTempoABufferHoldsItsStartingTickAndTwoMoreEvents) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    ASSERT_TRUE(probe.Parse(Smf(480, {Track({{0, {0x90, 60, 100}},
                                             {240, {0x80, 60, 0}},
                                             {240, {0x90, 64, 100}},
                                             {240, {0x80, 64, 0}},
                                             {0, kEndOfTrack}})})));
    EXPECT_EQ(probe.TickBudget(), 0u);
    auto first = probe.Fill(true);
    EXPECT_EQ(first.result, FILL_OK);
    // The event after the budget is spent still goes in; the one after waits.
    EXPECT_EQ(first.events,
              (std::vector<Probe::Event>{E(0, 0x643C90), E(240, 0x003C80), E(240, 0x644090)}));
    EXPECT_EQ(probe.FillState(), uint32_t(FILL_PENDING));
    auto second = probe.Fill(false);
    EXPECT_EQ(second.result, FILL_OK);
    EXPECT_EQ(second.events, (std::vector<Probe::Event>{E(240, 0x004080)}));
    EXPECT_EQ(probe.FillState(), uint32_t(FILL_EOF));
    EXPECT_EQ(probe.Fill(false).result, FILL_SONG_END);
}

TEST(MidiFill, ATempoEventSetsTheTempoAndAboutSixtyMillisecondsOfBudget) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> events{{0, TempoMeta(500000)}};
    for (int i = 0; i < 10; ++i)
        events.push_back({30, {0x90, uint8_t(60 + i), 100}});
    events.push_back({0, kEndOfTrack});
    ASSERT_TRUE(probe.Parse(Smf(480, {Track(events)})));
    auto first = probe.Fill(true);
    EXPECT_EQ(probe.Tempo(), 500000u);
    EXPECT_EQ(probe.TickBudget(), 480u * 60000 / 500000);  // 57 ticks
    // Tempo at 0, notes at 30 and 60 (within budget), 90 (budget spent,
    // taken once), then full.
    EXPECT_EQ(first.events, (std::vector<Probe::Event>{E(0, kTempoEvent | 500000), E(30, 0x643C90),
                                                       E(30, 0x643D90), E(30, 0x643E90)}));
}

TEST(MidiFill, LyricsTextAndSystemExclusiveEventsDoNotShortenTheGap) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    ASSERT_TRUE(probe.Parse(Smf(96, {Track({{0, TempoMeta(1000000)},  // budget 5 ticks
                                            {0, {0x90, 60, 100}},
                                            {10, {0xFF, 0x05, 0x02, 'l', 'a'}},
                                            {10, {0xF0, 0x03, 0x7E, 0x01, 0xF7}},
                                            {10, {0xFF, 0x01, 0x01, 'x'}},
                                            {10, {0x80, 60, 0}},
                                            {0, kEndOfTrack}})})));
    std::vector<Probe::Event> all;
    for (bool reset = true;; reset = false) {
        auto filled = probe.Fill(reset);
        all.insert(all.end(), filled.events.begin(), filled.events.end());
        if (filled.result != FILL_OK || probe.FillState() == uint32_t(FILL_EOF))
            break;
    }
    EXPECT_EQ(all, (std::vector<Probe::Event>{E(0, kTempoEvent | 1000000), E(0, 0x643C90),
                                              E(40, 0x003C80)}));
    EXPECT_EQ(probe.LiveBlocks(), 0u);
}

TEST(MidiFill, EqualTicksGoInTrackOrder) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    ASSERT_TRUE(probe.Parse(
        Smf(96, {
                    Track({{0, TempoMeta(100000)}, {5, {0x92, 1, 1}}, {0, kEndOfTrack}}),
                    Track({{5, {0x90, 2, 2}}, {0, {0x90, 3, 3}}, {0, kEndOfTrack}}),
                    Track({{0, {0x91, 4, 4}}, {5, {0x91, 5, 5}}, {0, kEndOfTrack}}),
                })));
    auto filled = probe.Fill(true);
    EXPECT_EQ(filled.events,
              (std::vector<Probe::Event>{E(0, kTempoEvent | 100000), E(0, 0x040491), E(5, 0x010192),
                                         E(0, 0x020290), E(0, 0x030390), E(0, 0x050591)}));
}

TEST(MidiFill, SpeedScalesEveryTempoAndCoversFilesWithoutOne) {
    MidiSequencer sequencer;
    ASSERT_TRUE(sequencer.SetSpeedPercent(200));
    EXPECT_FALSE(sequencer.SetSpeedPercent(0));
    EXPECT_FALSE(sequencer.SetSpeedPercent(1001));
    Probe probe(sequencer);
    ASSERT_TRUE(probe.Parse(Smf(96, {Track({{0, {0x90, 60, 100}},
                                            {0, TempoMeta(600000)},
                                            {0, {0x80, 60, 0}},
                                            {0, kEndOfTrack}})})));
    auto filled = probe.Fill(true);
    // The speed change first brings the default tempo (500000) at 200%.
    EXPECT_EQ(filled.events,
              (std::vector<Probe::Event>{E(0, kTempoEvent | 250000), E(0, 0x643C90),
                                         E(0, kTempoEvent | 300000), E(0, 0x003C80)}));

    MidiSequencer slow;
    ASSERT_TRUE(slow.SetSpeedPercent(1));
    Probe slowProbe(slow);
    ASSERT_TRUE(slowProbe.Parse(Smf(96, {Track({{0, TempoMeta(0xFFFFFF)}, {0, kEndOfTrack}})})));
    // 100 times the slowest tempo does not fit in 24 bits: it is held there.
    EXPECT_EQ(
        slowProbe.Fill(true).events,
        (std::vector<Probe::Event>{E(0, kTempoEvent | 0xFFFFFF), E(0, kTempoEvent | 0xFFFFFF)}));
}

TEST(MidiFill, ChannelVolumeEventsAskToBeReported) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    ASSERT_TRUE(probe.Parse(
        Smf(96, {Track({{0, {0xB9, 7, 127}}, {0, {0xB9, 10, 64}}, {0, kEndOfTrack}})})));
    EXPECT_EQ(probe.Fill(true).events,
              (std::vector<Probe::Event>{E(0, kNotify | 0x7F07B9), E(0, 0x400AB9)}));
}

TEST(MidiFill, TempoEventsTooShortOrOfZeroAreSkipped) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    ASSERT_TRUE(probe.Parse(Smf(96, {Track({{0, {0xFF, 0x51, 0x02, 0x07, 0xA1}},
                                            {0, TempoMeta(0)},
                                            {10, {0x90, 60, 100}},
                                            {0, kEndOfTrack}})})));
    EXPECT_EQ(probe.Fill(true).events, (std::vector<Probe::Event>{E(10, 0x643C90)}));
    EXPECT_EQ(probe.Tempo(), 0u);
    EXPECT_EQ(probe.TickBudget(), 0u);
    EXPECT_EQ(probe.LiveBlocks(), 0u);
}

TEST(MidiFill, ABufferHoldsEightyFiveEventsAndTheRestWaits) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> events;
    for (int i = 0; i < 100; ++i)
        events.push_back({0, {0x90, uint8_t(i), 1}});
    events.push_back({0, kEndOfTrack});
    ASSERT_TRUE(probe.Parse(Smf(96, {Track(events)})));
    auto first = probe.Fill(true);
    ASSERT_EQ(first.events.size(), 85u);
    EXPECT_EQ(first.events[84], E(0, 0x015490));
    auto second = probe.Fill(false);
    ASSERT_EQ(second.events.size(), 15u);
    EXPECT_EQ(second.events[0], E(0, 0x015590));
}

TEST(MidiFill, ACorruptTrackLatchesTheErrorWithNothingLeftAllocated) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    ASSERT_TRUE(probe.Parse(
        Smf(96, {Track({{0, {0x90, 60, 100}}, {0, {0xFF, 0x01, 0x01, 'x'}}, {0, {0xF4}}})})));
    auto first = probe.Fill(true);
    EXPECT_EQ(first.result, FILL_READ_ERROR);
    EXPECT_EQ(probe.FillState(), uint32_t(FILL_ERROR));
    EXPECT_EQ(probe.Fill(false).result, FILL_FAILED);
    EXPECT_EQ(probe.LiveBlocks(), 0u);
}

TEST(MidiFill, LoopingRestartsAtTickZeroRightAfterTheLastEvent) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    ASSERT_TRUE(probe.Parse(Smf(96, {Track({{0, TempoMeta(10000)},  // budget 576 ticks
                                            {3, {0x90, 60, 100}},
                                            {7, {0x80, 60, 0}},
                                            {50, kEndOfTrack}})})));
    probe.SetLoop(true);
    auto pass1 = probe.Fill(true);
    EXPECT_EQ(pass1.events, (std::vector<Probe::Event>{E(0, kTempoEvent | 10000), E(3, 0x643C90),
                                                       E(7, 0x003C80)}));
    // The silence before End of Track is not played: the next pass's first
    // event comes its own distance from tick 0 after the last one.
    auto pass2 = probe.Fill(false);
    EXPECT_EQ(pass2.events, pass1.events);
}

TEST(MidiFill, ALoopThatTakesNoTimeEndsInsteadOfSpinning) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    ASSERT_TRUE(probe.Parse(Smf(96, {Track({{0, {0x90, 60, 100}}, {0, kEndOfTrack}})})));
    probe.SetLoop(true);
    EXPECT_EQ(probe.Fill(true).events.size(), 1u);
    EXPECT_EQ(probe.Fill(false).result, FILL_SONG_END);
}

TEST(MidiFill, ASongWithoutTracksEndsAtTheSecondFill) {
    MidiSequencer sequencer;
    Probe probe(sequencer);
    ASSERT_TRUE(probe.Parse(Smf(96, {})));
    auto first = probe.Fill(true);
    EXPECT_EQ(first.result, FILL_OK);
    EXPECT_TRUE(first.events.empty());
    EXPECT_EQ(probe.Fill(false).result, FILL_SONG_END);
}

}  // namespace
