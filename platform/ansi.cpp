#include "ansi.h"

#include "vb_error.h"

#include <windows.h>

#include <climits>

namespace mirolt::platform {
namespace {

// A text longer than an int can count is out of memory for the classic runtime too.
int CheckedLength(size_t n) {
    if (n > size_t(INT_MAX)) throw RuntimeError(kOutOfMemory);
    return int(n);
}

} // namespace

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = CheckedLength(text.size());
    std::string out(
        size_t(WideCharToMultiByte(CP_ACP, 0, text.data(), n, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), n, out.data(), int(out.size()), nullptr, nullptr);
    return out;
}

std::wstring FromAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int n = CheckedLength(bytes.size());
    std::wstring out(size_t(MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, out.data(), int(out.size()));
    return out;
}

} // namespace mirolt::platform
