#pragma once
// Menu items of a form: the menu bar, its sub-menus and the hidden top-level menus shown
// as pop-ups. Captions "-" are separators.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace mirolt::platform {

class Form;

class MenuItem {
  public:
    // A top-level menu of `form`; `visible` false keeps it off the menu bar (a pop-up).
    MenuItem(Form &form, std::wstring name, std::wstring caption, bool visible = true);
    // An item of `parent`, in declaration order.
    MenuItem(MenuItem &parent, std::wstring name, std::wstring caption);
    MenuItem(const MenuItem &) = delete;
    MenuItem &operator=(const MenuItem &) = delete;

    const std::wstring &Name() const { return name_; }
    const std::wstring &Caption() const { return caption_; }
    void SetCaption(const std::wstring &caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool IsSeparator() const { return caption_ == L"-"; }
    const std::vector<MenuItem *> &Items() const { return children_; }
    MenuItem *Parent() const { return parent_; }

    // The handler; for a menu with items it runs when the menu is opened.
    std::function<void()> Click;
    void RunClick() {
        if (Click) Click();
    }

    // Internal: Win32 menu wiring.
    HMENU PopupHandle() const { return submenu_; }
    HWND OwnerWindow() const;
    MenuItem *FindById(UINT id);
    UINT Id() const { return id_; }
    void Build();
    void AppendTo(HMENU menu);
    void RebuildItems();

  private:
    void Update();
    Form &form_;
    MenuItem *parent_ = nullptr;
    std::wstring name_;
    std::wstring caption_;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    std::vector<MenuItem *> children_;
    UINT id_ = 0;
    HMENU submenu_ = nullptr;
    HMENU container_ = nullptr; // the menu this item is shown in, once built
};

} // namespace mirolt::platform
