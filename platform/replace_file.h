#pragma once
// Whole files written so that a failure costs nothing: the new contents go into a temporary
// file beside the target, reach the disk, and only then take the target's place.
#include <cstddef>
#include <cstdint>
#include <string>

namespace mirolt::platform {

// Writes `size` bytes as the whole file `path`, at any path length. False, with the old
// file as it was and no temporary file left, when the path names no file, the target is
// read-only or a folder, or anything fails on the way.
bool ReplaceFileContents(const std::wstring &path, const uint8_t *data, size_t size);

} // namespace mirolt::platform
