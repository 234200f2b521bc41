// The word-shaped routines the application binds by name. Each takes and
// answers whole words: handles and pointers as they are, 32-bit values in
// the low half (a device id of -1 arrives as 0xFFFFFFFF whichever way the
// caller extended it). Callbacks are called with five words.
#include "platform/base/exported_words.h"
#include "platform/multimedia/multimedia.h"

namespace mm = platform::multimedia;
using platform::exported::Low;
using platform::exported::Ptr;
using W = platform::exported::Word;

namespace {

mm::DeviceCallback Callback(W word) {
    return reinterpret_cast<mm::DeviceCallback>(word);
}

}  // namespace

#define MULTIMEDIA_EXPORT extern "C" __attribute__((visibility("default")))

// --- Wave output -------------------------------------------------------------
MULTIMEDIA_EXPORT W waveOutGetNumDevs() {
    return mm::waveOutGetNumDevs();
}
MULTIMEDIA_EXPORT W waveOutOpen(W device, W deviceId, W format, W callback, W instance, W flags) {
    return mm::waveOutOpen(Ptr<mm::HWAVEOUT>(device), Low(deviceId),
                           Ptr<const mm::WAVEFORMATEX>(format), Callback(callback), instance,
                           Low(flags));
}
MULTIMEDIA_EXPORT W waveOutPrepareHeader(W device, W header, W size) {
    return mm::waveOutPrepareHeader(device, Ptr<mm::WAVEHDR>(header), Low(size));
}
MULTIMEDIA_EXPORT W waveOutUnprepareHeader(W device, W header, W size) {
    return mm::waveOutUnprepareHeader(device, Ptr<mm::WAVEHDR>(header), Low(size));
}
MULTIMEDIA_EXPORT W waveOutWrite(W device, W header, W size) {
    return mm::waveOutWrite(device, Ptr<mm::WAVEHDR>(header), Low(size));
}
MULTIMEDIA_EXPORT W waveOutReset(W device) {
    return mm::waveOutReset(device);
}
MULTIMEDIA_EXPORT W waveOutPause(W device) {
    return mm::waveOutPause(device);
}
MULTIMEDIA_EXPORT W waveOutRestart(W device) {
    return mm::waveOutRestart(device);
}
MULTIMEDIA_EXPORT W waveOutClose(W device) {
    return mm::waveOutClose(device);
}

// --- MIDI stream output ------------------------------------------------------
MULTIMEDIA_EXPORT W midiOutGetNumDevs() {
    return mm::midiOutGetNumDevs();
}
MULTIMEDIA_EXPORT W midiStreamOpen(W stream, W deviceId, W count, W callback, W instance, W flags) {
    return mm::midiStreamOpen(Ptr<mm::HMIDISTRM>(stream), Ptr<const uint32_t>(deviceId), Low(count),
                              Callback(callback), instance, Low(flags));
}
MULTIMEDIA_EXPORT W midiStreamProperty(W stream, W property, W flags) {
    return mm::midiStreamProperty(stream, Ptr<void>(property), Low(flags));
}
MULTIMEDIA_EXPORT W midiOutPrepareHeader(W stream, W header, W size) {
    return mm::midiOutPrepareHeader(stream, Ptr<mm::MIDIHDR>(header), Low(size));
}
MULTIMEDIA_EXPORT W midiOutUnprepareHeader(W stream, W header, W size) {
    return mm::midiOutUnprepareHeader(stream, Ptr<mm::MIDIHDR>(header), Low(size));
}
MULTIMEDIA_EXPORT W midiStreamOut(W stream, W header, W size) {
    return mm::midiStreamOut(stream, Ptr<mm::MIDIHDR>(header), Low(size));
}
MULTIMEDIA_EXPORT W midiStreamRestart(W stream) {
    return mm::midiStreamRestart(stream);
}
MULTIMEDIA_EXPORT W midiStreamPause(W stream) {
    return mm::midiStreamPause(stream);
}
MULTIMEDIA_EXPORT W midiStreamStop(W stream) {
    return mm::midiStreamStop(stream);
}
MULTIMEDIA_EXPORT W midiOutReset(W stream) {
    return mm::midiOutReset(stream);
}
MULTIMEDIA_EXPORT W midiStreamClose(W stream) {
    return mm::midiStreamClose(stream);
}
