// The stream clock against tempo maps worked out by hand.
#include <gtest/gtest.h>

#include "platform/multimedia/midi_clock.h"

namespace {

using platform::multimedia::MidiClock;

TEST(MidiClock, TempoChangesTakeEffectAtTheirTick) {
    MidiClock clock;
    ASSERT_TRUE(clock.SetDivision(480, 0));
    // 120 bpm: a quarter note (480 ticks) is 500 ms.
    EXPECT_DOUBLE_EQ(clock.TimeOfTick(480), 500.0);
    // From tick 960 (1000 ms) on, 60 bpm: a quarter note takes 1000 ms.
    clock.SetTempo(1000000, 960);
    EXPECT_DOUBLE_EQ(clock.TimeOfTick(960), 1000.0);
    EXPECT_DOUBLE_EQ(clock.TimeOfTick(1200), 1500.0);
    // A tempo of 0 would stop time: ignored.
    clock.SetTempo(0, 1200);
    EXPECT_EQ(clock.Tempo(), 1000000u);
    EXPECT_DOUBLE_EQ(clock.TimeOfTick(1440), 2000.0);
}

TEST(MidiClock, SmpteDivisionCountsFramesAndIgnoresTempo) {
    MidiClock clock;
    // 25 frames a second, 40 ticks a frame: 1000 ticks a second.
    uint32_t division = (uint32_t(uint8_t(-25)) << 8) | 40;
    ASSERT_TRUE(clock.SetDivision(division, 0));
    EXPECT_DOUBLE_EQ(clock.TimeOfTick(1000), 1000.0);
    clock.SetTempo(250000, 500);
    EXPECT_DOUBLE_EQ(clock.TimeOfTick(1500), 1500.0);
}

TEST(MidiClock, DivisionsThatCountNoTimeAreRefused) {
    MidiClock clock;
    EXPECT_FALSE(clock.SetDivision(0, 0));
    EXPECT_FALSE(clock.SetDivision(0x8000, 0));                         // SMPTE, 0 fps
    EXPECT_FALSE(clock.SetDivision((uint32_t(uint8_t(-25)) << 8), 0));  // 0 ticks a frame
    EXPECT_FALSE(clock.SetDivision((uint32_t(uint8_t(-23)) << 8) | 4, 0));
    EXPECT_FALSE(clock.SetDivision(0x10000, 0));
    EXPECT_EQ(clock.Division(), MidiClock::kDefaultDivision);
}

TEST(MidiClock, RebaseRestartsCountingAfterAStop) {
    MidiClock clock;
    ASSERT_TRUE(clock.SetDivision(100, 0));
    clock.Rebase(0, 2500.0);
    EXPECT_DOUBLE_EQ(clock.TimeOfTick(0), 2500.0);
    EXPECT_DOUBLE_EQ(clock.TimeOfTick(100), 3000.0);
}

}  // namespace
