// Open devices by handle. A handle is a number that is never reused, so a
// stale handle fails instead of reaching a newer device; a lookup hands out
// a shared reference, so closing a handle while another thread still uses
// the device ends the handle, never the device under that thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace platform::multimedia {

// Wave and MIDI handles come from one counter, so one kind's handle never
// names a device of the other kind.
uintptr_t NextDeviceHandle();

template <typename Device>
class DeviceRegistry {
public:
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
    mutable std::mutex mutex_;
    std::map<uintptr_t, std::shared_ptr<Device>> devices_;
};

}  // namespace platform::multimedia
