// Owned objects, the picture list, sound and interface references.
#include <algorithm>
#include <cstring>

#include "runtime/application_object.h"
#include "runtime/system_hooks.h"

namespace rt {

intptr_t ApplicationObject::OwnedTag(const void* object) const {
    auto it = std::find(ownedObjects_.begin(), ownedObjects_.end(), object);
    if (!object || it == ownedObjects_.end())
        return -1;
    return ownedTags_[size_t(it - ownedObjects_.begin())];
}

intptr_t ApplicationObject::AddOwned(OwnedObject* object, uint8_t tag) {
    if (!object || OwnedTag(object) >= 0)
        return 0;
    ownedObjects_.push_back(object);
    ownedTags_.push_back(tag);
    return 1;
}

intptr_t ApplicationObject::RemoveOwned(const void* object) {
    auto it = std::find(ownedObjects_.begin(), ownedObjects_.end(), object);
    if (!object || it == ownedObjects_.end())
        return 0;
    ownedTags_.erase(ownedTags_.begin() + (it - ownedObjects_.begin()));
    ownedObjects_.erase(it);
    return 1;
}

void ApplicationObject::DestroyOwned() {
    // Taken out of the list first: closing an object may send messages
    // that look at the list.
    std::vector<OwnedObject*> objects;
    objects.swap(ownedObjects_);
    ownedTags_.clear();
    for (OwnedObject* object : objects) {
        object->Close();
        delete object;
    }
}

intptr_t ApplicationObject::PlaySoundData(const uintptr_t* request) {
    if (!request || !request[0] || !request[1])
        return 0;
    auto play = Sound().playSoundData;
    if (!play)
        return 0;
    return play(reinterpret_cast<const void*>(request[0]), uint32_t(request[1]),
                int32_t(request[2])) == 1
               ? 1
               : 0;
}

void ApplicationObject::StopSound() {
    if (auto stop = Sound().stopSound)
        stop();
}

intptr_t ApplicationObject::FreePicture(void* record) {
    auto it = std::find(pictures_.begin(), pictures_.end(), record);
    if (!record || it == pictures_.end())
        return 0;
    pictures_.erase(it);
    if (auto release = Pictures().releasePicture)
        release(record);
    return 1;
}

intptr_t ApplicationObject::ReleaseReference(InterfaceHolder* holder) {
    if (!holder)
        return 0;
    if (holder->object) {
        if (holder->block) {
            holder->object->ReleaseBlock(holder->block);
            holder->block = nullptr;
        }
        holder->object->Release();
        holder->object = nullptr;
    } else if (holder->block) {
        Free(holder->block);
        holder->block = nullptr;
    }
    return 0;
}

}  // namespace rt
