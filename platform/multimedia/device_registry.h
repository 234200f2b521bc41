// Open devices by handle. A handle is a number that is never reused, so a
// stale handle fails instead of reaching a newer device; a lookup hands out
// a shared reference, so closing a handle while another thread still uses
// the device ends the handle, never the device under that thread.
//
// The registry also makes the checks every waveOut* and midiOut* call makes
// in front of its device: an unknown handle answers MMSYSERR_INVALHANDLE,
// a null header or a size other than the header's MMSYSERR_INVALPARAM.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "platform/multimedia/multimedia.h"

namespace platform::multimedia {

// Wave and MIDI handles come from one counter, so one kind's handle never
// names a device of the other kind.
uintptr_t NextDeviceHandle();

// `Device` is a QueuedDevice, whose Header and Traits say what it queues.
template <typename Device>
class DeviceRegistry {
public:
    using Header = typename Device::Header;
    using Traits = typename Device::Traits;

    // Opens a device under a new handle through `open(handle, &device)`,
    // which answers an MMRESULT, and enters it; `*opened` gets the handle
    // when the device opened.
    template <typename Open>
    MMRESULT OpenDevice(uintptr_t* opened, Open open) {
        uintptr_t handle = NextDeviceHandle();
        std::shared_ptr<Device> device;
        MMRESULT result = open(handle, &device);
        if (result != MMSYSERR_NOERROR)
            return result;
        Add(handle, std::move(device));
        *opened = handle;
        return MMSYSERR_NOERROR;
    }

    // Runs `operation` on the device under `handle`.
    MMRESULT Call(uintptr_t handle, MMRESULT (Device::*operation)()) const {
        auto device = Find(handle);
        return device ? (device.get()->*operation)() : MMSYSERR_INVALHANDLE;
    }

    // Hands `header` to the device under `handle` with `queue` (Write, Out).
    MMRESULT Queue(uintptr_t handle, Header* header, uint32_t size,
                   MMRESULT (Device::*queue)(Header*)) const {
        auto device = Find(handle);
        if (!device)
            return MMSYSERR_INVALHANDLE;
        if (!HeaderOk(header, size))
            return MMSYSERR_INVALPARAM;
        return (device.get()->*queue)(header);
    }

    MMRESULT PrepareHeader(uintptr_t handle, Header* header, uint32_t size) const {
        if (!Find(handle))
            return MMSYSERR_INVALHANDLE;
        if (!HeaderOk(header, size))
            return MMSYSERR_INVALPARAM;
        header->dwFlags |= Traits::kPrepared;
        return MMSYSERR_NOERROR;
    }

    // Refused (still playing) while the header is queued.
    MMRESULT UnprepareHeader(uintptr_t handle, Header* header, uint32_t size) const {
        if (!Find(handle))
            return MMSYSERR_INVALHANDLE;
        if (!HeaderOk(header, size))
            return MMSYSERR_INVALPARAM;
        if (header->dwFlags & Traits::kInQueue)
            return Traits::kStillPlaying;
        header->dwFlags &= ~Traits::kPrepared;
        return MMSYSERR_NOERROR;
    }

    // Closes the device under `handle`; the handle ends once the device
    // has closed.
    MMRESULT Close(uintptr_t handle) {
        auto device = Find(handle);
        if (!device)
            return MMSYSERR_INVALHANDLE;
        MMRESULT result = device->Close();
        if (result == MMSYSERR_NOERROR)
            Remove(handle);
        return result;
    }

    // `handle` comes from NextDeviceHandle(), taken before the device was
    // opened so its notifications carry it from the start.
    void Add(uintptr_t handle, std::shared_ptr<Device> device) {
        std::lock_guard lock(mutex_);
        devices_.emplace(handle, std::move(device));
    }
    std::shared_ptr<Device> Find(uintptr_t handle) const {
        std::lock_guard lock(mutex_);
        auto it = devices_.find(handle);
        return it == devices_.end() ? nullptr : it->second;
    }
    void Remove(uintptr_t handle) {
        std::lock_guard lock(mutex_);
        devices_.erase(handle);
    }

private:
    static bool HeaderOk(const Header* header, uint32_t size) {
        return header && size == sizeof(Header);
    }

    mutable std::mutex mutex_;
    std::map<uintptr_t, std::shared_ptr<Device>> devices_;
};

}  // namespace platform::multimedia
