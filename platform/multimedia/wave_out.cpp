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

bool HeaderOk(const WAVEHDR* header, uint32_t size) {
    return header && size == sizeof(WAVEHDR);
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
    uintptr_t handle = NextDeviceHandle();
    std::shared_ptr<WaveOutDevice> opened;
    MMRESULT result = WaveOutDevice::Open(
        deviceId, copy, mode == CALLBACK_FUNCTION ? callback : nullptr, instance, handle, &opened);
    if (result != MMSYSERR_NOERROR)
        return result;
    Devices().Add(handle, std::move(opened));
    *device = handle;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t size) {
    if (!Devices().Find(device))
        return MMSYSERR_INVALHANDLE;
    if (!HeaderOk(header, size))
        return MMSYSERR_INVALPARAM;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t size) {
    if (!Devices().Find(device))
        return MMSYSERR_INVALHANDLE;
    if (!HeaderOk(header, size))
        return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, uint32_t size) {
    auto open = Devices().Find(device);
    if (!open)
        return MMSYSERR_INVALHANDLE;
    if (!HeaderOk(header, size))
        return MMSYSERR_INVALPARAM;
    return open->Write(header);
}

MMRESULT waveOutReset(HWAVEOUT device) {
    auto open = Devices().Find(device);
    return open ? open->Reset() : MMSYSERR_INVALHANDLE;
}

MMRESULT waveOutPause(HWAVEOUT device) {
    auto open = Devices().Find(device);
    return open ? open->Pause() : MMSYSERR_INVALHANDLE;
}

MMRESULT waveOutRestart(HWAVEOUT device) {
    auto open = Devices().Find(device);
    return open ? open->Restart() : MMSYSERR_INVALHANDLE;
}

MMRESULT waveOutClose(HWAVEOUT device) {
    auto open = Devices().Find(device);
    if (!open)
        return MMSYSERR_INVALHANDLE;
    MMRESULT result = open->Close();
    if (result == MMSYSERR_NOERROR)
        Devices().Remove(device);
    return result;
}

}  // namespace platform::multimedia
