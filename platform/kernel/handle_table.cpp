#include "platform/kernel/handle_table.h"

#include <mutex>
#include <unordered_map>

namespace platform::kernel {
namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<Handle, std::shared_ptr<KernelObject>> objects;
    // Handles are multiples of 4 like the platform's, starting well above 0.
    Handle next = 0x1000;
};

HandleTable& Table() {
    static auto* table = new HandleTable;  // outlives threads still closing handles at exit
    return *table;
}

}  // namespace

Handle AddHandle(std::shared_ptr<KernelObject> object) {
    if (!object)
        return 0;
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    Handle handle = table.next;
    table.next += 4;
    table.objects.emplace(handle, std::move(object));
    return handle;
}

std::shared_ptr<KernelObject> FindObject(Handle handle) {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.objects.find(handle);
    return it == table.objects.end() ? nullptr : it->second;
}

bool CloseHandle(Handle handle) {
    std::shared_ptr<KernelObject> object;
    {
        HandleTable& table = Table();
        std::lock_guard lock(table.mutex);
        auto it = table.objects.find(handle);
        if (it == table.objects.end())
            return false;
        object = std::move(it->second);
        table.objects.erase(it);
    }
    object->OnHandleClosed();
    return true;
}

}  // namespace platform::kernel
