#pragma once
// RAII owners for the Win32 handles the toolkit keeps, and scopes for paired calls.
#include <windows.h>
#include <ole2.h>
#include <unknwn.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace mirolt::platform {

struct DcDeleter {
    void operator()(HDC h) const {
        if (h) DeleteDC(h);
    }
};
struct GdiObjectDeleter {
    void operator()(HGDIOBJ h) const {
        if (h) DeleteObject(h);
    }
};
struct FileDeleter {
    void operator()(HANDLE h) const {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

using unique_hdc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
using unique_hbitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using unique_hfont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using unique_hbrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using unique_hpen = std::unique_ptr<std::remove_pointer_t<HPEN>, GdiObjectDeleter>;
using unique_hfile = std::unique_ptr<void, FileDeleter>;
// Processes and threads close the same way as files.
using unique_handle = unique_hfile;

// A window's (or the screen's) DC for the life of the scope.
class ScopedGetDC {
  public:
    explicit ScopedGetDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~ScopedGetDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    ScopedGetDC(const ScopedGetDC &) = delete;
    ScopedGetDC &operator=(const ScopedGetDC &) = delete;
    operator HDC() const { return dc_; }

  private:
    HWND hwnd_;
    HDC dc_;
};

// An object selected into a DC for the life of the scope; the previous one comes back.
class ScopedSelectObject {
  public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    ScopedSelectObject(const ScopedSelectObject &) = delete;
    ScopedSelectObject &operator=(const ScopedSelectObject &) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// OLE (and with it COM) open on this thread for the life of the scope.
class ScopedOleInitialize {
  public:
    ScopedOleInitialize() : open_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~ScopedOleInitialize() {
        if (open_) OleUninitialize();
    }
    ScopedOleInitialize(const ScopedOleInitialize &) = delete;
    ScopedOleInitialize &operator=(const ScopedOleInitialize &) = delete;

  private:
    bool open_;
};

// One reference to a COM object, released at the end of the scope.
template <class T> class ScopedComPtr {
  public:
    ScopedComPtr() = default;
    explicit ScopedComPtr(T *p) : p_(p) {} // takes over a reference
    ScopedComPtr(const ScopedComPtr &) = delete;
    ScopedComPtr &operator=(const ScopedComPtr &) = delete;
    ScopedComPtr(ScopedComPtr &&o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ScopedComPtr &operator=(ScopedComPtr &&o) noexcept {
        if (this != &o) {
            Reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    ~ScopedComPtr() { Reset(); }

    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T *Get() const { return p_; }
    T *operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For calls that hand out a new reference: releases the current one first.
    T **Put() {
        Reset();
        return &p_;
    }

  private:
    T *p_ = nullptr;
};

} // namespace mirolt::platform
