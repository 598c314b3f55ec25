#pragma once
// Whole files written so that a failure costs nothing: the new contents go into a temporary
// file beside the file that is replaced, reach the disk, and only then take its place.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace mirolt::platform {

// Writes `size` bytes as the whole file `path`, at any path length. A name that is a link
// (or a chain of them) writes the file it finally leads to, and the links stay; the new file
// keeps the old one's attributes (hidden, system, ...). Returns 0, or the system's error code
// of the step that failed, with the old file as it was and no temporary file left. Refused
// with an error: a read-only file or a folder (ERROR_ACCESS_DENIED), a link that leads to no
// file.
uint32_t ReplaceWholeFile(const std::wstring &path, const void *data, size_t size);

// For tests: whole-file writes fail with a full disk once this many bytes have gone into
// the file; nothing: they do not fail.
void FailWritesAfterForTesting(std::optional<uint64_t> bytes);

} // namespace mirolt::platform
