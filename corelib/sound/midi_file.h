// Standard MIDI files held in memory: the header, the track chunks and the
// events of one track, read with running status. Nothing is copied: a track
// keeps pointers into the caller's image.
//
// Header chunk (big-endian):
//   OFFSET SIZE DESCRIPTION
//        0    4 "MThd"
//        4    4 header length, exactly 6
//        8    2 format (0, 1 or 2; kept, not used)
//       10    2 number of tracks
//       12    2 division: ticks per quarter note (or SMPTE, bit 15 set)
// Then one chunk per track, from offset 14:
//        0    4 "MTrk"
//        4    4 body length n; the body must lie inside the image
//        8    n events: a variable-length delta time, then a channel
//               message (status 0x80-0xEF, or data bytes under running
//               status), a system-exclusive event (0xF0 or 0xF7, a
//               variable-length length, the body) or a meta event (0xFF,
//               type, variable-length length, body; type 0x2F ends the
//               track, 0x51 carries a 24-bit tempo)
// A variable-length number is 7 bits per byte, most significant first, a
// byte with bit 7 set meaning more follow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corelib::sound {

inline constexpr uint32_t TRACK_ENDED = 0x1;
inline constexpr uint8_t kMetaEndOfTrack = 0x2F;
inline constexpr uint8_t kMetaTempo = 0x51;

struct MidiTrack {
    uint32_t flags = 0;
    uint32_t length = 0;              // body bytes
    const uint8_t* start = nullptr;   // first body byte
    const uint8_t* cursor = nullptr;  // next unread byte
    uint32_t tick = 0;                // absolute tick of the next event
    uint8_t runningStatus = 0;        // last channel status seen, 0 if none
};

struct MidiEvent {
    uint32_t tick = 0;
    uint8_t status = 0;  // 0x80-0xEF channel, 0xF0/0xF7 system exclusive, 0xFF meta
    uint8_t data1 = 0;   // first data byte, or the meta type
    uint8_t data2 = 0;
    // Channel messages: 2 or 3 bytes; system exclusive and meta: the body length.
    uint32_t length = 0;
    uint8_t* block = nullptr;  // heap copy of the body, null when empty
};

struct MidiHeader {
    uint16_t format = 0;
    uint16_t trackCount = 0;
    uint16_t division = 0;
};

// True when size > 4 and the image starts "MThd".
bool IsMidiData(const void* data, size_t size);

// Reads the header and sets up one track per declared track chunk, each
// rewound (RewindTrack). False when the header is not the 6-byte kind, a
// chunk is not "MTrk", a chunk runs past the image, or a first delta time
// cannot be read.
bool ParseMidiFile(const uint8_t* data, size_t size, MidiHeader* header,
                   std::vector<MidiTrack>* tracks);

// Back to the first event: cursor at the start, no running status, the
// first delta time read into tick; an empty track is ended at once.
bool RewindTrack(MidiTrack& track);

// A variable-length number at the cursor. False when the track has ended or
// its bytes run out first; values wider than 32 bits keep their low bits.
bool ReadVarLen(MidiTrack& track, uint32_t* value);

// Decodes the event at the cursor into `event` and reads the next delta
// time. Bodies of system-exclusive and meta events are copied into a fresh
// block counted in `liveBlocks`; release it with ReleaseEventBlock. False
// for a corrupt or exhausted track, with nothing left allocated.
bool ReadEvent(MidiTrack& track, MidiEvent* event, uint32_t& liveBlocks);

// Frees the event's block, if any, and uncounts it.
void ReleaseEventBlock(MidiEvent& event, uint32_t& liveBlocks);

}  // namespace corelib::sound
