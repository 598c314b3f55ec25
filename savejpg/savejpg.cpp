// SaveJPG.DLL: the program's JPEG writer. DCSavetoJPEG takes the picture from the bitmap
// selected into the caller's device context, encodes it into a temporary file beside the
// target (the file a link leads to), and only then puts that file in the target's place, so
// that a failed save leaves an existing file as it was.
//
// The encoder is our own rather than the system's (WIC): Wine's WIC encoder ignores the
// quality it is given and writes every quality alike.
#include "savejpg.h"

#include "jpeg_encoder.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <iterator>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

using namespace savejpg;

// Runs `undo` when the scope ends, on every way out.
template <typename F> struct Finally {
    F undo;
    ~Finally() { undo(); }
};

// The 1 x 1 bitmap that a memory device context holds while nothing is selected into it.
HGDIOBJ DefaultBitmap() {
    HDC probe = CreateCompatibleDC(nullptr);
    if (!probe) return nullptr;
    const Finally deleteProbe{[probe] { DeleteDC(probe); }};
    return GetCurrentObject(probe, OBJ_BITMAP);
}

// True when `dc` is a memory device context with a bitmap of its own selected, at least
// width x height pixels large.
bool HasBitmapOfAtLeast(HDC dc, int32_t width, int32_t height) {
    if (GetObjectType(dc) != OBJ_MEMDC) return false;
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    if (!bitmap || bitmap == DefaultBitmap()) return false;
    BITMAP size{};
    if (GetObjectW(bitmap, sizeof size, &size) != sizeof size) return false;
    return width <= size.bmWidth && height <= size.bmHeight;
}

enum class RowOrder { FromTop, FromBottom, Unknown };

// Which way up a 32-bit DIB section stores its rows: GetObject does not say. GDI does,
// through one pixel that differs between a row and its mirror row; a picture without such
// a pixel reads the same either way.
RowOrder OrderOfRows(HDC dc, const DIBSECTION &section) {
    const auto *bits = static_cast<const uint8_t *>(section.dsBm.bmBits);
    const size_t stride = static_cast<size_t>(section.dsBm.bmWidthBytes);
    const int width = section.dsBm.bmWidth, height = section.dsBm.bmHeight;
    const auto colour = [](uint32_t bgrx) { // as GetPixel gives it: 0x00BBGGRR
        return static_cast<COLORREF>((bgrx & 0xFF) << 16 | (bgrx & 0xFF00) | (bgrx >> 16 & 0xFF));
    };
    for (int row = 0; row < height / 2; ++row) {
        const auto *upper = reinterpret_cast<const uint32_t *>(bits + stride * row);
        const auto *lower = reinterpret_cast<const uint32_t *>(bits + stride * (height - 1 - row));
        for (int x = 0; x < width; ++x) {
            if (((upper[x] ^ lower[x]) & 0xFFFFFF) == 0) continue;
            const COLORREF seen = GetPixel(dc, x, row);
            if (seen == colour(upper[x])) return RowOrder::FromTop;
            if (seen == colour(lower[x])) return RowOrder::FromBottom;
            return RowOrder::Unknown;
        }
    }
    return RowOrder::FromTop;
}

// The picture's rows for the encoder. The program's pictures are 32-bit DIB sections, read
// where they are. Any other bitmap is converted by GDI into 32-bit rows of our own; the
// bitmap leaves the caller's device context for that, as GetDIBits wants, and is back in
// it before the call returns.
class Source {
  public:
    Source(HDC dc, int32_t width, int32_t height) {
        HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
        GdiFlush(); // drawing still queued reaches the bitmap first
        DIBSECTION section{};
        if (GetObjectW(bitmap, sizeof section, &section) == sizeof section && section.dsBm.bmBits &&
            section.dsBm.bmBitsPixel == 32 && section.dsBmih.biCompression == BI_RGB) {
            const RowOrder order = OrderOfRows(dc, section);
            const auto *bits = static_cast<const uint8_t *>(section.dsBm.bmBits);
            const ptrdiff_t stride = section.dsBm.bmWidthBytes;
            if (order == RowOrder::FromTop) {
                rows_ = {bits, stride, width, height};
                return;
            }
            if (order == RowOrder::FromBottom) {
                rows_ = {bits + stride * (section.dsBm.bmHeight - 1), -stride, width, height};
                return;
            }
        }
        BITMAP size{};
        if (GetObjectW(bitmap, sizeof size, &size) != sizeof size) return;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.bmWidth;
        info.bmiHeader.biHeight = -size.bmHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        copy_.resize(static_cast<size_t>(size.bmWidth) * static_cast<size_t>(size.bmHeight) * 4);
        HGDIOBJ selected = SelectObject(dc, DefaultBitmap());
        if (!selected) return;
        const Finally reselect{[dc, selected] { SelectObject(dc, selected); }};
        if (GetDIBits(dc, static_cast<HBITMAP>(bitmap), 0, static_cast<UINT>(size.bmHeight),
                      copy_.data(), &info, DIB_RGB_COLORS) != size.bmHeight)
            return;
        rows_ = {copy_.data(), static_cast<ptrdiff_t>(size.bmWidth) * 4, width, height};
    }

    bool Ready() const { return rows_.top != nullptr; }
    const PixelRows &Rows() const { return rows_; }

  private:
    std::vector<uint8_t> copy_;
    PixelRows rows_;
};

unsigned EncoderThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 16u);
}

std::wstring Wide(const char *ansi) {
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
    if (size <= 1) return {};
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, text.data(), size);
    text.resize(static_cast<size_t>(size) - 1);
    return text;
}

// The target's full path and its folder; false when the path names no file. Done in
// UTF-16: in the ANSI code page the second byte of a double-byte character may be a
// backslash. Always with a buffer: asked for the size alone, Wine faults on a drive's
// current directory taken from the environment.
bool SplitTarget(const char *path, std::wstring &target, std::wstring &folder) {
    const std::wstring wide = Wide(path);
    if (wide.empty()) return false;
    target.assign(MAX_PATH, L'\0');
    for (;;) {
        wchar_t *name = nullptr;
        const DWORD length =
            GetFullPathNameW(wide.c_str(), DWORD(target.size()), target.data(), &name);
        if (length == 0) return false;
        if (length < target.size()) {
            if (!name || !*name) return false;
            folder.assign(target.data(), name);
            target.resize(length);
            return true;
        }
        target.assign(length, L'\0');
    }
}

// `path` (a full path) as the file functions take it at any length: from MAX_PATH
// characters on, a drive or network path in its "\\?\" form.
std::wstring SystemPath(const std::wstring &path) {
    if (path.size() < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool OpensFile(const std::wstring &path, const BY_HANDLE_FILE_INFORMATION &file) {
    HANDLE other = CreateFileW(SystemPath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (other == INVALID_HANDLE_VALUE) return false;
    const Finally close{[other] { CloseHandle(other); }};
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(other, &info) &&
           info.dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
           info.nFileIndexHigh == file.nFileIndexHigh && info.nFileIndexLow == file.nFileIndexLow;
}

// The full path of the open `file`, links followed; empty when the system cannot tell. Wine's
// GetFinalPathNameByHandleW fails once the path nears MAX_PATH characters, while FileNameInfo
// still gives the path on the file's volume: its drive is the one under which that path opens
// the same file.
std::wstring FinalPath(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, path.data(), DWORD(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) break;
        if (length < path.size()) {
            path.resize(length);
            if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
            if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
            return path;
        }
        path.assign(length, L'\0');
    }
    BY_HANDLE_FILE_INFORMATION identity;
    std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 65536);
    if (!GetFileInformationByHandle(file, &identity) ||
        !GetFileInformationByHandleEx(file, FileNameInfo, buffer.data(), DWORD(buffer.size())))
        return {};
    const auto *info = reinterpret_cast<const FILE_NAME_INFO *>(buffer.data());
    const std::wstring onVolume(info->FileName, info->FileNameLength / sizeof(wchar_t));
    const DWORD drives = GetLogicalDrives();
    for (int drive = 0; drive < 26; ++drive) {
        if (!(drives >> drive & 1)) continue;
        path = std::wstring{wchar_t(L'A' + drive), L':'} + onVolume;
        if (OpensFile(path, identity)) return path;
    }
    return {};
}

// What the new file takes over from the old one (a read-only one is never replaced).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// The file that the full path `target` stands for, in place: replacing a link would leave the
// file it leads to as it was, so links are followed to where they finally lead, and `folder`
// becomes that file's. False for a file not ours to replace: a read-only one, a folder, a
// link that leads to no file.
bool FindTarget(std::wstring &target, std::wstring &folder, DWORD &attributes) {
    const std::wstring system = SystemPath(target);
    attributes = FILE_ATTRIBUTE_NORMAL;
    HANDLE file = CreateFileW(system.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
        // A new file, unless a link that leads nowhere holds the name (creating the name
        // itself fails then). Such a link is refused: replacing it would lose the link, and
        // following it would create a file in a place nobody chose. The probe goes again as
        // it is closed.
        HANDLE probe =
            CreateFileW(system.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        return probe != INVALID_HANDLE_VALUE && CloseHandle(probe);
    }
    const Finally close{[file] { CloseHandle(file); }};
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    if (info.dwFileAttributes & kKeptAttributes)
        attributes = info.dwFileAttributes & kKeptAttributes;
    // Where the system cannot tell, the name is written as it is.
    const std::wstring resolved = FinalPath(file);
    if (!resolved.empty()) {
        target = resolved;
        folder = resolved.substr(0, resolved.find_last_of(L'\\') + 1);
    }
    return true;
}

// The temporary file of one save, removed again unless it became the target. Its name is
// made here, "sjp", eight hex digits, ".tmp" in the target's folder: GetTempFileName wants
// its result to fit in MAX_PATH characters and does not check that the folder does.
class TemporaryFile {
  public:
    TemporaryFile(const std::wstring &folder, DWORD attributes) {
        static std::atomic<uint32_t> counter{GetTickCount() ^ (GetCurrentProcessId() << 16)};
        for (int attempt = 0; attempt < 100; ++attempt) {
            wchar_t name[16];
            std::swprintf(name, std::size(name), L"sjp%08x.tmp", unsigned(counter++));
            path_ = SystemPath(folder + name);
            file_ = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes,
                                nullptr);
            if (file_ != INVALID_HANDLE_VALUE) return;
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
        }
        path_.clear();
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;
    ~TemporaryFile() {
        Close();
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }

    bool Open() const { return file_ != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return file_; }
    // Everything written reaches the disk before the file may take the target's place.
    bool Finish() {
        const bool flushed = FlushFileBuffers(file_) != 0;
        return Close() && flushed;
    }
    bool MoveTo(const std::wstring &target) {
        if (!MoveFileExW(path_.c_str(), SystemPath(target).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        path_.clear();
        return true;
    }

  private:
    bool Close() {
        if (file_ == INVALID_HANDLE_VALUE) return true;
        const bool closed = CloseHandle(file_) != 0;
        file_ = INVALID_HANDLE_VALUE;
        return closed;
    }

    std::wstring path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

} // namespace

extern "C" int32_t WINAPI DCSavetoJPEG(HDC dc, int32_t width, int32_t height, const char *path,
                                       uint32_t quality, int32_t /*reserved*/) {
    if (!path || width <= 0 || height <= 0 || width > kMaxJpegSide || height > kMaxJpegSide ||
        quality < kMinQuality || quality > kMaxQuality)
        return kBadArguments;
    if (!HasBitmapOfAtLeast(dc, width, height)) return kBadArguments;

    std::wstring target, folder;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (!SplitTarget(path, target, folder) || !FindTarget(target, folder, attributes))
        return kCannotCreate;
    TemporaryFile temporary(folder, attributes);
    if (!temporary.Open()) return kCannotCreate;

    try {
        const Source source(dc, width, height);
        if (!source.Ready()) return kCannotWrite;
        const auto write = [&](const uint8_t *data, size_t size) {
            DWORD written = 0;
            return WriteFile(temporary.Handle(), data, static_cast<DWORD>(size), &written,
                             nullptr) &&
                   written == size;
        };
        if (!EncodeJpeg(source.Rows(), static_cast<int>(quality), EncoderThreads(), write))
            return kCannotWrite;
    } catch (...) { // out of memory: nothing may cross into the caller
        return kCannotWrite;
    }
    if (!temporary.Finish()) return kCannotWrite;
    return temporary.MoveTo(target) ? kSaved : kCannotCreate;
}

// The export is what callers bind it as.
static_assert(std::is_same_v<decltype(&DCSavetoJPEG), savejpg::DCSavetoJPEGFn>);
