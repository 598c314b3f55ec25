#include "clipboard.h"

#include "handles.h"

#include <windows.h>

namespace mirolt::platform {
namespace {

// Another program may hold the clipboard for a moment: try for a little while.
bool OpenClipboardPatiently() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(10);
    }
    return false;
}

} // namespace

Picture ClipboardGetBitmap() {
    if (!IsClipboardFormatAvailable(CF_BITMAP) || !OpenClipboardPatiently()) return {};
    Picture picture;
    try {
        picture = PictureFromHBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    } catch (...) {
        picture = {}; // a bitmap too large to copy counts as none
    }
    CloseClipboard();
    return picture;
}

bool ClipboardSetBitmap(const Picture &picture) {
    const Bitmap32 *src = picture.Bitmap();
    if (!OpenClipboardPatiently()) return false;
    bool done = false;
    if (src) {
        // The clipboard takes a device-dependent copy that it then owns.
        ScopedGetDC screen(nullptr);
        unique_hbitmap copy(CreateCompatibleBitmap(screen, src->Width(), src->Height()));
        unique_hdc dc(CreateCompatibleDC(screen));
        if (copy && dc) {
            {
                ScopedSelectObject selected(dc.get(), copy.get());
                BitBlt(dc.get(), 0, 0, src->Width(), src->Height(), src->Dc(), 0, 0, SRCCOPY);
            }
            done = SetClipboardData(CF_BITMAP, copy.get()) != nullptr;
            if (done) copy.release(); // the clipboard's now
        }
    }
    CloseClipboard();
    return done;
}

void ClipboardClear() {
    if (!OpenClipboardPatiently()) return;
    EmptyClipboard();
    CloseClipboard();
}

} // namespace mirolt::platform
