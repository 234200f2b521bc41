// Where a MIDI stream's messages go once their time has come. The stream's
// timing thread calls these in time order; `ms` is the stream clock at
// which the message plays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform::multimedia {

class MidiSink {
public:
    virtual ~MidiSink() = default;
    // `message`: status | data1 << 8 | data2 << 16; `length` 1 to 3 bytes.
    virtual void ShortMessage(double ms, uint32_t message, uint32_t length) = 0;
    // A complete system-exclusive message, F0 ... F7.
    virtual void LongMessage(const uint8_t* bytes, uint32_t length) = 0;
    // Silences every sounding note (stop, pause).
    virtual void NotesOff() = 0;
    // Notes off and controllers back to their defaults (reset).
    virtual void ResetControllers() = 0;
};

// Appends one line per short message to `path`. Null when the file cannot
// be opened for appending.
std::unique_ptr<MidiSink> OpenRecordingSink(const std::string& path);

// The shared General MIDI synthesizer (see synthesizer.h). Never null: when
// no sound can be made the sink drops what it is given.
std::unique_ptr<MidiSink> OpenSynthesizerSink();

// The number of bytes a short message with this status byte has, 0 for a
// byte that cannot start one.
uint32_t ShortMessageLength(uint8_t status);

}  // namespace platform::multimedia
