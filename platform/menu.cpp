#include "menu.h"

#include "message_loop.h"

#include <algorithm>
#include <vector>

namespace mirolt::platform {
namespace {

// A menu bar redraws in full when told. A change that keeps every item's size (enabled,
// checked) is drawn with the others of its handler before the next pump: a published result
// enables several items at once. A change of size is drawn at once, as the window's client
// area may change with it.
std::vector<HWND> &BarsToDraw() {
    static std::vector<HWND> bars;
    return bars;
}

void DrawPendingBars() {
    std::vector<HWND> bars;
    bars.swap(BarsToDraw());
    for (HWND hwnd : bars)
        if (IsWindow(hwnd)) DrawMenuBar(hwnd);
}

void DrawBarSoon(HWND hwnd) {
    static const bool drawsAtEachPump = (AddBeforePump(&DrawPendingBars), true);
    (void)drawsAtEachPump;
    auto &bars = BarsToDraw();
    if (std::find(bars.begin(), bars.end(), hwnd) == bars.end()) bars.push_back(hwnd);
}

} // namespace

MenuItem *MenuHost::FindMenuById(UINT id) const {
    for (auto &[i, item] : ids_)
        if (i == id) return item;
    return nullptr;
}

MenuItem *MenuHost::FindMenuByPopup(HMENU popup) const {
    for (auto &[i, item] : ids_)
        if (item->PopupHandle() == popup) return item;
    return nullptr;
}

UINT MenuHost::RegisterMenuItem(MenuItem *item) {
    ids_.emplace_back(nextId_, item);
    return nextId_++;
}

bool MenuHost::BuildMenus() {
    if (topMenus_.empty()) return false;
    for (MenuItem *m : topMenus_)
        m->Build();
    RebuildMenuBar();
    return true;
}

void MenuHost::RebuildMenuBar() {
    if (!menuBar_) {
        menuBar_ = CreateMenu();
        SetMenu(Hwnd(), menuBar_); // the window destroys it, with the menus shown in it
    }
    while (GetMenuItemCount(menuBar_) > 0)
        RemoveMenu(menuBar_, 0, MF_BYPOSITION);
    for (MenuItem *m : topMenus_)
        m->Detach();
    for (MenuItem *m : topMenus_)
        if (m->Visible()) m->AppendTo(menuBar_);
    DrawMenuBar(Hwnd());
}

MenuItem::MenuItem(MenuHost &host, std::wstring name, std::wstring caption, bool visible)
    : host_(host), name_(std::move(name)), caption_(std::move(caption)), visible_(visible),
      id_(host.RegisterMenuItem(this)) {
    host.RegisterTopMenu(this);
}

MenuItem::MenuItem(MenuItem &parent, std::wstring name, std::wstring caption)
    : host_(parent.host_), parent_(&parent), name_(std::move(name)), caption_(std::move(caption)),
      id_(host_.RegisterMenuItem(this)) {
    parent.children_.push_back(this);
}

// A menu shown in another one goes with it (ultimately with the window's menu bar); one
// shown nowhere, a pop-up or a hidden item's, is this item's to destroy. Items are
// destroyed before the menus they belong to (they are declared after them).
MenuItem::~MenuItem() {
    if (submenu_ && !container_) DestroyMenu(submenu_);
}

void MenuItem::Build() {
    if (!children_.empty()) {
        submenu_ = CreatePopupMenu();
        for (MenuItem *c : children_)
            c->Build();
        RebuildItems();
    }
}

void MenuItem::RebuildItems() {
    while (GetMenuItemCount(submenu_) > 0)
        RemoveMenu(submenu_, 0, MF_BYPOSITION);
    for (MenuItem *c : children_)
        c->Detach();
    for (MenuItem *c : children_)
        if (c->visible_) c->AppendTo(submenu_);
}

void MenuItem::AppendTo(HMENU menu) {
    container_ = menu;
    if (IsSeparator()) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        return;
    }
    UINT flags = MF_STRING | (enabled_ ? MF_ENABLED : MF_GRAYED) | (checked_ ? MF_CHECKED : 0);
    if (submenu_) {
        AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu_), caption_.c_str());
    } else {
        AppendMenuW(menu, flags, id_, caption_.c_str());
    }
}

void MenuItem::Update(bool resized) {
    if (!container_) return;
    // Find this item's position among what its menu shows.
    int pos = -1;
    const int n = GetMenuItemCount(container_);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW mi{};
        mi.cbSize = sizeof(mi);
        mi.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(container_, UINT(i), TRUE, &mi)) continue;
        if ((submenu_ && mi.hSubMenu == submenu_) || (!submenu_ && mi.wID == id_)) {
            pos = i;
            break;
        }
    }
    if (pos < 0) return;
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_STATE | MIIM_STRING;
    mi.fState = (enabled_ ? MFS_ENABLED : MFS_GRAYED) | (checked_ ? MFS_CHECKED : 0);
    mi.dwTypeData = const_cast<wchar_t *>(caption_.c_str());
    SetMenuItemInfoW(container_, UINT(pos), TRUE, &mi);
    if (parent_) return;
    if (resized)
        DrawMenuBar(host_.Hwnd());
    else
        DrawBarSoon(host_.Hwnd());
}

// The window's menu is touched only on a change: a top-level item redraws the whole menu
// bar, which every result publication would otherwise pay for.
void MenuItem::SetCaption(const std::wstring &caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    Update(true);
}
void MenuItem::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Update(false);
}
void MenuItem::SetChecked(bool checked) {
    if (checked_ == checked) return;
    checked_ = checked;
    Update(false);
}
void MenuItem::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!parent_) {
        host_.RebuildMenuBar();
    } else if (parent_->submenu_) {
        parent_->RebuildItems();
    }
}

} // namespace mirolt::platform
