#pragma once
// Buttons: command buttons (with the window's default and cancel buttons), check boxes
// and option buttons. Option buttons in one container are one group: selecting one clears
// the others, and the arrow keys move among them.
#include "forms.h"

#include "vb_constants.h"

namespace mirolt::platform {

class CommandButton : public Control {
  public:
    struct Design {
        Place place;
        std::wstring caption;
        bool isDefault = false; // Enter presses it, wherever the focus is but on a button
        bool cancel = false;    // Esc presses it
        FontSpec font;
        bool visible = true;
        bool enabled = true;
        bool tabStop = true;
        int tabIndex = -1;
    };
    CommandButton(Container &parent, std::wstring name, const Design &design);
    ~CommandButton() override;
    std::wstring Caption() const;
    void SetCaption(const std::wstring &caption);

    Event<> Click;
    struct Indexed {
        Event<int> Click;
    };
    void ForwardEvents(Indexed &to, int index) { ForwardIndexed(Click, to.Click, index); }
    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;
    bool IsPushButton() const override { return true; }
    void ShowAsDefault(bool on) override;

  protected:
    // The default look follows the focus (Form::HasDefaultLook), however the focus moved.
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

// What a check box and an option button share: a caption, a value of type V (unchecked or
// not selected by default) and the Click that a new value raises.
template <class V> class ValueButton : public Control {
  public:
    struct Design {
        Place place;
        std::wstring caption;
        V value{};
        FontSpec font;
        bool visible = true;
        bool enabled = true;
        bool tabStop = true;
        int tabIndex = -1;
    };

    Event<> Click;
    struct Indexed {
        Event<int> Click;
    };
    void ForwardEvents(Indexed &to, int index) { ForwardIndexed(Click, to.Click, index); }

  protected:
    using Control::Control;
};

class CheckBox : public ValueButton<int> {
  public:
    CheckBox(Container &parent, std::wstring name, const Design &design);

    int Value() const { return value_; }
    // vbUnchecked, vbChecked or vbGrayed (else 380); a new value raises Click, whether
    // the user clicked or code set it.
    void SetValue(int value);

    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;

  private:
    int value_;
};

class OptionButton : public ValueButton<bool> {
  public:
    OptionButton(Container &parent, std::wstring name, const Design &design);

    bool Value() const { return value_; }
    // True selects this option and clears the others of its container, raising Click
    // when it was not selected; the user's click does the same.
    void SetValue(bool value);

    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;
    bool IsOptionButton() const override { return true; }

  protected:
    // The arrow keys move to the next option of the group and select it.
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    std::vector<OptionButton *> Group() const;
    // Only the selected option of a group is a tab stop (the first while none is).
    void UpdateTabStops() const;
    bool value_;
    bool tabStop_;
};

} // namespace mirolt::platform
