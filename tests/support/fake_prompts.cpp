#include "fake_prompts.h"

#include "menu.h"

#include <gtest/gtest.h>

namespace mirolt::test {
namespace {
std::string Narrow(const std::wstring &w) {
    std::string s;
    for (wchar_t c : w)
        s += c < 128 ? char(c) : '?';
    return s;
}
} // namespace

FakePrompts &FakePrompts::Push(Answer a) {
    script_.push_back(std::move(a));
    return *this;
}

std::vector<std::wstring> FakePrompts::Messages() const {
    std::vector<std::wstring> out;
    for (const auto &p : seen)
        if (p.kind == SeenPrompt::Kind::MsgBox) out.push_back(p.text);
    return out;
}

int FakePrompts::MsgBox(const std::wstring &prompt, int buttons, const std::wstring &title) {
    seen.push_back({SeenPrompt::Kind::MsgBox, prompt, buttons, title, {}});
    if (onMsgBox) onMsgBox(SeenPrompt(seen.back())); // a copy: the hook may prompt again
    if (script_.empty() || !std::holds_alternative<int>(script_.front())) {
        // An unscripted OK-only box is a notice: answer it, the test checks `seen`.
        if ((buttons & 0xF) == platform::vbOKOnly) return platform::vbOK;
        ADD_FAILURE() << "unscripted message box: " << Narrow(prompt);
        return platform::vbCancel;
    }
    const int answer = std::get<int>(script_.front());
    script_.pop_front();
    return answer;
}

std::optional<platform::FileDialogResult>
FakePrompts::FileDialog(const platform::FileDialogRequest &request) {
    seen.push_back({request.save ? SeenPrompt::Kind::SaveDialog : SeenPrompt::Kind::OpenDialog,
                    {},
                    0,
                    {},
                    request});
    if (script_.empty() || !std::holds_alternative<FileAnswer>(script_.front())) {
        ADD_FAILURE() << "unscripted file dialog";
        return std::nullopt;
    }
    const FileAnswer answer = std::get<FileAnswer>(script_.front());
    script_.pop_front();
    if (!answer.path) return std::nullopt;
    return platform::FileDialogResult{*answer.path, answer.filterIndex ? answer.filterIndex
                                                                       : request.filterIndex};
}

platform::MenuItem *FakePrompts::PopupMenu(platform::MenuItem &menu) {
    seen.push_back({SeenPrompt::Kind::Popup, menu.Name(), 0, {}, {}});
    if (script_.empty() || !std::holds_alternative<PopupAnswer>(script_.front())) {
        return nullptr; // dismissed
    }
    const std::wstring item = std::get<PopupAnswer>(script_.front()).item;
    script_.pop_front();
    for (platform::MenuItem *i : menu.Items())
        if (i->Name() == item) return i;
    if (!item.empty()) ADD_FAILURE() << "no item " << Narrow(item) << " in pop-up";
    return nullptr;
}

} // namespace mirolt::test
