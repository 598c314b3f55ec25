#include "dialog_path.h"

namespace mirolt {
namespace {

bool IsSlash(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool HasDrive(const std::wstring &path) {
    return path.size() >= 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

} // namespace

std::optional<std::wstring> PathTypedInDialog(const std::wstring &folder,
                                              const std::wstring &typed) {
    // "C:\x", "C:x" (the drive's own current folder) and "\\server\share\x" stand alone.
    if (HasDrive(typed) || (typed.size() >= 2 && IsSlash(typed[0]) && IsSlash(typed[1])))
        return typed;
    if (!typed.empty() && IsSlash(typed[0])) {
        if (!HasDrive(folder)) return std::nullopt;
        return folder.substr(0, 2) + typed;
    }
    if (folder.empty()) return std::nullopt;
    return IsSlash(folder.back()) ? folder + typed : folder + L"\\" + typed;
}

} // namespace mirolt
