// Musical time to device time for one MIDI stream: the time division, the
// tempo in force and the point (tick, milliseconds) where it took effect.
// A tempo change re-anchors at its own tick, so every later event is timed
// from the tempo map, never from the sum of rounded gaps.
#pragma once

#include <cstdint>

namespace platform::multimedia {

class MidiClock {
public:
    static constexpr uint32_t kDefaultDivision = 96;
    static constexpr uint32_t kDefaultTempo = 500000;  // microseconds per quarter note

    // Ticks per quarter note in bits 0-14, or SMPTE with bit 15 set
    // (bits 8-15 minus frames per second: 24, 25, 29 for 29.97 or 30;
    // bits 0-7 ticks per frame). Answers false, changing nothing, for a
    // division that counts no time.
    static bool ValidDivision(uint32_t division);

    uint32_t Division() const { return division_; }
    uint32_t Tempo() const { return tempo_; }

    // Milliseconds at `tick` (at or after the anchor).
    double TimeOfTick(uint64_t tick) const;
    // Both take effect at `tick`, which must be at or after the anchor.
    bool SetDivision(uint32_t division, uint64_t tick);
    // A tempo of 0 is ignored; SMPTE time ignores tempo altogether.
    void SetTempo(uint32_t microsecondsPerQuarter, uint64_t tick);
    // Starts counting again from `tick` at `ms` (after a stop).
    void Rebase(uint64_t tick, double ms);

private:
    double MsPerTick() const;

    uint32_t division_ = kDefaultDivision;
    uint32_t tempo_ = kDefaultTempo;
    uint64_t anchorTick_ = 0;
    double anchorMs_ = 0;
};

}  // namespace platform::multimedia
