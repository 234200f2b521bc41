// The midiStream* and midiOut* calls: device choice, argument checks and
// handle look-up in front of MidiStreamDevice.
#include <cstdlib>
#include <string>

#include "platform/multimedia/device_registry.h"
#include "platform/multimedia/midi_sink.h"
#include "platform/multimedia/midi_stream_device.h"
#include "platform/multimedia/multimedia.h"

namespace platform::multimedia {
namespace {

DeviceRegistry<MidiStreamDevice>& Streams() {
    static auto* streams = new DeviceRegistry<MidiStreamDevice>;  // lives as long as the process
    return *streams;
}

// The recording device's log, when one is named.
std::string RecordingLogPath() {
    const char* path = std::getenv("PICBATCH_MIDI_LOG");
    return path ? path : "";
}

bool HeaderOk(const MIDIHDR* header, uint32_t size) {
    return header && size == sizeof(MIDIHDR);
}

}  // namespace

uint32_t midiOutGetNumDevs() {
    return RecordingLogPath().empty() ? 1 : 2;
}

MMRESULT midiStreamOpen(HMIDISTRM* stream, const uint32_t* deviceId, uint32_t count,
                        DeviceCallback callback, uintptr_t instance, uint32_t flags) {
    if (!stream || !deviceId || count != 1)
        return MMSYSERR_INVALPARAM;
    if (flags != CALLBACK_NULL && flags != CALLBACK_FUNCTION)
        return MMSYSERR_INVALFLAG;
    if (flags == CALLBACK_FUNCTION && !callback)
        return MMSYSERR_INVALPARAM;

    std::string log = RecordingLogPath();
    uint32_t device = *deviceId;
    if (device == MIDI_MAPPER)
        device = log.empty() ? kSynthesizerDevice : kRecordingDevice;
    std::unique_ptr<MidiSink> sink;
    if (device == kSynthesizerDevice) {
        sink = OpenSynthesizerSink();
    } else if (device == kRecordingDevice && !log.empty()) {
        sink = OpenRecordingSink(log);
        if (!sink)
            return MMSYSERR_ERROR;
    } else {
        return MMSYSERR_BADDEVICEID;
    }

    uintptr_t handle = NextDeviceHandle();
    std::shared_ptr<MidiStreamDevice> opened;
    MMRESULT result =
        MidiStreamDevice::Open(std::move(sink), flags == CALLBACK_FUNCTION ? callback : nullptr,
                               instance, handle, &opened);
    if (result != MMSYSERR_NOERROR)
        return result;
    Streams().Add(handle, std::move(opened));
    *stream = handle;
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamProperty(HMIDISTRM stream, void* property, uint32_t flags) {
    auto open = Streams().Find(stream);
    return open ? open->Property(property, flags) : MMSYSERR_INVALHANDLE;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT stream, MIDIHDR* header, uint32_t size) {
    if (!Streams().Find(stream))
        return MMSYSERR_INVALHANDLE;
    if (!HeaderOk(header, size))
        return MMSYSERR_INVALPARAM;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT stream, MIDIHDR* header, uint32_t size) {
    if (!Streams().Find(stream))
        return MMSYSERR_INVALHANDLE;
    if (!HeaderOk(header, size))
        return MMSYSERR_INVALPARAM;
    if (header->dwFlags & MHDR_INQUEUE)
        return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, uint32_t size) {
    auto open = Streams().Find(stream);
    if (!open)
        return MMSYSERR_INVALHANDLE;
    if (!HeaderOk(header, size))
        return MMSYSERR_INVALPARAM;
    return open->Out(header);
}

MMRESULT midiStreamRestart(HMIDISTRM stream) {
    auto open = Streams().Find(stream);
    return open ? open->Restart() : MMSYSERR_INVALHANDLE;
}

MMRESULT midiStreamPause(HMIDISTRM stream) {
    auto open = Streams().Find(stream);
    return open ? open->Pause() : MMSYSERR_INVALHANDLE;
}

MMRESULT midiStreamStop(HMIDISTRM stream) {
    auto open = Streams().Find(stream);
    return open ? open->Stop() : MMSYSERR_INVALHANDLE;
}

MMRESULT midiOutReset(HMIDIOUT stream) {
    auto open = Streams().Find(stream);
    return open ? open->Reset() : MMSYSERR_INVALHANDLE;
}

MMRESULT midiStreamClose(HMIDISTRM stream) {
    auto open = Streams().Find(stream);
    if (!open)
        return MMSYSERR_INVALHANDLE;
    MMRESULT result = open->Close();
    if (result == MMSYSERR_NOERROR)
        Streams().Remove(stream);
    return result;
}

}  // namespace platform::multimedia
