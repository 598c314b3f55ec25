// configurable.spi: a plug-in that answers what the text file beside it says, so that one
// build can be copied under many names to play many plug-ins. The file has its name with
// ".txt" for ".spi"/".sph" and holds up to four lines: the version text (information 0),
// the pattern (2), the description (3) and the head that IsSupported accepts (empty: none).
// A missing line is an information the plug-in does not have. Information 9 fills the
// whole buffer without a NUL.
#include "plugin_support.h"

#include <string>
#include <vector>

namespace {

constexpr int32_t kNoNulInfo = 9;

std::vector<std::string> Lines() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const char *>(&Lines), &self);
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    std::string sidecar(path, length);
    sidecar = sidecar.substr(0, sidecar.find_last_of('.')) + ".txt";
    std::vector<unsigned char> data;
    std::vector<std::string> lines;
    if (!spi::ReadWholeFile(sidecar.c_str(), data)) return lines;
    std::string line;
    for (unsigned char c : data) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += char(c);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

} // namespace

SPI_EXPORT int32_t WINAPI GetPluginInfo(int32_t number, char *buffer, int32_t length) {
    if (number == kNoNulInfo) {
        memset(buffer, 'x', size_t(length));
        return length;
    }
    const std::vector<std::string> lines = Lines();
    const size_t line = number == 0 ? 0 : number == 2 ? 1 : number == 3 ? 2 : SIZE_MAX;
    if (line >= lines.size()) return 0;
    return spi::PutInfo(lines[line].c_str(), buffer, length);
}

SPI_EXPORT int32_t WINAPI IsSupported(const char *, void *head) {
    const std::vector<std::string> lines = Lines();
    return lines.size() > 3 && !lines[3].empty() &&
           memcmp(head, lines[3].data(), lines[3].size()) == 0;
}
