#include "prompts.h"

#include "file_dialog.h"
#include "menu.h"

#include <windows.h>

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
        return ShowFileDialog(r);
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
