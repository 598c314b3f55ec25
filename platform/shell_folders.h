#pragma once
// Folders as the shell's file dialogs name them (item lists), turned into paths and back at
// any length. Wine's shell answers with paths cut at MAX_PATH characters and cannot parse a
// longer one, but it names each part of a path on its own, which is what these walk.
#include <windows.h>
#include <shtypes.h>

#include <memory>
#include <string>

namespace mirolt::platform {

struct ItemListDeleter {
    void operator()(ITEMIDLIST *list) const { CoTaskMemFree(list); }
};
using unique_item_list = std::unique_ptr<ITEMIDLIST, ItemListDeleter>;

// The file-system path of the folder `list` (from the desktop) names; empty when it names
// none (the desktop's virtual folders, such as the computer).
std::wstring PathOfFolderItem(const ITEMIDLIST *list);

// The item list of the existing folder `path` (a full path); null when the shell cannot
// reach it.
unique_item_list FolderItemOfPath(const std::wstring &path);

} // namespace mirolt::platform
