#include "plugin_discovery.h"

#include "bridge_binding.h"
#include "brovik.h"
#include "files.h"
#include "runtime.h"
#include "vb_error.h"

#include <windows.h>

namespace mirolt::formats {
namespace {

constexpr int32_t kInfoVersion = 0;
constexpr int32_t kInfoFirstPattern = 2;
constexpr int32_t kInfoFirstDescription = 3;
constexpr wchar_t kImportVersion[] = L"00IN";
constexpr size_t kInfoBufferLength = 256;

#ifdef _WIN64
constexpr const wchar_t *kPluginPatterns[] = {L"\\*.sph", L"\\*.spi"};
#else
constexpr const wchar_t *kPluginPatterns[] = {L"\\*.spi"};
#endif

std::wstring &Folder() {
    static std::wstring folder = DefaultPluginFolder();
    return folder;
}

bool IsImportPlugin(const std::wstring &versionText) {
    return versionText == kImportVersion;
}

} // namespace

std::wstring DefaultPluginFolder() {
    return platform::AppPath() + L"\\plugin";
}

const std::wstring &PluginFolder() {
    return Folder();
}

void SetPluginFolder(const std::wstring &folder) {
    Folder() = folder;
}

std::vector<std::wstring> ListPluginFiles(const std::wstring &folder) {
    std::vector<std::wstring> names;
    for (const wchar_t *pattern : kPluginPatterns)
        for (std::wstring &name : platform::ListFiles(folder + pattern))
            names.push_back(std::move(name));
    return names;
}

std::wstring GetPluginInfoText(const std::wstring &pluginPath, int32_t number) {
    std::wstring buffer(kInfoBufferLength, L' ');
    if (VBGetPluginInfo(pluginPath, number, buffer) != brovik::kQueryDone) return L"";
    const size_t end = buffer.find(L'\0');
    if (end == std::wstring::npos) throw RuntimeError(kInvalidProcedureCall);
    return buffer.substr(0, end);
}

std::wstring FindPluginForFile(const std::wstring &folder, const std::wstring &fileName) {
    for (const std::wstring &name : ListPluginFiles(folder)) {
        const std::wstring plugin = folder + L"\\" + name;
        if (!IsImportPlugin(GetPluginInfoText(plugin, kInfoVersion))) continue;
        if (VBIsSupported(plugin, fileName) == brovik::kQueryDone) return plugin;
    }
    return L"";
}

std::wstring BuildPluginFilter(const std::wstring &folder, int16_t extensionsOnly) {
    return BuildPluginFilter(folder, extensionsOnly, {ListPluginFiles, GetPluginInfoText});
}

std::wstring BuildPluginFilter(const std::wstring &folderPath, int16_t extensionsOnly,
                               const PluginCatalog &catalog) {
    std::wstring folder = folderPath;
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    std::wstring filter;
    int16_t counted = 0; // every listed file, import plug-in or not
    for (const std::wstring &name : catalog.list(folder)) {
        const std::wstring plugin = folder + L"\\" + name;
        if (IsImportPlugin(catalog.infoText(plugin, kInfoVersion))) {
            if (extensionsOnly == 0) {
                if (counted != 0) filter += L"|";
                filter += catalog.infoText(plugin, kInfoFirstDescription);
                filter += L"|";
                filter += catalog.infoText(plugin, kInfoFirstPattern);
            } else {
                if (counted != 0) filter += L";";
                filter += catalog.infoText(plugin, kInfoFirstPattern);
            }
        }
        if (counted == INT16_MAX) throw RuntimeError(kOverflow);
        ++counted;
    }
    if (!filter.empty() && (filter.front() == L'|' || filter.front() == L';')) filter.erase(0, 1);
    return filter;
}

} // namespace mirolt::formats
