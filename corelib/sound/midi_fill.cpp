// Filling a stream buffer: the tracks merged in tick order, each event
// converted to a 12-byte stream event, bounded by the buffer's bytes and by
// about 60 ms of music (the tick budget) so a refill is short and tempo or
// volume changes reach the device soon.
#include <algorithm>

#include "corelib/sound/midi_sequencer.h"
#include "platform/base/byte_order.h"

namespace corelib::sound {

namespace mm = platform::multimedia;

namespace {

// The tempo a file has until its first tempo event says otherwise.
constexpr uint32_t kDefaultTempo = 500000;

uint32_t TempoOf(const MidiEvent& event) {
    if (event.length < 3 || !event.block)
        return 0;
    return (uint32_t(event.block[0]) << 16) | (uint32_t(event.block[1]) << 8) | event.block[2];
}

bool IsEndOfTrack(const MidiEvent& event) {
    return event.status == 0xFF && event.data1 == kMetaEndOfTrack;
}

}  // namespace

void MidiSequencer::ClearPending() {
    ReleaseEventBlock(pending, liveBlocks);
    pending = MidiEvent{};
}

uint32_t MidiSequencer::ScaledTempo(uint32_t microseconds) const {
    // The stream event holds 24 bits of tempo.
    uint64_t scaled = uint64_t(microseconds) * 100 / speedPercent;
    return uint32_t(std::clamp<uint64_t>(scaled, 1, 0xFFFFFF));
}

void MidiSequencer::WriteStreamEvent(StreamBuffer& buffer, uint32_t delta, uint32_t word) {
    auto* at = reinterpret_cast<uint8_t*>(buffer.header.lpData) + buffer.offset + buffer.used;
    platform::WriteLe32(at, delta);
    platform::WriteLe32(at + 4, 0);
    platform::WriteLe32(at + 8, word);
    buffer.used += mm::kStreamEventBytes;
}

FillResult MidiSequencer::FillBuffer(bool reset, StreamBuffer& buffer) {
    buffer.used = 0;
    if (reset) {
        bytesPlayed = 0;
        fillState = 0;
        ClearPending();
        scanTrack = nullptr;
        nextTrack = nullptr;
    }

    if (fillState & FILL_EOF) {
        // A pass that wrote nothing after tick 0 would loop without time
        // passing, flooding the device: such a song ends instead.
        if (!loop || lastTick == 0)
            return FILL_SONG_END;
        RewindLocked();
        bytesPlayed = 0;
        fillState = 0;
    } else if (fillState & FILL_ERROR) {
        return FILL_FAILED;
    } else if (fillState & FILL_PENDING) {
        fillState &= ~FILL_PENDING;
        if (IsEndOfTrack(pending)) {
            ReleaseEventBlock(pending, liveBlocks);
        } else if (AddEvent(pending, buffer) == FILL_BUFFER_FULL) {
            fillState |= FILL_PENDING;
            return FILL_OK;
        }
    }

    for (;;) {
        // Merge step: the unended track with the smallest next tick; on a
        // tie the lowest index, so equal ticks play in track order.
        nextTrack = nullptr;
        nextTick = 0xFFFFFFFF;
        for (MidiTrack& track : tracks) {
            scanTrack = &track;
            if ((track.flags & TRACK_ENDED) == 0 && (!nextTrack || track.tick < nextTick)) {
                nextTrack = &track;
                nextTick = track.tick;
            }
        }
        scanTrack = nullptr;
        if (!nextTrack) {
            fillState |= FILL_EOF;
            return FILL_OK;  // out it goes with what it holds, maybe nothing
        }
        if (!ReadEvent(*nextTrack, &pending, liveBlocks)) {
            fillState |= FILL_ERROR;
            return FILL_READ_ERROR;
        }
        if (IsEndOfTrack(pending)) {
            ReleaseEventBlock(pending, liveBlocks);
            continue;
        }
        if (AddEvent(pending, buffer) == FILL_BUFFER_FULL) {
            fillState |= FILL_PENDING;
            return FILL_OK;
        }
    }
}

FillResult MidiSequencer::AddEvent(MidiEvent& event, StreamBuffer& buffer) {
    if (buffer.used == 0)
        buffer.startTick = lastTick;
    if (lastTick - buffer.startTick > tickBudget) {
        // One more event is taken after the budget is spent.
        if (buffer.overBudget) {
            buffer.overBudget = 0;
            return FILL_BUFFER_FULL;
        }
        buffer.overBudget = 1;
    }
    const uint32_t delta = event.tick - lastTick;
    const uint32_t room = buffer.capacity - buffer.offset - buffer.used;

    if (resendTempo) {
        if (room < mm::kStreamEventBytes)
            return FILL_BUFFER_FULL;  // still to be sent, first thing next buffer
        resendTempo = 0;
        // A file without tempo events plays at the default tempo, which a
        // speed other than 100% must scale as well.
        uint32_t current = tempo != 0 ? tempo : speedPercent != 100 ? kDefaultTempo : 0;
        if (current != 0)
            WriteStreamEvent(buffer, 0, (uint32_t(mm::MEVT_TEMPO) << 24) | ScaledTempo(current));
    }
    const uint32_t left = buffer.capacity - buffer.offset - buffer.used;

    if (event.status < 0xF0) {
        if (left < mm::kStreamEventBytes)
            return FILL_BUFFER_FULL;
        uint32_t word = event.status | (uint32_t(event.data1) << 8) | (uint32_t(event.data2) << 16);
        if ((event.status & 0xF0) == 0xB0 && event.data1 == 7)
            word |= mm::MEVT_F_CALLBACK;  // channel volume: tell us when it plays
        WriteStreamEvent(buffer, delta, word);
        lastTick = event.tick;
        return FILL_OK;
    }
    if (event.status == 0xF0 || event.status == 0xF7) {
        // System-exclusive messages are not sent; the next event written
        // carries the time.
        ReleaseEventBlock(event, liveBlocks);
        return FILL_OK;
    }
    const uint32_t newTempo = event.data1 == kMetaTempo ? TempoOf(event) : 0;
    if (newTempo == 0) {
        // Other meta events, and tempo events too short to hold a tempo or
        // holding 0, which would stop time.
        ReleaseEventBlock(event, liveBlocks);
        return FILL_SKIPPED;
    }
    if (left < mm::kStreamEventBytes)
        return FILL_BUFFER_FULL;  // the block stays for the retry
    tempo = newTempo;
    WriteStreamEvent(buffer, delta, (uint32_t(mm::MEVT_TEMPO) << 24) | ScaledTempo(tempo));
    tickBudget = division * 60000 / tempo;
    ReleaseEventBlock(event, liveBlocks);
    lastTick = event.tick;
    return FILL_OK;
}

}  // namespace corelib::sound
