#pragma once
// A scripted stand-in for everything that waits for a person. Each prompt is recorded;
// answers are taken from the script in order, and a prompt nobody scripted fails the test
// instead of waiting.
#include "prompts.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace mirolt::test {

struct SeenPrompt {
    enum class Kind { MsgBox, OpenDialog, SaveDialog, Popup } kind;
    std::wstring text; // message, or the pop-up menu's name
    int buttons = 0;
    std::wstring title;
    platform::FileDialogRequest request;
};

class FakePrompts : public platform::Prompts {
  public:
    FakePrompts() { platform::SetPrompts(this); }
    ~FakePrompts() override { platform::SetPrompts(nullptr); }

    // Script the next answers.
    FakePrompts &AnswerMsgBox(int answer) { return Push(Answer{answer}); }
    // A chosen file; a filter index of 0 keeps the one the dialog was opened with.
    FakePrompts &ChooseFile(std::wstring path, int filterIndex = 0) {
        return Push(Answer{FileAnswer{std::move(path), filterIndex}});
    }
    FakePrompts &CancelFile() { return Push(Answer{FileAnswer{std::nullopt}}); }
    FakePrompts &ChooseMenu(std::wstring itemName) {
        return Push(Answer{PopupAnswer{std::move(itemName)}});
    }

    std::vector<SeenPrompt> seen;
    // Runs inside each message box, after it is recorded and before it is answered: what
    // the program shows while the box is open.
    std::function<void(const SeenPrompt &)> onMsgBox;
    bool ScriptDone() const { return script_.empty(); }
    // The texts of the message boxes seen, in order.
    std::vector<std::wstring> Messages() const;

    int MsgBox(const std::wstring &prompt, int buttons, const std::wstring &title) override;
    std::optional<platform::FileDialogResult>
    FileDialog(const platform::FileDialogRequest &request) override;
    platform::MenuItem *PopupMenu(platform::MenuItem &menu) override;

  private:
    struct FileAnswer {
        std::optional<std::wstring> path;
        int filterIndex = 0;
    };
    struct PopupAnswer {
        std::wstring item; // empty: dismissed
    };
    using Answer = std::variant<int, FileAnswer, PopupAnswer>;
    FakePrompts &Push(Answer a); // out of line: inlined, GCC 12 warns falsely on the variant
    std::deque<Answer> script_;
};

} // namespace mirolt::test
