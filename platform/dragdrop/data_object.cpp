#include "platform/dragdrop/data_object.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace platform::dragdrop {

namespace {

std::mutex g_formatLock;
std::vector<std::string> g_formatNames;  // index i is format 0xC000 + i

const uint8_t* LockedBytes(kernel::MemoryHandle block, size_t* size) {
    *size = kernel::GlobalSize(block);
    return static_cast<const uint8_t*>(kernel::GlobalLock(block));
}

}  // namespace

uint16_t RegisterClipboardFormat(const char* name) {
    if (!name || !*name)
        return 0;
    std::lock_guard guard(g_formatLock);
    for (size_t i = 0; i < g_formatNames.size(); ++i) {
        if (strcasecmp(g_formatNames[i].c_str(), name) == 0)
            return uint16_t(0xC000 + i);
    }
    if (g_formatNames.size() >= 0x3FFF)
        return 0;
    g_formatNames.emplace_back(name);
    return uint16_t(0xC000 + g_formatNames.size() - 1);
}

void ReleaseStgMedium(STGMEDIUM* medium) {
    if (!medium)
        return;
    if (medium->pUnkForRelease) {
        medium->pUnkForRelease->Release();
    } else if (medium->tymed == TYMED_HGLOBAL && medium->hGlobal) {
        kernel::GlobalFree(medium->hGlobal);
    }
    *medium = STGMEDIUM{};
}

std::vector<uint8_t> MakeFileList(const std::vector<std::string>& runtimePaths, POINT point) {
    DROPFILES header;
    header.pt = point;
    std::vector<uint8_t> bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    for (const std::string& path : runtimePaths) {
        bytes.insert(bytes.end(), path.begin(), path.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    if (runtimePaths.empty())
        bytes.push_back(0);
    return bytes;
}

uint32_t DragQueryFile(kernel::MemoryHandle drop, uint32_t index, char* buffer, uint32_t size) {
    size_t total = 0;
    const uint8_t* bytes = LockedBytes(drop, &total);
    if (!bytes || total < sizeof(DROPFILES)) {
        if (bytes)
            kernel::GlobalUnlock(drop);
        return 0;
    }
    DROPFILES header;
    std::memcpy(&header, bytes, sizeof header);
    uint32_t count = 0;
    uint32_t answer = 0;
    // Names are read only up to the block's end, whatever the block says.
    for (size_t at = std::min<size_t>(header.pFiles, total); at < total && bytes[at] != 0;) {
        const auto* name = reinterpret_cast<const char*>(bytes + at);
        size_t length = strnlen(name, total - at);
        if (count == index) {
            answer = uint32_t(length);
            if (buffer && size > 0) {
                size_t copied = std::min<size_t>(length, size - 1);
                std::memcpy(buffer, name, copied);
                buffer[copied] = 0;
                answer = uint32_t(copied);
            }
        }
        ++count;
        at += length + 1;
    }
    kernel::GlobalUnlock(drop);
    return index == 0xFFFFFFFF ? count : answer;
}

bool DragQueryPoint(kernel::MemoryHandle drop, POINT* point) {
    size_t total = 0;
    const uint8_t* bytes = LockedBytes(drop, &total);
    if (!bytes)
        return false;
    bool ok = total >= sizeof(DROPFILES);
    if (ok && point) {
        DROPFILES header;
        std::memcpy(&header, bytes, sizeof header);
        *point = header.pt;
    }
    kernel::GlobalUnlock(drop);
    return ok;
}

void DragFinish(kernel::MemoryHandle drop) {
    if (drop)
        kernel::GlobalFree(drop);
}

DataObject* DataObject::Create() {
    return new DataObject;
}

void DataObject::SetText(const std::string& runtimeText) {
    std::vector<uint8_t> bytes(runtimeText.begin(), runtimeText.end());
    bytes.push_back(0);
    formats_[CF_TEXT] = std::move(bytes);
}

void DataObject::SetFiles(const std::vector<std::string>& runtimePaths) {
    formats_[CF_HDROP] = MakeFileList(runtimePaths);
    fileCount_ = runtimePaths.size();
}

void DataObject::SetData(uint16_t format, std::vector<uint8_t> bytes) {
    formats_[format] = std::move(bytes);
}

HRESULT DataObject::QueryInterface(const GUID& iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
        *out = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

uint32_t DataObject::AddRef() {
    return ++references_;
}

uint32_t DataObject::Release() {
    uint32_t left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT DataObject::QueryGetData(const FORMATETC* format) {
    if (!format)
        return E_INVALIDARG;
    if (!(format->tymed & TYMED_HGLOBAL))
        return DV_E_TYMED;
    if (format->dwAspect != DVASPECT_CONTENT)
        return DV_E_FORMATETC;
    return formats_.count(format->cfFormat) ? S_OK : DV_E_FORMATETC;
}

HRESULT DataObject::GetData(const FORMATETC* format, STGMEDIUM* medium) {
    if (!medium)
        return E_INVALIDARG;
    HRESULT offered = QueryGetData(format);
    if (offered != S_OK)
        return offered;
    const std::vector<uint8_t>& bytes = formats_[format->cfFormat];
    kernel::MemoryHandle block =
        kernel::GlobalAlloc(kernel::kMemMoveable, std::max<size_t>(bytes.size(), 1));
    if (!block)
        return E_OUTOFMEMORY;
    if (void* target = kernel::GlobalLock(block)) {
        if (!bytes.empty())
            std::memcpy(target, bytes.data(), bytes.size());
        kernel::GlobalUnlock(block);
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

std::string DataObject::Describe() const {
    if (fileCount_ > 0)
        return fileCount_ == 1 ? "1 file" : std::to_string(fileCount_) + " files";
    auto text = formats_.find(CF_TEXT);
    if (text != formats_.end()) {
        std::string s(reinterpret_cast<const char*>(text->second.data()));
        s = s.substr(0, s.find_first_of("\r\n"));
        return s.size() > 40 ? s.substr(0, 37) + "..." : s;
    }
    return "data";
}

}  // namespace platform::dragdrop
