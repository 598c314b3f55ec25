#pragma once
// The text box: single- or multi-line, without a length limit.
#include "forms.h"

#include <functional>

namespace mirolt::platform {

// The text of a window its user types into too (a text box, a combo box's text part): code
// that sets it raises the control's Change itself, once, and the window's own notice of that
// change is not taken for the user's typing.
class EditableText {
  public:
    explicit EditableText(Event<> &change) : change_(change) {}
    static std::wstring Of(HWND hwnd);
    // A different text replaces the old one and raises Change once; an equal one does nothing.
    void Set(HWND hwnd, const std::wstring &text);
    // Replaces the text without raising Change.
    void SetQuietly(HWND hwnd, const std::wstring &text);
    // Runs `fill`, which changes the text by other means, without raising Change.
    template <class Fill> auto Quietly(Fill &&fill) {
        struct Reset {
            bool &flag;
            ~Reset() { flag = false; }
        } reset{setting_ = true};
        return fill();
    }
    // The window says its text changed: raises Change unless code is setting it.
    void Changed() {
        if (!setting_) change_();
    }

  private:
    Event<> &change_;
    bool setting_ = false;
};

class TextBox : public Control {
  public:
    enum class Alignment { Left, Right, Center };
    enum class ScrollBars { None, Horizontal, Vertical, Both };
    struct Design {
        Place place;
        std::wstring text;
        bool multiLine = false; // Enter starts a new line
        ScrollBars scrollBars =
            ScrollBars::None; // a multi-line box with a horizontal bar does not wrap
        bool locked = false;  // read-only for the user; code can always set the text
        Alignment alignment = Alignment::Left;
        FontSpec font;
        bool visible = true;
        bool enabled = true;
        bool tabStop = true;
        int tabIndex = -1;
    };
    TextBox(Container &parent, std::wstring name, const Design &design);

    std::wstring Text() const;
    // The text's length in characters, without copying it.
    size_t TextLength() const;
    // A different text replaces the old one and raises Change once; an equal one does nothing.
    void SetText(const std::wstring &text);
    // As SetText(L"") and then SetText(text), for a text so long that the box would keep the
    // window from answering while it lays it out: the text goes in by pieces of whole lines
    // with the queue pumped between them (all but the user's input, which waits for the next
    // full pump), and the drawing of the form held back meanwhile, so that nobody sees a part
    // of it. Then the box is drawn, its text first. `goOn`, asked after each pump, stops it
    // there; so does the box's window going away. False when stopped: the box then holds a
    // part of the text.
    bool ReplaceTextInSteps(const std::wstring &text, const std::function<bool()> &goOn = {});
    bool Locked() const { return locked_; }
    void SetLocked(bool locked);
    // The selection, in characters.
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int start);
    void SetSelLength(int length);

    // Raised by every change of the text: typing, pasting, or code.
    Event<> Change;
    // A typed character; set it to 0 to discard it, or change it.
    Event<int &> KeyPress;
    // A key going down or up, with the shift state; a code set to 0 is not processed.
    Event<int &, int> KeyDown;
    Event<int &, int> KeyUp;

    struct Indexed {
        Event<int> Change;
        Event<int, int &> KeyPress;
        Event<int, int &, int> KeyDown;
        Event<int, int &, int> KeyUp;
    };
    void ForwardEvents(Indexed &to, int index);

    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    bool locked_;
    EditableText text_{Change};
};

} // namespace mirolt::platform
