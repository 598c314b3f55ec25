#pragma once
// Finding Susie plug-ins in the plug-in folder: their information texts, the plug-in for a
// picture file, and the open dialog's filter of every installed import plug-in.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mirolt::formats {

// The folder "plugin" beside the program, as an absolute path without a trailing backslash.
std::wstring DefaultPluginFolder();
// The plug-in folder of this run: set once at start-up (tests point it elsewhere).
const std::wstring &PluginFolder();
void SetPluginFolder(const std::wstring &folder);

// The plug-in files of a folder, in listing order: ordinary files "*.spi"; the 64-bit build
// lists "*.sph" (64-bit plug-ins) first, then "*.spi" (32-bit ones simply fail to load).
std::vector<std::wstring> ListPluginFiles(const std::wstring &folder);

// The plug-in's information text for `number`; "" when it has none or cannot be loaded. A
// text that fills the whole buffer without its NUL raises 5.
std::wstring GetPluginInfoText(const std::wstring &pluginPath, int32_t number);

// The full path of the first import plug-in of the folder that supports the file, or "".
std::wstring FindPluginForFile(const std::wstring &folder, const std::wstring &fileName);

// Flag 0: "description|pattern|..." of every import plug-in; any other flag: the patterns
// joined by ";". More than 32767 plug-in files in the folder raise overflow (6).
std::wstring BuildPluginFilter(const std::wstring &folder, int16_t extensionsOnly);

// The same over a given listing and information source, so that extremes can be tried
// without thousands of files.
struct PluginCatalog {
    std::function<std::vector<std::wstring>(const std::wstring &folder)> list;
    std::function<std::wstring(const std::wstring &pluginPath, int32_t number)> infoText;
};
std::wstring BuildPluginFilter(const std::wstring &folder, int16_t extensionsOnly,
                               const PluginCatalog &catalog);

} // namespace mirolt::formats
