// The drag-image helper: while something is dragged over a target it
// shows a small label beside the pointer saying what is dragged and what
// would happen to it.
#include <mutex>

#include "platform/dragdrop/data_object.h"

namespace platform::dragdrop {
namespace {

constexpr const char* kImageClass = "PicbatchDragImage";

LRESULT ImageProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH fill = CreateSolidBrush(RGB(229, 241, 251));
        HBRUSH edge = CreateSolidBrush(RGB(0, 120, 215));
        FillRect(dc, &client, fill);
        FrameRect(dc, &client, edge);
        DeleteObject(fill);
        DeleteObject(edge);
        std::string label(size_t(GetWindowTextLength(hwnd)) + 1, '\0');
        label.resize(size_t(GetWindowText(hwnd, label.data(), int(label.size()))));
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(32, 32, 32));
        InflateRect(&client, -6, 0);
        DrawText(dc, label.c_str(), int(label.size()), &client,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(dc, old);
        EndPaint(hwnd, &paint);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

bool RegisterImageClass() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = ImageProc;
        windowClass.lpszClassName = kImageClass;
        ok = RegisterClass(&windowClass) != 0;
    });
    return ok;
}

const char* EffectWord(uint32_t effect) {
    if (effect & DROPEFFECT_COPY)
        return "Copy";
    if (effect & DROPEFFECT_MOVE)
        return "Move";
    if (effect & DROPEFFECT_LINK)
        return "Link";
    return "";
}

class DragImageHelper final : public IDropTargetHelper {
public:
    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDropTargetHelper) {
            *out = static_cast<IDropTargetHelper*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    uint32_t AddRef() override { return ++references_; }
    uint32_t Release() override {
        uint32_t left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT DragEnter(HWND, IDataObject* data, POINT* point, uint32_t effect) override {
        Hide();
        what_ = "data";
        void* object = nullptr;
        // Our own data objects can say what they hold.
        if (data && data->QueryInterface(IID_IDataObject, &object) == S_OK) {
            if (auto* own = dynamic_cast<DataObject*>(static_cast<IDataObject*>(object)))
                what_ = own->Describe();
            static_cast<IDataObject*>(object)->Release();
        }
        if (!RegisterImageClass())
            return E_FAIL;
        window_ = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT, kImageClass,
                                 "", WS_POPUP, 0, 0, 180, 24, nullptr, nullptr, nullptr, nullptr);
        Update(point, effect);
        return S_OK;
    }
    HRESULT DragOver(POINT* point, uint32_t effect) override {
        Update(point, effect);
        return S_OK;
    }
    HRESULT DragLeave() override {
        Hide();
        return S_OK;
    }
    HRESULT Drop(IDataObject*, POINT*, uint32_t) override {
        Hide();
        return S_OK;
    }
    HRESULT Show(bool show) override {
        shown_ = show;
        if (window_)
            ShowWindow(window_, show ? SW_SHOWNA : SW_HIDE);
        return S_OK;
    }

private:
    ~DragImageHelper() { Hide(); }

    void Update(const POINT* point, uint32_t effect) {
        if (!window_)
            return;
        std::string label = what_;
        if (const char* word = EffectWord(effect); *word)
            label = std::string(word) + ": " + label;
        SetWindowText(window_, label.c_str());
        if (point)
            SetWindowPos(window_, nullptr, point->x + 16, point->y + 16, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (shown_ && !IsWindowVisible(window_))
            ShowWindow(window_, SW_SHOWNA);
        InvalidateRect(window_, nullptr, true);
    }
    void Hide() {
        if (window_ && IsWindow(window_))
            DestroyWindow(window_);
        window_ = nullptr;
    }

    uint32_t references_ = 1;
    HWND window_ = nullptr;
    std::string what_;
    bool shown_ = true;
};

}  // namespace

HRESULT CreateInstance(const GUID& classId, const GUID& interfaceId, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!(classId == CLSID_DragImageHelper))
        return REGDB_E_CLASSNOTREG;
    auto* helper = new DragImageHelper;
    HRESULT result = helper->QueryInterface(interfaceId, out);
    helper->Release();
    return result;
}

}  // namespace platform::dragdrop
