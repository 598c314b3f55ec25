#pragma once
// The combo box (a drop-down list with an editable text part) and the list box. Both keep
// their items unsorted, in the order they were added.
#include "forms.h"
#include "text_box.h"

#include <vector>

namespace mirolt::platform {

// The text of item `index` of a list box or of a combo box's list, asked of its window with
// the given length and text messages; a negative index raises 381.
std::wstring ItemText(HWND hwnd, UINT lengthMsg, UINT textMsg, int index);

// The items of a combo box's list or of a list box, kept by its window and asked of it with
// the messages of its kind.
class ListItems : public Control {
  public:
    // The window messages that do each of these for its kind of list.
    struct Messages {
        UINT add, reset, count, textLength, text, picked;
    };

    void AddItem(const std::wstring &item);
    void Clear();
    int ListCount() const;
    // Item `index` (0-based); empty beyond the list, a negative index raises 381.
    std::wstring List(int index) const;
    // The picked item, -1 for none.
    int ListIndex() const;

  protected:
    ListItems(Container &parent, std::wstring name, const Messages &messages)
        : Control(parent, std::move(name)), messages_(messages) {}

  private:
    const Messages &messages_;
};

class ComboBox : public ListItems {
  public:
    struct Design {
        Place place;
        std::wstring text;
        std::vector<std::wstring> list;
        bool locked = false; // no typing changes the text; a pick from the list still does
        FontSpec font;
        bool visible = true;
        bool enabled = true;
        bool tabStop = true;
        int tabIndex = -1;
    };
    ComboBox(Container &parent, std::wstring name, const Design &design);
    ~ComboBox() override;

    // Picks item `index` (raising Click), or clears the pick (-1).
    void SetListIndex(int index);
    std::wstring Text() const;
    // A different text raises Change once; an equal one does nothing.
    void SetText(const std::wstring &text);
    bool Locked() const { return locked_; }
    void SetLocked(bool locked);

    Event<> Change; // the text changed by typing or by code
    Event<> Click;  // an item was picked from the list
    Event<int &> KeyPress;
    Event<int &, int> KeyDown;
    Event<int &, int> KeyUp;

    struct Indexed {
        Event<int> Change;
        Event<int> Click;
        Event<int, int &> KeyPress;
        Event<int, int &, int> KeyDown;
        Event<int, int &, int> KeyUp;
    };
    void ForwardEvents(Indexed &to, int index);

    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT EditMessage(UINT msg, WPARAM wp, LPARAM lp);
    // The keys a locked box swallows: those that would pick another item.
    bool Swallowed(UINT msg, WPARAM wp) const;
    HWND edit_ = nullptr; // the text part, subclassed so that its keys reach us
    WNDPROC editProc_ = nullptr;
    bool locked_;
    EditableText text_{Change};
};

class ListBox : public ListItems {
  public:
    struct Design {
        Place place;
        std::vector<std::wstring> list;
        FontSpec font;
        bool visible = true;
        bool enabled = true;
        bool tabStop = true;
        int tabIndex = -1;
    };
    ListBox(Container &parent, std::wstring name, const Design &design);

    void RemoveItem(int index);
    // Selects item `index` (-1: none), raising Click.
    void SetListIndex(int index);
    // The selected item's text; empty when none is selected.
    std::wstring Text() const;

    Event<> Click;
    Event<> DblClick;
    struct Indexed {
        Event<int> Click;
        Event<int> DblClick;
    };
    void ForwardEvents(Indexed &to, int index);

    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;
};

} // namespace mirolt::platform
