// The standard MIDI file reader: header and chunk checks, variable-length
// numbers, running status and event bodies, on hand-made images for the
// cases a well-behaved writer never produces.
#include <memory>

#include "corelib/sound/midi_file.h"
#include "tests/sound/sound_test_support.h"

namespace {

using namespace corelib::sound;
using soundtest::kEndOfTrack;
using soundtest::Smf;
using soundtest::Track;

// Tracks point into the image, so the image lives with them.
struct Parsed {
    std::unique_ptr<std::vector<uint8_t>> image;
    bool ok = false;
    MidiHeader header;
    std::vector<MidiTrack> tracks;
};

Parsed Parse(const std::vector<uint8_t>& image) {
    Parsed parsed;
    parsed.image = std::make_unique<std::vector<uint8_t>>(image);
    parsed.ok =
        ParseMidiFile(parsed.image->data(), parsed.image->size(), &parsed.header, &parsed.tracks);
    return parsed;
}

// Every event of a track until it ends or fails; ok tells which.
struct Events {
    std::vector<MidiEvent> events;
    bool ok = true;
};

Events ReadAll(MidiTrack& track) {
    Events all;
    uint32_t live = 0;
    while (!(track.flags & TRACK_ENDED)) {
        MidiEvent event;
        if (!ReadEvent(track, &event, live)) {
            all.ok = false;
            break;
        }
        ReleaseEventBlock(event, live);
        all.events.push_back(event);
    }
    EXPECT_EQ(live, 0u);
    return all;
}

TEST(MidiFile, HeaderMustBeSixBytesAndEveryTrackAnMTrkChunkInsideTheImage) {
    auto good = Smf(96, {Track({{0, kEndOfTrack}}), Track({{0, kEndOfTrack}})});
    Parsed parsed = Parse(good);
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.header.trackCount, 2);
    EXPECT_EQ(parsed.header.division, 96);
    EXPECT_EQ(parsed.header.format, 1);

    auto longHeader = good;
    longHeader[7] = 7;
    EXPECT_FALSE(Parse(longHeader).ok);

    auto secondNotTrack = good;
    secondNotTrack[14 + 8 + 4 + 3] = 'X';  // "MTrX"
    EXPECT_FALSE(Parse(secondNotTrack).ok);

    auto missingTrack = good;
    missingTrack[11] = 3;  // declares a third track that is not there
    EXPECT_FALSE(Parse(missingTrack).ok);

    auto pastTheEnd = good;
    pastTheEnd[14 + 8 + 4 + 7] = 5;  // the second body claims 5 bytes; 4 are there
    EXPECT_FALSE(Parse(pastTheEnd).ok);

    auto huge = good;
    huge[14 + 4] = 0xFF;  // first chunk length 0xFF000004
    EXPECT_FALSE(Parse(huge).ok);

    std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 13);
    EXPECT_FALSE(Parse(headerOnly).ok);
    EXPECT_FALSE(IsMidiData("MThd", 4));
    EXPECT_TRUE(IsMidiData("MThd!", 5));
    EXPECT_FALSE(IsMidiData("RIFF....WAVE", 12));
}

TEST(MidiFile, ASongWithoutTracksAndAnEmptyTrackAreFine) {
    Parsed none = Parse(Smf(96, {}));
    ASSERT_TRUE(none.ok);
    EXPECT_TRUE(none.tracks.empty());

    Parsed empty = Parse(Smf(96, {{}}));
    ASSERT_TRUE(empty.ok);
    ASSERT_EQ(empty.tracks.size(), 1u);
    EXPECT_EQ(empty.tracks[0].flags, TRACK_ENDED);
    MidiEvent event;
    uint32_t live = 0;
    EXPECT_FALSE(ReadEvent(empty.tracks[0], &event, live));
}

TEST(MidiFile, VariableLengthNumbersAreSevenBitsABigEndianAndWrapPastThirtyTwo) {
    auto number = [](std::vector<uint8_t> bytes, uint32_t* value) {
        MidiTrack track;
        track.start = track.cursor = bytes.data();
        track.length = uint32_t(bytes.size());
        return ReadVarLen(track, value);
    };
    uint32_t value = 0;
    ASSERT_TRUE(number({0x00}, &value));
    EXPECT_EQ(value, 0u);
    ASSERT_TRUE(number({0x81, 0x80, 0x80, 0x00}, &value));
    EXPECT_EQ(value, 0x200000u);
    ASSERT_TRUE(number({0xFF, 0xFF, 0xFF, 0x7F}, &value));
    EXPECT_EQ(value, 0x0FFFFFFFu);
    ASSERT_TRUE(number({0x8F, 0xFF, 0xFF, 0xFF, 0x7F}, &value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    ASSERT_TRUE(number({0x81, 0x80, 0x80, 0x80, 0x80, 0x01}, &value));  // 2^35 + 1
    EXPECT_EQ(value, 1u);
    EXPECT_FALSE(number({0x81, 0x80}, &value));  // runs out
}

TEST(MidiFile, ProgramChangeAndChannelPressureTakeOneDataByteUnderRunningStatus) {
    Parsed parsed = Parse(Smf(96, {Track({{0, {0xC0, 0x05}},
                                          {0, {0x06}},
                                          {10, {0xD1, 0x40}},
                                          {0, {0x41}},
                                          {0, {0x90, 0x3C, 0x64}},
                                          {5, {0x3E, 0x64}},
                                          {0, {0xE2, 0x00, 0x40}},
                                          {0, {0x7F, 0x7F}},
                                          {0, kEndOfTrack}})}));
    ASSERT_TRUE(parsed.ok);
    Events all = ReadAll(parsed.tracks[0]);
    ASSERT_TRUE(all.ok);
    ASSERT_EQ(all.events.size(), 9u);
    struct Want {
        uint32_t tick;
        uint8_t status, data1, data2;
        uint32_t length;
    };
    const Want want[] = {
        {0, 0xC0, 0x05, 0, 2},     {0, 0xC0, 0x06, 0, 2},     {10, 0xD1, 0x40, 0, 2},
        {10, 0xD1, 0x41, 0, 2},    {10, 0x90, 0x3C, 0x64, 3}, {15, 0x90, 0x3E, 0x64, 3},
        {15, 0xE2, 0x00, 0x40, 3}, {15, 0xE2, 0x7F, 0x7F, 3}, {15, 0xFF, 0x2F, 0, 0}};
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(all.events[i].tick, want[i].tick) << i;
        EXPECT_EQ(all.events[i].status, want[i].status) << i;
        EXPECT_EQ(all.events[i].data1, want[i].data1) << i;
        EXPECT_EQ(all.events[i].data2, want[i].data2) << i;
        EXPECT_EQ(all.events[i].length, want[i].length) << i;
    }
}

TEST(MidiFile, RunningStatusOutlivesMetaAndSystemExclusiveEvents) {
    Parsed parsed = Parse(Smf(96, {Track({{0, {0x92, 0x3C, 0x64}},
                                          {0, {0xFF, 0x05, 0x02, 'l', 'a'}},
                                          {0, {0xF0, 0x02, 0x7E, 0xF7}},
                                          {0, {0x3E, 0x64}},
                                          {0, kEndOfTrack}})}));
    ASSERT_TRUE(parsed.ok);
    Events all = ReadAll(parsed.tracks[0]);
    ASSERT_TRUE(all.ok);
    ASSERT_EQ(all.events.size(), 5u);
    EXPECT_EQ(all.events[1].status, 0xFF);
    EXPECT_EQ(all.events[1].data1, 0x05);
    EXPECT_EQ(all.events[1].length, 2u);
    EXPECT_EQ(all.events[2].status, 0xF0);
    EXPECT_EQ(all.events[2].length, 2u);
    EXPECT_EQ(all.events[3].status, 0x92);
    EXPECT_EQ(all.events[3].data1, 0x3E);
}

TEST(MidiFile, EventBodiesAreCopiedAndCountedUntilReleased) {
    Parsed parsed = Parse(Smf(96, {Track({{0, {0xF0, 0x00}},
                                          {0, {0xFF, 0x01, 0x00}},
                                          {0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}},
                                          {0, kEndOfTrack}})}));
    ASSERT_TRUE(parsed.ok);
    uint32_t live = 0;
    MidiEvent sysex, text, tempo;
    ASSERT_TRUE(ReadEvent(parsed.tracks[0], &sysex, live));
    EXPECT_NE(sysex.block, nullptr);  // an empty system-exclusive body still gets one
    EXPECT_EQ(live, 1u);
    ASSERT_TRUE(ReadEvent(parsed.tracks[0], &text, live));
    EXPECT_EQ(text.block, nullptr);  // an empty meta body does not
    ASSERT_TRUE(ReadEvent(parsed.tracks[0], &tempo, live));
    ASSERT_NE(tempo.block, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(tempo.block, tempo.block + 3),
              (std::vector<uint8_t>{0x07, 0xA1, 0x20}));
    EXPECT_EQ(live, 2u);
    ReleaseEventBlock(sysex, live);
    ReleaseEventBlock(tempo, live);
    ReleaseEventBlock(tempo, live);  // twice is harmless
    EXPECT_EQ(live, 0u);
}

TEST(MidiFile, CorruptTracksFailWithNothingLeftAllocated) {
    const std::vector<std::vector<uint8_t>> corrupt = {
        Track({{0, {0x3C, 0x64}}}),                    // running status with no status yet
        Track({{0, {0xF1, 0x00}}}),                    // system common in a file
        Track({{0, {0xF8}}}),                          // real time in a file
        Track({{0, {0x90, 0x3C}}}),                    // cut short
        Track({{0, {0xF0, 0x8F, 0xFF, 0xFF, 0x7F}}}),  // body far beyond the track
        Track({{0, {0xFF, 0x01, 0x05, 'a', 'b'}}}),    // body beyond the track
        Track({{0, {0x90, 0x3C, 0x64}}}),              // no End of Track: the bytes run out
    };
    for (size_t i = 0; i < corrupt.size(); ++i) {
        Parsed parsed = Parse(Smf(96, {corrupt[i]}));
        ASSERT_TRUE(parsed.ok) << i;
        Events all = ReadAll(parsed.tracks[0]);
        EXPECT_FALSE(all.ok) << i;
    }
}

TEST(MidiFile, EndOfTrackEndsTheTrackWithoutReadingAnotherDelta) {
    // Bytes after the End of Track (here a broken delta) are never read.
    auto body = Track({{3, {0x90, 0x3C, 0x64}}, {4, kEndOfTrack}});
    body.push_back(0x81);
    Parsed parsed = Parse(Smf(96, {body}));
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.tracks[0].tick, 3u);
    Events all = ReadAll(parsed.tracks[0]);
    ASSERT_TRUE(all.ok);
    ASSERT_EQ(all.events.size(), 2u);
    EXPECT_EQ(all.events[1].tick, 7u);
    ASSERT_TRUE(RewindTrack(parsed.tracks[0]));
    EXPECT_EQ(parsed.tracks[0].tick, 3u);
    EXPECT_EQ(parsed.tracks[0].flags, 0u);
}

}  // namespace
