#include "drop.h"

#include "clipboard.h"
#include "errors.h"
#include "forms.h"
#include "handles.h"

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <map>
#include <memory>

namespace mirolt::platform {
namespace {

class OleData final : public DataObject {
  public:
    explicit OleData(IDataObject *data) : data_(data) {}
    bool GetFormat(int format) const override {
        FORMATETC fe{CLIPFORMAT(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return data_->QueryGetData(&fe) == S_OK;
    }
    std::vector<std::wstring> Files() const override {
        std::vector<std::wstring> files;
        FORMATETC fe{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (data_->GetData(&fe, &medium) != S_OK) return files;
        if (auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                name.resize(DragQueryFileW(drop, i, name.data(), UINT(name.size())));
                files.push_back(std::move(name));
            }
            GlobalUnlock(medium.hGlobal);
        }
        ReleaseStgMedium(&medium);
        return files;
    }

  private:
    IDataObject *data_;
};

class DropTarget final : public IDropTarget {
  public:
    explicit DropTarget(std::function<void(const DataObject &)> onDrop)
        : onDrop_(std::move(onDrop)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *out = static_cast<IDropTarget *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG r = --refs_;
        if (r == 0) delete this;
        return r;
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *data, DWORD, POINTL, DWORD *effect) override {
        canDrop_ = OleData(data).GetFormat(vbCFFiles);
        *effect = canDrop_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD *effect) override {
        *effect = canDrop_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject *data, DWORD, POINTL, DWORD *effect) override {
        *effect = DROPEFFECT_COPY;
        if (onDrop_) RunGuarded([&] { onDrop_(OleData(data)); });
        return S_OK;
    }

  private:
    std::function<void(const DataObject &)> onDrop_;
    ULONG refs_ = 1;
    bool canDrop_ = false;
};

} // namespace

void EnableDrop(Control &control, std::function<void(const DataObject &)> onDrop) {
    ScopedComPtr<DropTarget> target(new DropTarget(std::move(onDrop)));
    RegisterDragDrop(control.Hwnd(), target.Get()); // holds its own reference
}

void DisableDrop(Control &control) {
    RevokeDragDrop(control.Hwnd());
}

} // namespace mirolt::platform
