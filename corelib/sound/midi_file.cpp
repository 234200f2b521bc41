#include "corelib/sound/midi_file.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/base/byte_order.h"

namespace corelib::sound {
namespace {

constexpr size_t kHeaderChunkBytes = 14;
constexpr size_t kChunkHeadBytes = 8;

bool TrackHasBytes(const MidiTrack& track, size_t count) {
    size_t used = size_t(track.cursor - track.start);
    return used <= track.length && track.length - used >= count;
}

bool ReadByte(MidiTrack& track, uint8_t* byte) {
    if (!TrackHasBytes(track, 1))
        return false;
    *byte = *track.cursor++;
    return true;
}

bool HasOneDataByte(uint8_t status) {
    uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0;
}

// The body of a system-exclusive or meta event: length, then the bytes,
// copied only when there are any. The length is checked against the track
// before anything is allocated, so a corrupt length costs nothing.
bool ReadBody(MidiTrack& track, MidiEvent* event, uint32_t& liveBlocks, bool blockWhenEmpty) {
    if (!ReadVarLen(track, &event->length) || !TrackHasBytes(track, event->length))
        return false;
    if (event->length == 0 && !blockWhenEmpty)
        return true;
    auto* block = static_cast<uint8_t*>(std::malloc(event->length ? event->length : 1));
    if (!block)
        return false;
    std::memcpy(block, track.cursor, event->length);
    track.cursor += event->length;
    event->block = block;
    ++liveBlocks;
    return true;
}

}  // namespace

bool IsMidiData(const void* data, size_t size) {
    return data && size > 4 && std::memcmp(data, "MThd", 4) == 0;
}

bool ParseMidiFile(const uint8_t* data, size_t size, MidiHeader* header,
                   std::vector<MidiTrack>* tracks) {
    if (!IsMidiData(data, size) || size < kHeaderChunkBytes || platform::ReadBe32(data + 4) != 6)
        return false;
    header->format = platform::ReadBe16(data + 8);
    header->trackCount = platform::ReadBe16(data + 10);
    header->division = platform::ReadBe16(data + 12);

    tracks->assign(header->trackCount, MidiTrack{});
    size_t offset = kHeaderChunkBytes;
    for (MidiTrack& track : *tracks) {
        if (size - offset < kChunkHeadBytes || std::memcmp(data + offset, "MTrk", 4) != 0)
            return false;
        uint32_t length = platform::ReadBe32(data + offset + 4);
        offset += kChunkHeadBytes;
        if (length > size - offset)
            return false;
        track.length = length;
        track.start = data + offset;
        if (!RewindTrack(track))
            return false;
        offset += length;
    }
    return true;
}

bool RewindTrack(MidiTrack& track) {
    track.cursor = track.start;
    track.runningStatus = 0;
    track.tick = 0;
    track.flags = 0;
    if (track.length == 0) {
        track.flags |= TRACK_ENDED;
        return true;
    }
    return ReadVarLen(track, &track.tick);
}

bool ReadVarLen(MidiTrack& track, uint32_t* value) {
    if (track.flags & TRACK_ENDED)
        return false;
    uint32_t result = 0;
    uint8_t byte;
    do {
        if (!ReadByte(track, &byte))
            return false;
        result = (result << 7) | (byte & 0x7F);
    } while (byte & 0x80);
    *value = result;
    return true;
}

bool ReadEvent(MidiTrack& track, MidiEvent* event, uint32_t& liveBlocks) {
    *event = MidiEvent{};
    uint8_t b;
    if ((track.flags & TRACK_ENDED) || !ReadByte(track, &b))
        return false;

    bool ok = true;
    if (b < 0x80) {
        // Running status: b is the first data byte.
        if (track.runningStatus == 0)
            return false;
        event->status = track.runningStatus;
        event->data1 = b;
        event->length = 2;
        if (!HasOneDataByte(event->status)) {
            ok = ReadByte(track, &event->data2);
            event->length = 3;
        }
    } else if (b < 0xF0) {
        event->status = b;
        track.runningStatus = b;
        ok = ReadByte(track, &event->data1);
        event->length = 2;
        if (ok && !HasOneDataByte(b)) {
            ok = ReadByte(track, &event->data2);
            event->length = 3;
        }
    } else if (b == 0xF0 || b == 0xF7) {
        event->status = b;
        ok = ReadBody(track, event, liveBlocks, true);
    } else if (b == 0xFF) {
        event->status = b;
        ok = ReadByte(track, &event->data1) && ReadBody(track, event, liveBlocks, false);
        if (ok && event->data1 == kMetaEndOfTrack)
            track.flags |= TRACK_ENDED;
    } else {
        return false;  // system common and real-time bytes have no place in a file
    }

    event->tick = track.tick;
    if (ok && !(track.flags & TRACK_ENDED)) {
        uint32_t delta;
        ok = ReadVarLen(track, &delta);
        track.tick += delta;
    }
    if (!ok)
        ReleaseEventBlock(*event, liveBlocks);
    return ok;
}

void ReleaseEventBlock(MidiEvent& event, uint32_t& liveBlocks) {
    if (event.block) {
        std::free(event.block);
        event.block = nullptr;
        if (liveBlocks > 0)
            --liveBlocks;
    }
}

}  // namespace corelib::sound
