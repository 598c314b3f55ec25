#pragma once
// Sequential ANSI text files and directory look-ups, with the classic run-time errors: a
// missing file raises 53, a missing folder 76, a folder or a file without access 75, a full
// disk 61.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirolt::platform {

// The lines of a text file in the ANSI code page. A line ends at CR LF or at a lone CR, and
// its end is not part of it; a lone LF is an ordinary character; a last line without an end
// counts; an empty file has no lines.
std::vector<std::wstring> ReadTextLines(const std::wstring &path);

// The lines of a text file (as ReadTextLines splits them) each followed by CR LF, as one
// text: an empty file gives an empty text. A file of more than `maxBytes` bytes raises 7
// before anything is read, one of more than `maxLines` lines before its text is made. The
// file is read, and its text made, in blocks with a yield after each, so that the windows
// keep answering; it is read only as far as it reached when it was opened: what is added
// meanwhile is not read. A text that does not fit in memory raises 7.
std::wstring ReadTextWithLineEnds(const std::wstring &path, uint64_t maxBytes, size_t maxLines);

// Puts a file holding exactly `bytes` in place of `path` (ReplaceWholeFile: through links, the
// attributes kept), so that a failure at any step (a full disk, a folder without access)
// raises its error and leaves an existing file as it was. A read-only file or a folder at
// `path` is not replaced, nor a link that leads to no file (75).
void WriteWholeFile(const std::wstring &path, std::string_view bytes);

// Writes `text` in the ANSI code page as the whole file, nothing added (WriteWholeFile).
void WriteTextFile(const std::wstring &path, const std::wstring &text);

// The names of the ordinary files (no folders, no hidden or system files) that `pattern`
// matches (a path whose last part may hold * and ?), in the system's listing order. A folder
// that does not exist lists nothing.
std::vector<std::wstring> ListFiles(const std::wstring &pattern);

// Whether the directory look-up of `path` finds an ordinary file.
bool FileExists(const std::wstring &path);

} // namespace mirolt::platform
