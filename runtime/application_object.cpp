#include "runtime/application_object.h"

#include <algorithm>
#include <cstring>

#include "platform/loader/executable_path.h"
#include "runtime/arg_record.h"
#include "runtime/event_call.h"
#include "runtime/system_hooks.h"
#include "runtime/termination.h"

namespace rt {
namespace {

constexpr intptr_t kSystemVersion = 0x30005;
constexpr uint32_t kHolderBytes = 16;

// SN_GET_PATH writes into a caller's buffer of this many bytes at least.
constexpr size_t kPathBufferSize = 4096;

void CopyBounded(char* out, const std::string& text) {
    size_t length = text.size() < kPathBufferSize - 1 ? text.size() : kPathBufferSize - 1;
    std::memcpy(out, text.data(), length);
    out[length] = 0;
}

}  // namespace

ApplicationObject::ApplicationObject() {
    binding_.SetFailureReporter([](const std::string& report) {
        ApplicationObject::Instance().FatalError(report.c_str(), 0);
    });
}

ApplicationObject::~ApplicationObject() = default;

ApplicationObject& ApplicationObject::Instance() {
    static auto* instance = new ApplicationObject;
    return *instance;
}

void ApplicationObject::SetLibrary(uint32_t number, const LibraryInfo* info,
                                   intptr_t cleanupValue) {
    if (number >= libraries_.size()) {
        libraries_.resize(number + 1, nullptr);
        libraryCleanupValues_.resize(number + 1, 0);
    }
    libraries_[number] = info;
    libraryCleanupValues_[number] = cleanupValue;
}

const LibraryInfo* ApplicationObject::Library(uint32_t number) const {
    return number < libraries_.size() ? libraries_[number] : nullptr;
}

void ApplicationObject::AnnounceSystem(NotifyEntry systemNotify) {
    for (const LibraryInfo* library : libraries_) {
        if (library && library->notify) {
            library->notify(LN_SET_SYSTEM, reinterpret_cast<intptr_t>(systemNotify), 0);
        }
    }
}

const DataTypeInfo* ApplicationObject::ResolveType(LibraryTypeCode code) const {
    if (KindOfTypeCode(code) != TypeKind::Library)
        return nullptr;
    uint32_t libraryIndex = (code >> 16) - 1;
    uint32_t typeIndex = (code & 0xffff) - 1;
    const LibraryInfo* library = Library(libraryIndex);
    if (!library || !library->types || library->typeCount <= 0)
        return nullptr;
    if (typeIndex >= uint32_t(library->typeCount))
        return nullptr;
    return &library->types[typeIndex];
}

intptr_t ApplicationObject::TypeKindOf(LibraryTypeCode code) const {
    const DataTypeInfo* type = ResolveType(code);
    if (!type)
        return 0;
    if (type->flags & TYPE_FLAG_KIND2)
        return 2;
    if (type->flags & TYPE_FLAG_KIND1)
        return 1;
    return 0;
}

intptr_t ApplicationObject::TypeQuery(LibraryTypeCode code, void* buffer) {
    if (code == CORE_INTERFACE_HOLDER_TYPE) {
        if (!buffer)
            return 0;
        std::memset(buffer, 0, kHolderBytes);
        return 1;
    }
    if ((code >> 16) == 0 || KindOfTypeCode(code) != TypeKind::Library)
        return 0;
    if (!ResolveType(code))
        return 0;
    const LibraryInfo* library = Library((code >> 16) - 1);
    if (!library->notify)
        return 0;
    return library->notify(LN_TYPE_QUERY, intptr_t((code & 0xffff) - 1),
                           reinterpret_cast<intptr_t>(buffer));
}

void ApplicationObject::SetProgramLocation(std::string directory, std::string fileName) {
    programDirectory_ = std::move(directory);
    programFileName_ = std::move(fileName);
    binding_.SetProgramDirectory(programDirectory_);
}

void ApplicationObject::SetSecondSearchDirectory(std::string directory) {
    secondSearchDirectory_ = std::move(directory);
    binding_.SetSearchDirectories({}, secondSearchDirectory_);
}

intptr_t ApplicationObject::CopyPath(intptr_t selector, char* out) const {
    if (!out)
        return 0;
    switch (selector) {
        case 1:
        case 2001:
            CopyBounded(out, programDirectory_ + platform::kPathSeparator);
            break;
        case 2002:
            CopyBounded(out, programFileName_);
            break;
        default:
            out[0] = 0;
            break;
    }
    return 0;
}

void ApplicationObject::SetStaticDataRange(const void* start, const void* end) {
    staticStart_ = reinterpret_cast<uintptr_t>(start);
    staticEnd_ = reinterpret_cast<uintptr_t>(end);
}

bool ApplicationObject::InStaticData(const void* block) const {
    auto address = reinterpret_cast<uintptr_t>(block);
    return address >= staticStart_.load() && address < staticEnd_.load();
}

intptr_t ApplicationObject::ValueToInt(const void* record) {
    if (!record)
        return 0;
    ArgRecord value;
    std::memcpy(&value, record, sizeof value);
    switch (value.type) {
        case TYPE_BYTE:
            return int32_t(value.low & 0xff);
        case TYPE_SHORT:
            return int32_t(int16_t(value.low & 0xffff));
        case TYPE_INT:
        case TYPE_LONG:
            return int32_t(value.low);
        case TYPE_FLOAT:
            return int32_t(int64_t(value.asFloat()));
        case TYPE_DOUBLE:
            return int32_t(int64_t(value.asDouble()));
        default:
            break;
    }
    FatalError("A value of a type that has no integer form was used as an integer.", 0);
    return 0;
}

intptr_t ApplicationObject::Handle(int32_t message, intptr_t p1, intptr_t p2) {
    auto u1 = uint32_t(p1);
    auto u2 = uint32_t(p2);
    auto* ptr1 = reinterpret_cast<void*>(p1);
    switch (message) {
        case SN_GET_APP_ICONS:
            return GetApplicationIcons(static_cast<NativeHandle*>(ptr1),
                                       reinterpret_cast<NativeHandle*>(p2));
        case SN_GET_WINDOW_MAP:
            return reinterpret_cast<intptr_t>(&windows_);
        case SN_GET_TYPE_INFO:
            return reinterpret_cast<intptr_t>(ResolveType(u1));
        case SN_PICTURE_TO_BITMAP: {
            auto convert = Pictures().pictureToBitmap;
            if (!convert || !ptr1 || p2 <= 0)
                return 0;
            return intptr_t(convert(ptr1, u2));
        }
        case SN_IS_PRESENT:
            return 1;
        case SN_GET_VERSION:
            return kSystemVersion;
        case SN_GET_PATH:
            return CopyPath(p1, reinterpret_cast<char*>(p2));
        case SN_WRAP_WINDOW:
            return WrapWindow(NativeHandle(p1));
        case SN_DELETE_OBJECT:
            delete static_cast<RuntimeObject*>(ptr1);
            return 0;
        case SN_DETACH_WINDOW:
            return ptr1 ? intptr_t(static_cast<WindowObject*>(ptr1)->Detach()) : 0;
        case SN_GET_NATIVE_HANDLE:
            return ptr1 ? intptr_t(static_cast<WindowObject*>(ptr1)->Handle()) : 0;
        case SN_ATTACH_WINDOW:
            return AttachWindow(NativeHandle(p1), reinterpret_cast<WindowObject*>(p2));
        case SN_WATCH_WINDOW:
            return WatchWindow(static_cast<const uintptr_t*>(ptr1));
        case SN_UNWATCH_WINDOW:
            return UnwatchWindow(NativeHandle(p1));
        case SN_IS_UNIT_WINDOW:
            return IsUnitWindow(NativeHandle(p1));
        case SN_DESTROY_UNIT:
            return DestroyUnit(u1, u2);
        case SN_VALUE_TO_INT:
            return ValueToInt(ptr1);
        case SN_RESERVED_2002:
            return 0;
        case SN_GET_PROGRAM_DIR:
            return reinterpret_cast<intptr_t>(programDirectory_.c_str());
        case SN_GET_PROGRAM_NAME:
            return reinterpret_cast<intptr_t>(programFileName_.c_str());
        case SN_LOAD_WINDOW:
            return LoadWindow(static_cast<const uintptr_t*>(ptr1));
        case SN_FIND_UNIT_OBJECT:
            return FindUnitObject(u1, u2, false);
        case SN_GET_UNIT_OBJECT:
            return FindUnitObject(u1, u2, true);
        case SN_CALL_EVENT:
            return CallEvent(static_cast<EventCall*>(ptr1));
        case SN_BLOCK_EVENTS:
            ProcessPendingMessages();
            ++eventBlockCount_;
            return 0;
        case SN_UNBLOCK_EVENTS: {
            ProcessPendingMessages();
            int32_t count = eventBlockCount_.load();
            while (count > 0 && !eventBlockCount_.compare_exchange_weak(count, count - 1)) {
            }
            return 0;
        }
        case SN_GET_OWNED_TAG:
            return OwnedTag(ptr1);
        case SN_ADD_OWNED:
            return AddOwned(static_cast<OwnedObject*>(ptr1), uint8_t(p2));
        case SN_REMOVE_OWNED:
            return RemoveOwned(ptr1);
        case SN_DESTROY_OWNED:
            DestroyOwned();
            return 0;
        case SN_PLAY_SOUND_DATA:
            return PlaySoundData(static_cast<const uintptr_t*>(ptr1));
        case SN_STOP_SOUND:
            StopSound();
            return 0;
        case SN_GET_EVENT_SOURCE:
            return GetEventSource(ptr1);
        case SN_DO_EVENTS:
            ProcessPendingMessages();
            return 0;
        case SN_ADD_PICTURE:
            if (ptr1 && std::find(pictures_.begin(), pictures_.end(), ptr1) == pictures_.end()) {
                pictures_.push_back(ptr1);
            }
            return 0;
        case SN_FREE_PICTURE:
            return FreePicture(ptr1);
        case SN_HAS_PICTURE:
            return ptr1 && std::find(pictures_.begin(), pictures_.end(), ptr1) != pictures_.end();
        case SN_GET_UNIT_TYPE:
            return UnitType(u1, u2);
        case SN_FREE_ARRAY:
            FreeArray(u1, reinterpret_cast<void*>(p2));
            return 0;
        case SN_ALLOC:
            return reinterpret_cast<intptr_t>(Allocate(p1, p2 == 0));
        case SN_FREE:
            Free(ptr1);
            return 0;
        case SN_REALLOC:
            return reinterpret_cast<intptr_t>(Reallocate(ptr1, p2));
        case SN_FATAL_ERROR:
            FatalError(static_cast<const char*>(ptr1), 0);
            return 0;
        case SN_EXIT:
            Exit(int32_t(p1));
        case SN_GET_TYPE_KIND:
            return TypeKindOf(u1);
        case SN_GET_RUN_MODE:
            return runMode_;
        case SN_CALL_EVENT_WIDE:
            return CallWideEvent(static_cast<WideEventCall*>(ptr1));
        case SN_WINDOW_COUNT:
            return windows_.Count();
        case SN_WINDOW_HANDLE:
            return p1 < 0 ? 0 : WindowHandleAt(u1);
        case SN_BITMAP_TO_BMP: {
            auto convert = Pictures().bitmapToBmp;
            return convert && p1 ? intptr_t(convert(NativeHandle(p1))) : 0;
        }
        case SN_RELEASE_REF:
            return ReleaseReference(static_cast<InterfaceHolder*>(ptr1));
        case SN_TYPE_QUERY:
            return TypeQuery(u1, reinterpret_cast<void*>(p2));
        case SN_MARK_MENU_CHANGED:
            return MarkMenuChanged(u1);
        case SN_GET_MENU_ITEM:
            return GetMenuItem(static_cast<MenuItemQuery*>(ptr1));
        case SN_REFRESH_UNIT:
            return RefreshUnit(u1, u2);
        case SN_REBUILD_MENU:
            return RebuildMenu(u1);
        default:
            return 0;
    }
}

intptr_t SystemNotify(int32_t message, intptr_t param1, intptr_t param2) {
    return ApplicationObject::Instance().Handle(message, param1, param2);
}

}  // namespace rt
