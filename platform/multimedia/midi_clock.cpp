#include "platform/multimedia/midi_clock.h"

namespace platform::multimedia {
namespace {

bool IsSmpte(uint32_t division) {
    return (division & 0x8000) != 0;
}

double FramesPerSecond(uint32_t division) {
    int fps = -int(int8_t(uint8_t(division >> 8)));
    return fps == 29 ? 30000.0 / 1001.0 : double(fps);
}

}  // namespace

bool MidiClock::ValidDivision(uint32_t division) {
    if (division > 0xFFFF)
        return false;
    if (!IsSmpte(division))
        return (division & 0x7FFF) != 0;
    int fps = -int(int8_t(uint8_t(division >> 8)));
    bool knownRate = fps == 24 || fps == 25 || fps == 29 || fps == 30;
    return knownRate && (division & 0xFF) != 0;
}

double MidiClock::MsPerTick() const {
    if (IsSmpte(division_))
        return 1000.0 / (FramesPerSecond(division_) * double(division_ & 0xFF));
    return double(tempo_) / 1000.0 / double(division_);
}

double MidiClock::TimeOfTick(uint64_t tick) const {
    return anchorMs_ + double(tick - anchorTick_) * MsPerTick();
}

bool MidiClock::SetDivision(uint32_t division, uint64_t tick) {
    if (!ValidDivision(division))
        return false;
    Rebase(tick, TimeOfTick(tick));
    division_ = division;
    return true;
}

void MidiClock::SetTempo(uint32_t microsecondsPerQuarter, uint64_t tick) {
    if (microsecondsPerQuarter == 0)
        return;
    Rebase(tick, TimeOfTick(tick));
    tempo_ = microsecondsPerQuarter;
}

void MidiClock::Rebase(uint64_t tick, double ms) {
    anchorTick_ = tick;
    anchorMs_ = ms;
}

}  // namespace platform::multimedia
