#pragma once
// What a name typed into a file dialog names, as a path.
#include <optional>
#include <string>

namespace mirolt {

// The path that `typed` names when the dialog shows `folder` (a full path; empty when the
// dialog's folder has no path of its own or it is not known): a drive or network path as
// it stands, a name relative to the folder joined to it, a path from the root joined to
// the folder's drive. Nothing when it depends on a folder that is not known. "." and ".."
// are left for the system to resolve.
std::optional<std::wstring> PathTypedInDialog(const std::wstring &folder,
                                              const std::wstring &typed);

} // namespace mirolt
