#pragma once
// The one seam for everything that waits for a person: message boxes, file dialogs and
// pop-up menus. The program shows the real thing; tests install a scripted fake.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirolt::platform {

class MenuItem;

// Message box buttons and icons (added together), and answers.
enum : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

struct FileDialogRequest {
    bool save = false;
    std::wstring filter;   // "desc|pattern|..."
    int filterIndex = 1;   // 1-based
    std::wstring fileName; // initial name
    std::wstring title;
    std::wstring initDir; // initial folder; empty: the system's choice
    int32_t flags = 0;    // the classic cdlOFN flags (the system's OFN values)
};

struct FileDialogResult {
    std::wstring fileName;
    int filterIndex = 1; // the filter chosen in the dialog, 1-based
};

class Prompts {
  public:
    virtual ~Prompts() = default;
    virtual int MsgBox(const std::wstring &prompt, int buttons, const std::wstring &title) = 0;
    // The chosen path and filter, or nothing when the person cancelled.
    virtual std::optional<FileDialogResult> FileDialog(const FileDialogRequest &request) = 0;
    // Shows `menu` as a pop-up at the mouse pointer; the chosen item, or null.
    virtual MenuItem *PopupMenu(MenuItem &menu) = 0;
};

// The prompts in force (the real ones unless a test installed its own).
Prompts &CurrentPrompts();
void SetPrompts(Prompts *prompts); // null restores the real ones

// The default title of message boxes: the program's title.
inline constexpr const wchar_t *kAppTitle = L"Mirolt";

// MsgBox(prompt, buttons, title): an empty title gives the program's title.
int MsgBox(const std::wstring &prompt, int buttons = vbOKOnly, const std::wstring &title = {});

} // namespace mirolt::platform
