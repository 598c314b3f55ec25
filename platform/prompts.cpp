#include "prompts.h"

#include "dialog_filter.h"
#include "menu.h"

#include <windows.h>
#include <commdlg.h>

namespace mirolt::platform {
namespace {

HWND ActiveOwner() {
    HWND w = GetActiveWindow();
    return w;
}

class RealPrompts final : public Prompts {
  public:
    int MsgBox(const std::wstring &prompt, int buttons, const std::wstring &title) override {
        return MessageBoxW(ActiveOwner(), prompt.c_str(), title.c_str(), UINT(buttons));
    }

    std::optional<FileDialogResult> FileDialog(const FileDialogRequest &r) override {
        std::wstring filter = Win32FilterFromPipes(r.filter);
        std::wstring buffer = r.fileName;
        buffer.resize(std::max<size_t>(buffer.size() + 1, 32768), L'\0');
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = ActiveOwner();
        ofn.lpstrFilter = r.filter.empty() ? nullptr : filter.c_str();
        ofn.nFilterIndex = DWORD(r.filterIndex);
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = DWORD(buffer.size());
        ofn.lpstrTitle = r.title.empty() ? nullptr : r.title.c_str();
        ofn.lpstrInitialDir = r.initDir.empty() ? nullptr : r.initDir.c_str();
        // Flags that change what the call returns or how it is built are not the caller's.
        constexpr DWORD kNotPassed =
            OFN_ALLOWMULTISELECT | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE;
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (DWORD(r.flags) & ~kNotPassed);
        const BOOL ok = r.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
        if (!ok) return std::nullopt;
        return FileDialogResult{buffer.c_str(), int(ofn.nFilterIndex)};
    }

    MenuItem *PopupMenu(MenuItem &menu) override {
        POINT pt;
        GetCursorPos(&pt);
        HWND owner = menu.OwnerWindow();
        SetForegroundWindow(owner);
        const UINT id = UINT(TrackPopupMenu(menu.PopupHandle(), TPM_RETURNCMD | TPM_LEFTALIGN, pt.x,
                                            pt.y, 0, owner, nullptr));
        PostMessageW(owner, WM_NULL, 0, 0);
        return id ? menu.FindById(id) : nullptr;
    }
};

RealPrompts g_real;
Prompts *g_current = &g_real;

} // namespace

Prompts &CurrentPrompts() {
    return *g_current;
}
void SetPrompts(Prompts *prompts) {
    g_current = prompts ? prompts : &g_real;
}

int MsgBox(const std::wstring &prompt, int buttons, const std::wstring &title) {
    return CurrentPrompts().MsgBox(prompt, buttons, title.empty() ? kAppTitle : title);
}

} // namespace mirolt::platform
