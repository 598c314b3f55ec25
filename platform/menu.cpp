#include "menu.h"

#include "forms.h"

namespace mirolt::platform {
namespace {
UINT NextMenuId() {
    static UINT next = 1000;
    return next++;
}
} // namespace

MenuItem::MenuItem(Form &form, std::wstring name, std::wstring caption, bool visible)
    : form_(form), name_(std::move(name)), caption_(std::move(caption)), visible_(visible),
      id_(NextMenuId()) {
    form.RegisterMenu(this);
    form.RegisterMenuId(id_, this);
}

MenuItem::MenuItem(MenuItem &parent, std::wstring name, std::wstring caption)
    : form_(parent.form_), parent_(&parent), name_(std::move(name)), caption_(std::move(caption)),
      id_(NextMenuId()) {
    parent.children_.push_back(this);
    form_.RegisterMenuId(id_, this);
}

HWND MenuItem::OwnerWindow() const {
    return form_.Hwnd();
}

MenuItem *MenuItem::FindById(UINT id) {
    return form_.FindMenuById(id);
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

void MenuItem::Update() {
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
    if (!parent_) DrawMenuBar(form_.Hwnd());
}

void MenuItem::SetCaption(const std::wstring &caption) {
    caption_ = caption;
    Update();
}
void MenuItem::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Update();
}
void MenuItem::SetChecked(bool checked) {
    checked_ = checked;
    Update();
}
void MenuItem::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!parent_) {
        form_.RebuildMenuBar();
    } else if (parent_->submenu_) {
        parent_->RebuildItems();
    }
}

} // namespace mirolt::platform
