#pragma once
// RAII owners for the Win32 handles the toolkit keeps.
#include <windows.h>

#include <memory>
#include <type_traits>

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
using unique_hfile = std::unique_ptr<void, FileDeleter>;

} // namespace mirolt::platform
