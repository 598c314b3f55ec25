#pragma once
// The text box: single- or multi-line, without a length limit.
#include "forms.h"

namespace mirolt::platform {

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
    // A different text replaces the old one and raises Change once; an equal one does nothing.
    void SetText(const std::wstring &text);
    // As SetText(L"") and then SetText(text), for a text so long that the box would keep the
    // window from answering while it lays it out: the text goes in by pieces with the queue
    // pumped between them (all but the user's input, which waits for the next full pump), and
    // the drawing of the form held back meanwhile, so that nobody sees a part of it. Then the
    // box is drawn, its text first.
    void ReplaceTextInSteps(const std::wstring &text);
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
    bool settingText_ = false;
};

} // namespace mirolt::platform
