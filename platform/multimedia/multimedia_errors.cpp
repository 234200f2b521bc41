// Error texts and the shared handle counter.
#include <atomic>

#include "platform/multimedia/device_registry.h"
#include "platform/multimedia/multimedia.h"

namespace platform::multimedia {

uintptr_t NextDeviceHandle() {
    // Starts well away from 0 and from small numbers a caller might pass by
    // mistake (a device id for a handle).
    static std::atomic<uintptr_t> next{0x4D0001};
    return next.fetch_add(1);
}

const char* MultimediaErrorText(MMRESULT error) {
    switch (error) {
        case MMSYSERR_NOERROR:
            return "no error";
        case MMSYSERR_ERROR:
            return "unspecified device error";
        case MMSYSERR_BADDEVICEID:
            return "no such device";
        case MMSYSERR_ALLOCATED:
            return "device already in use";
        case MMSYSERR_INVALHANDLE:
            return "not an open device handle";
        case MMSYSERR_NODRIVER:
            return "no audio output available";
        case MMSYSERR_NOMEM:
            return "out of memory";
        case MMSYSERR_NOTSUPPORTED:
            return "not supported";
        case MMSYSERR_INVALFLAG:
            return "invalid flags";
        case MMSYSERR_INVALPARAM:
            return "invalid parameter";
        case MMSYSERR_HANDLEBUSY:
            return "device used from its own notification";
        case WAVERR_BADFORMAT:
            return "unsupported wave format";
        case WAVERR_STILLPLAYING:
            return "wave buffers still queued";
        case WAVERR_UNPREPARED:
            return "wave header not prepared";
        case MIDIERR_UNPREPARED:
            return "MIDI header not prepared";
        case MIDIERR_STILLPLAYING:
            return "MIDI buffers still queued";
        default:
            return "unknown multimedia error";
    }
}

}  // namespace platform::multimedia
