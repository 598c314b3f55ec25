#pragma once
// Paths of any length for the system's file functions. Nothing here hands the system a
// buffer of a fixed size: a path typed by the user may be as long as the system allows.
#include <string>

namespace mirolt::platform {

// The full path of `path` (resolved against the current folder, "." and ".." removed,
// forward slashes turned back); empty when the system cannot make one, with its error kept
// for GetLastError.
std::wstring FullPathName(const std::wstring &path);

// `fullPath` as the file functions take it at any length: from MAX_PATH characters on, a
// drive or network path in its "\\?\" form; anything else unchanged.
std::wstring SystemPath(const std::wstring &fullPath);

// The full path of the file or folder open as `file`, with every link on the way followed to
// where it finally leads, without a "\\?\" prefix; empty when the system cannot tell.
std::wstring FinalPathName(void *file);

// The short (8.3) form of the existing file or folder `fullPath`, without a "\\?\" prefix;
// empty when the system has none.
std::wstring ShortPathName(const std::wstring &fullPath);

} // namespace mirolt::platform
