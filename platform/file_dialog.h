#pragma once
// The system's open and save dialogs, shown so that Wine survives any path typed into them.
#include "prompts.h"

#include <optional>

namespace mirolt::platform {

// Shows the open or save dialog that `request` describes; the chosen path and filter, or
// nothing when the person cancelled.
std::optional<FileDialogResult> ShowFileDialog(const FileDialogRequest &request);

} // namespace mirolt::platform
