// Fuzzes the standard MIDI file parser and the sequencer's merge and fill:
// whatever the bytes, parsing and filling never read outside the image,
// never loop without end, keep at most one event body alive, and write only
// whole 12-byte stream events within the buffer.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "corelib/sound/midi_sequencer.h"

namespace corelib::sound {

class MidiSequencerProbe {
public:
    static void Run(const uint8_t* data, size_t size, bool loop) {
        MidiSequencer sequencer;
        if (!sequencer.ParseLocked(data, uint32_t(size), nullptr))
            return;
        sequencer.loop = loop ? 1 : 0;
        std::vector<char> block(kStreamBufferBytes);
        // A looping song refills for ever; a bounded number of buffers
        // covers every pass shape.
        for (int fill = 0; fill < 512; ++fill) {
            StreamBuffer buffer;
            buffer.header.lpData = block.data();
            buffer.capacity = kStreamBufferBytes;
            FillResult result = sequencer.FillBuffer(fill == 0, buffer);
            if (buffer.used > kStreamBufferBytes - 4 || buffer.used % 12 != 0)
                std::abort();
            if (sequencer.liveBlocks > 1)
                std::abort();
            if (result != FILL_OK)
                break;
        }
    }
};

}  // namespace corelib::sound

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu)
        return 0;
    // The image is copied so reads past its end are caught exactly.
    std::vector<uint8_t> image(data, data + size);
    corelib::sound::MidiSequencerProbe::Run(image.data(), image.size(), false);
    corelib::sound::MidiSequencerProbe::Run(image.data(), image.size(), true);

    // Every track read on its own, to its end or its damage.
    corelib::sound::MidiHeader header;
    std::vector<corelib::sound::MidiTrack> tracks;
    if (corelib::sound::ParseMidiFile(image.data(), image.size(), &header, &tracks)) {
        uint32_t live = 0;
        for (auto& track : tracks) {
            corelib::sound::MidiEvent event;
            while (corelib::sound::ReadEvent(track, &event, live))
                corelib::sound::ReleaseEventBlock(event, live);
            if (live != 0)
                std::abort();
        }
    }
    return 0;
}
