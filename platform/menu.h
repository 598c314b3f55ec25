#pragma once
// Menu items of a form: the menu bar, its sub-menus and the hidden top-level menus shown
// as pop-ups. Captions "-" are separators.
#include "events.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace mirolt::platform {

class MenuItem;

// The window that holds menu items (a form): the menu bar and the items' identifiers.
class MenuHost {
  public:
    virtual HWND Hwnd() const = 0;

    MenuItem *FindMenuById(UINT id) const;
    // The item whose sub-menu this is.
    MenuItem *FindMenuByPopup(HMENU popup) const;
    // Builds every item's menu and puts the visible top-level ones on the menu bar.
    // False when the form has no menus.
    bool BuildMenus();
    void RebuildMenuBar();

    // Internal: items register themselves as they are constructed.
    void RegisterTopMenu(MenuItem *top) { topMenus_.push_back(top); }
    UINT RegisterMenuItem(MenuItem *item);

  protected:
    virtual ~MenuHost() = default;

  private:
    std::vector<MenuItem *> topMenus_;
    std::vector<std::pair<UINT, MenuItem *>> ids_;
    HMENU menuBar_ = nullptr;
    UINT nextId_ = 1000;
};

class MenuItem {
  public:
    // A top-level menu of `host`; `visible` false keeps it off the menu bar (a pop-up).
    MenuItem(MenuHost &host, std::wstring name, std::wstring caption, bool visible = true);
    // An item of `parent`, in declaration order.
    MenuItem(MenuItem &parent, std::wstring name, std::wstring caption);
    ~MenuItem();
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
    Event<> Click;
    void RunClick() { Click(); }

    // Internal: Win32 menu wiring.
    HMENU PopupHandle() const { return submenu_; }
    HWND OwnerWindow() const { return host_.Hwnd(); }
    MenuItem *FindById(UINT id) { return host_.FindMenuById(id); }
    UINT Id() const { return id_; }
    void Build();
    void AppendTo(HMENU menu);
    void Detach() { container_ = nullptr; }
    void RebuildItems();

  private:
    void Update(bool resized);
    MenuHost &host_;
    MenuItem *parent_ = nullptr;
    std::wstring name_;
    std::wstring caption_;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    std::vector<MenuItem *> children_;
    UINT id_ = 0;
    HMENU submenu_ = nullptr;
    HMENU container_ = nullptr; // the menu this item is shown in, null while it is in none
};

} // namespace mirolt::platform
