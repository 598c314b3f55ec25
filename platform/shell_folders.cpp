#include "shell_folders.h"

#include "handles.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace mirolt::platform {
namespace {

bool IsFileSystemPath(const std::wstring &path) {
    return (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') || path.starts_with(L"\\\\");
}

std::wstring DisplayName(IShellFolder &folder, const ITEMIDLIST *child, SHGDNF how) {
    STRRET name{};
    wchar_t *text = nullptr;
    if (FAILED(folder.GetDisplayNameOf(child, how, &name)) ||
        FAILED(StrRetToStrW(&name, child, &text)))
        return {};
    std::wstring result = text;
    CoTaskMemFree(text);
    return result;
}

ScopedComPtr<IShellFolder> Desktop() {
    ScopedComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put()))) desktop.Reset();
    return desktop;
}

// The folder that `list` names inside `parent`; null when it is none.
ScopedComPtr<IShellFolder> Bind(IShellFolder &parent, const ITEMIDLIST *list) {
    ScopedComPtr<IShellFolder> folder;
    if (FAILED(parent.BindToObject(list, nullptr, IID_IShellFolder,
                                   reinterpret_cast<void **>(folder.Put()))))
        folder.Reset();
    return folder;
}

// The child of `folder` named `name`: parsed, or else found among its folders (Wine parses no
// name whose path would pass MAX_PATH characters, but lists such folders).
unique_item_list Child(IShellFolder &folder, const std::wstring &name) {
    ITEMIDLIST *child = nullptr;
    std::wstring text = name;
    if (SUCCEEDED(
            folder.ParseDisplayName(nullptr, nullptr, text.data(), nullptr, &child, nullptr)) &&
        child)
        return unique_item_list(child);
    ScopedComPtr<IEnumIDList> items;
    if (folder.EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, items.Put()) != S_OK ||
        !items)
        return nullptr;
    for (ULONG got = 0; items->Next(1, &child, &got) == S_OK && child;) {
        unique_item_list item(child);
        const std::wstring found =
            DisplayName(folder, item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING);
        if (CompareStringOrdinal(found.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL)
            return item;
    }
    return nullptr;
}

} // namespace

std::wstring PathOfFolderItem(const ITEMIDLIST *list) {
    ScopedComPtr<IShellFolder> folder = Desktop();
    std::wstring path;
    for (const ITEMIDLIST *at = list; folder && at && at->mkid.cb; at = ILNext(at)) {
        const unique_item_list item(ILCloneFirst(at));
        if (!item) return {};
        // A whole path while the shell can give it; past that, the part's own name.
        const std::wstring whole = DisplayName(*folder.Get(), item.get(), SHGDN_FORPARSING);
        if (IsFileSystemPath(whole) && whole.size() < MAX_PATH - 1) {
            path = whole;
        } else if (!path.empty()) {
            const std::wstring name =
                DisplayName(*folder.Get(), item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING);
            if (name.empty()) return {};
            if (path.back() != L'\\') path += L'\\';
            path += name;
        }
        if (!ILNext(at)->mkid.cb) break;
        if (!(folder = Bind(*folder.Get(), item.get()))) return {};
    }
    return path;
}

unique_item_list FolderItemOfPath(const std::wstring &path) {
    ScopedComPtr<IShellFolder> desktop = Desktop();
    if (!desktop || !IsFileSystemPath(path)) return nullptr;
    // The root ("C:\" or "\\server\share\") as a whole, then part by part.
    size_t from = path[1] == L':' ? 3 : path.find(L'\\', path.find(L'\\', 2) + 1);
    if (from == std::wstring::npos) from = path.size();
    std::wstring root = path.substr(0, from);
    if (root.back() != L'\\') root += L'\\';
    ITEMIDLIST *parsed = nullptr;
    if (FAILED(
            desktop->ParseDisplayName(nullptr, nullptr, root.data(), nullptr, &parsed, nullptr)) ||
        !parsed)
        return nullptr;
    unique_item_list list(parsed);
    while (from < path.size()) {
        size_t end = path.find(L'\\', from);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring name = path.substr(from, end - from);
        from = end + 1;
        if (name.empty()) continue;
        ScopedComPtr<IShellFolder> folder = Bind(*desktop.Get(), list.get());
        if (!folder) return nullptr;
        const unique_item_list child = Child(*folder.Get(), name);
        if (!child) return nullptr;
        list.reset(ILCombine(list.get(), child.get()));
        if (!list) return nullptr;
    }
    return list;
}

} // namespace mirolt::platform
