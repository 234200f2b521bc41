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

    DeviceCallback notify = flags == CALLBACK_FUNCTION ? callback : nullptr;
    return Streams().OpenDevice(stream, [&](uintptr_t handle, auto* opened) {
        return MidiStreamDevice::Open(std::move(sink), notify, instance, handle, opened);
    });
}

MMRESULT midiStreamProperty(HMIDISTRM stream, void* property, uint32_t flags) {
    auto open = Streams().Find(stream);
    return open ? open->Property(property, flags) : MMSYSERR_INVALHANDLE;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT stream, MIDIHDR* header, uint32_t size) {
    return Streams().PrepareHeader(stream, header, size);
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT stream, MIDIHDR* header, uint32_t size) {
    return Streams().UnprepareHeader(stream, header, size);
}

MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, uint32_t size) {
    return Streams().Queue(stream, header, size, &MidiStreamDevice::Out);
}

MMRESULT midiStreamRestart(HMIDISTRM stream) {
    return Streams().Call(stream, &MidiStreamDevice::Restart);
}

MMRESULT midiStreamPause(HMIDISTRM stream) {
    return Streams().Call(stream, &MidiStreamDevice::Pause);
}

MMRESULT midiStreamStop(HMIDISTRM stream) {
    return Streams().Call(stream, &MidiStreamDevice::Stop);
}

MMRESULT midiOutReset(HMIDIOUT stream) {
    return Streams().Call(stream, &MidiStreamDevice::Reset);
}

MMRESULT midiStreamClose(HMIDISTRM stream) {
    return Streams().Close(stream);
}

}  // namespace platform::multimedia
