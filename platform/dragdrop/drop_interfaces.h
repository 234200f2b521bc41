// Drag-and-drop between windows and from other programs: reference-counted
// objects with interface ids, data objects that offer their data in
// clipboard formats as movable memory blocks, drop targets registered per
// window, and a helper that shows what is being dragged.
#pragma once

#include <cstdint>

#include "platform/kernel/kernel.h"
#include "platform/windowing/windows.h"

namespace platform::dragdrop {

using HRESULT = int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002);
inline constexpr HRESULT E_POINTER = HRESULT(0x80004003);
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005);
inline constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057);
inline constexpr HRESULT DV_E_FORMATETC = HRESULT(0x80040064);
inline constexpr HRESULT DV_E_TYMED = HRESULT(0x80040069);
inline constexpr HRESULT DRAGDROP_E_NOTREGISTERED = HRESULT(0x80040100);
inline constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = HRESULT(0x80040101);
inline constexpr HRESULT DRAGDROP_E_INVALIDHWND = HRESULT(0x80040102);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = HRESULT(0x80040154);

struct GUID {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
    friend bool operator==(const GUID&, const GUID&) = default;
};
// This platform's own interface and class ids.
inline constexpr GUID IID_IUnknown{0x7A3E0000, 0x5C1B, 0x4D2A, {0x9B, 0x01, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID IID_IDataObject{0x7A3E0001, 0x5C1B, 0x4D2A, {0x9B, 0x01, 0, 0, 0, 0, 0, 1}};
inline constexpr GUID IID_IDropTarget{0x7A3E0002, 0x5C1B, 0x4D2A, {0x9B, 0x01, 0, 0, 0, 0, 0, 2}};
inline constexpr GUID IID_IDropTargetHelper{
    0x7A3E0003, 0x5C1B, 0x4D2A, {0x9B, 0x01, 0, 0, 0, 0, 0, 3}};
inline constexpr GUID CLSID_DragImageHelper{
    0x7A3E0100, 0x5C1B, 0x4D2A, {0x9B, 0x01, 0, 0, 0, 0, 1, 0}};

class IUnknown {
public:
    virtual HRESULT QueryInterface(const GUID& iid, void** out) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};

// ---- Data ----
inline constexpr uint16_t CF_TEXT = 1;
inline constexpr uint16_t CF_UNICODETEXT = 13;
inline constexpr uint16_t CF_HDROP = 15;
inline constexpr uint32_t DVASPECT_CONTENT = 1;
inline constexpr uint32_t TYMED_HGLOBAL = 1;

struct FORMATETC {
    uint16_t cfFormat = 0;
    void* ptd = nullptr;
    uint32_t dwAspect = DVASPECT_CONTENT;
    int32_t lindex = -1;
    uint32_t tymed = TYMED_HGLOBAL;
};
struct STGMEDIUM {
    uint32_t tymed = 0;
    kernel::MemoryHandle hGlobal = 0;
    IUnknown* pUnkForRelease = nullptr;
};
// Frees the medium's block (or lets its owner do so) and clears it.
void ReleaseStgMedium(STGMEDIUM* medium);

// A clipboard format number for a name (from 0xC000); the same name, in
// any letter case, always answers the same number. 0 for an empty name.
uint16_t RegisterClipboardFormat(const char* name);

class IDataObject : public IUnknown {
public:
    // A copy of the data in a fresh block the caller releases.
    virtual HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) = 0;
    // S_OK when the data is offered as described.
    virtual HRESULT QueryGetData(const FORMATETC* format) = 0;

protected:
    ~IDataObject() = default;
};

// The file-list block (CF_HDROP): this header, then the names as runtime
// texts, each ended by a zero byte, and one more zero byte.
struct DROPFILES {
    uint32_t pFiles = sizeof(DROPFILES);  // offset of the first name
    POINT pt;
    int32_t fNC = 0;
    int32_t fWide = 0;
};
// With index 0xFFFFFFFF the number of names; otherwise copies name `index`
// (cut to fit, zero-ended) and answers its length without the zero; with a
// null buffer only the length.
uint32_t DragQueryFile(kernel::MemoryHandle drop, uint32_t index, char* buffer, uint32_t size);
// Where the files were dropped (client coordinates of the window).
bool DragQueryPoint(kernel::MemoryHandle drop, POINT* point);
void DragFinish(kernel::MemoryHandle drop);

// ---- Targets ----
inline constexpr uint32_t DROPEFFECT_NONE = 0;
inline constexpr uint32_t DROPEFFECT_COPY = 1;
inline constexpr uint32_t DROPEFFECT_MOVE = 2;
inline constexpr uint32_t DROPEFFECT_LINK = 4;
inline constexpr uint32_t MK_ALT = 0x20;  // beside MK_LBUTTON, MK_SHIFT, MK_CONTROL

// Points are screen coordinates.
struct POINTL {
    int32_t x = 0;
    int32_t y = 0;
};

class IDropTarget : public IUnknown {
public:
    // *effect comes in as the effects the source allows and goes out as
    // the one the target would perform.
    virtual HRESULT DragEnter(IDataObject* data, uint32_t keyState, POINTL point,
                              uint32_t* effect) = 0;
    virtual HRESULT DragOver(uint32_t keyState, POINTL point, uint32_t* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(IDataObject* data, uint32_t keyState, POINTL point, uint32_t* effect) = 0;

protected:
    ~IDropTarget() = default;
};

// Registers `target` (which gains a reference) for `hwnd`.
HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target);
HRESULT RevokeDragDrop(HWND hwnd);

// ---- The drag-image helper (CLSID_DragImageHelper) ----
class IDropTargetHelper : public IUnknown {
public:
    virtual HRESULT DragEnter(HWND target, IDataObject* data, POINT* point, uint32_t effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT DragOver(POINT* point, uint32_t effect) = 0;
    virtual HRESULT Drop(IDataObject* data, POINT* point, uint32_t effect) = 0;
    virtual HRESULT Show(bool show) = 0;

protected:
    ~IDropTargetHelper() = default;
};

// Makes an in-process object by class id; only the drag-image helper
// exists. *out gets a new reference.
HRESULT CreateInstance(const GUID& classId, const GUID& interfaceId, void** out);

}  // namespace platform::dragdrop
