// Message lengths by status byte, shared by the stream and its sinks.
#include "platform/multimedia/midi_sink.h"

namespace platform::multimedia {

uint32_t ShortMessageLength(uint8_t status) {
    if (status < 0x80)
        return 0;
    if (status < 0xF0)
        return (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 2 : 3;
    switch (status) {
        case 0xF1:  // time code quarter frame
        case 0xF3:  // song select
            return 2;
        case 0xF2:  // song position
            return 3;
        case 0xF6:
        case 0xF8:
        case 0xFA:
        case 0xFB:
        case 0xFC:
        case 0xFE:
        case 0xFF:
            return 1;
        default:  // F0 and F7 frame long messages; F4, F5, F9, FD are undefined
            return 0;
    }
}

}  // namespace platform::multimedia
