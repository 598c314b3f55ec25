#include "files.h"

#include "ansi.h"
#include "handles.h"
#include "replace_file.h"
#include "runtime.h"
#include "vb_error.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>
#include <stdexcept>

namespace mirolt::platform {
namespace {

[[noreturn]] void RaiseFileError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        throw RuntimeError(kFileNotFound);
    case ERROR_PATH_NOT_FOUND:
        throw RuntimeError(kPathNotFound);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        throw RuntimeError(kBadFileNameOrNumber);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        throw RuntimeError(kDiskFull);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        throw RuntimeError(kOutOfMemory);
    default: // access denied, a folder, a sharing violation, ...
        throw RuntimeError(kPathFileAccessError);
    }
}

unique_hfile OpenToRead(const std::wstring &path) {
    if (path.empty()) throw RuntimeError(kPathFileAccessError);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) RaiseFileError(GetLastError());
    return unique_hfile(h);
}

constexpr size_t kBlockBytes = size_t(64) << 10;

// The bytes of a file of at most `maxBytes` (a larger one raises 7 before anything is
// read), in blocks, as far as the file reached when it was opened; with a yield after each
// block when asked.
std::string ReadBytes(const std::wstring &path, uint64_t maxBytes, bool yield) {
    unique_hfile file = OpenToRead(path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) RaiseFileError(GetLastError());
    if (uint64_t(size.QuadPart) > maxBytes) throw RuntimeError(kOutOfMemory);
    std::string bytes(size_t(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = DWORD(std::min(bytes.size() - done, kBlockBytes));
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr))
            RaiseFileError(GetLastError());
        if (got == 0) break; // the file shrank meanwhile
        done += got;
        if (yield) DoEventsAfterStep();
    }
    bytes.resize(done);
    return bytes;
}

// Calls `line` with each line of `bytes`, without its end: a line ends at CR LF or at a lone
// CR; a lone LF is an ordinary character; a last line without an end counts. CR and LF never
// occur inside a double-byte character, so the bytes split safely.
template <class Line> void ForEachLine(std::string_view bytes, Line &&line) {
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\r', start);
        if (end == std::string_view::npos) end = bytes.size();
        line(bytes.substr(start, end - start));
        start = end + 1;
        if (start < bytes.size() && bytes[start] == '\n') ++start;
    }
}

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};
using unique_hfind = std::unique_ptr<void, FindCloser>;

constexpr DWORD kNotOrdinary =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

} // namespace

std::vector<std::wstring> ReadTextLines(const std::wstring &path) {
    const std::string bytes = ReadBytes(path, 0x7FFFFFFF, false);
    std::vector<std::wstring> lines;
    ForEachLine(bytes, [&](std::string_view line) { lines.push_back(FromAnsi(line)); });
    return lines;
}

std::wstring ReadTextWithLineEnds(const std::wstring &path, uint64_t maxBytes, size_t maxLines) {
    try {
        const std::string bytes = ReadBytes(path, maxBytes, true);
        const size_t crs = size_t(std::count(bytes.begin(), bytes.end(), '\r'));
        const bool lastEnded = bytes.empty() || bytes.back() == '\r' || bytes.ends_with("\r\n");
        if (crs + !lastEnded > maxLines) throw RuntimeError(kOutOfMemory);
        // Converted a line at a time, with a yield after each block's worth: a whole file at
        // once would keep the windows from answering.
        std::wstring text;
        text.reserve(bytes.size() + crs + 2);
        size_t sinceYield = 0;
        ForEachLine(bytes, [&](std::string_view line) {
            text += FromAnsi(line);
            text += L"\r\n";
            if ((sinceYield += line.size()) >= kBlockBytes) {
                sinceYield = 0;
                DoEventsAfterStep();
            }
        });
        return text;
    } catch (const std::bad_alloc &) {
        throw RuntimeError(kOutOfMemory);
    } catch (const std::length_error &) {
        throw RuntimeError(kOutOfMemory);
    }
}

void WriteWholeFile(const std::wstring &path, std::string_view bytes) {
    if (path.empty()) throw RuntimeError(kPathFileAccessError);
    if (const DWORD error = ReplaceWholeFile(path, bytes.data(), bytes.size()))
        RaiseFileError(error);
}

void WriteTextFile(const std::wstring &path, const std::wstring &text) {
    WriteWholeFile(path, ToAnsi(text));
}

std::vector<std::wstring> ListFiles(const std::wstring &pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    unique_hfind find(FindFirstFileW(pattern.c_str(), &found));
    if (find.get() == INVALID_HANDLE_VALUE) {
        find.release();
        return names;
    }
    do {
        if (!(found.dwFileAttributes & kNotOrdinary)) names.push_back(found.cFileName);
    } while (FindNextFileW(find.get(), &found));
    return names;
}

bool FileExists(const std::wstring &path) {
    return !path.empty() && !ListFiles(path).empty();
}

} // namespace mirolt::platform
