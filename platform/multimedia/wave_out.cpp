// The waveOut* calls: argument checks and handle look-up in front of
// WaveOutDevice.
#include <cstring>

#include "platform/multimedia/device_registry.h"
#include "platform/multimedia/multimedia.h"
#include "platform/multimedia/sdl_audio.h"
#include "platform/multimedia/wave_out_device.h"

namespace platform::multimedia {
namespace {

DeviceRegistry<WaveOutDevice>& Devices() {
    static auto* devices = new DeviceRegistry<WaveOutDevice>;  // lives as long as the process
    return *devices;
}

}  // namespace

uint32_t waveOutGetNumDevs() {
    return audio::OutputDeviceCount();
}

MMRESULT waveOutOpen(HWAVEOUT* device, uint32_t deviceId, const WAVEFORMATEX* format,
                     DeviceCallback callback, uintptr_t instance, uint32_t flags) {
    if (!format)
        return MMSYSERR_INVALPARAM;
    uint32_t mode = flags & 0x70000;
    if ((flags & ~(0x70000u | WAVE_FORMAT_QUERY)) != 0 ||
        (mode != CALLBACK_NULL && mode != CALLBACK_FUNCTION))
        return MMSYSERR_INVALFLAG;
    if (mode == CALLBACK_FUNCTION && !callback)
        return MMSYSERR_INVALPARAM;
    // Only the PCM fields are read: a 16-byte format chunk has no cbSize.
    WAVEFORMATEX copy{};
    std::memcpy(&copy, format, kPcmFormatBytes);
    if (flags & WAVE_FORMAT_QUERY)
        return WaveOutDevice::CheckFormat(copy);
    if (!device)
        return MMSYSERR_INVALPARAM;
    DeviceCallback notify = mode == CALLBACK_FUNCTION ? callback : nullptr;
    return Devices().OpenDevice(device, [&](uintptr_t handle, auto* opened) {
        return WaveOutDevice::Open(deviceId, copy, notify, instance, handle, opened);
    });
}

MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t size) {
    return Devices().PrepareHeader(device, header, size);
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t size) {
    return Devices().UnprepareHeader(device, header, size);
}

MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, uint32_t size) {
    return Devices().Queue(device, header, size, &WaveOutDevice::Write);
}

MMRESULT waveOutReset(HWAVEOUT device) {
    return Devices().Call(device, &WaveOutDevice::Reset);
}

MMRESULT waveOutPause(HWAVEOUT device) {
    return Devices().Call(device, &WaveOutDevice::Pause);
}

MMRESULT waveOutRestart(HWAVEOUT device) {
    return Devices().Call(device, &WaveOutDevice::Restart);
}

MMRESULT waveOutClose(HWAVEOUT device) {
    return Devices().Close(device);
}

}  // namespace platform::multimedia
