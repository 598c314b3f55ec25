#pragma once
// Plug-in folders made by the tests: copies of the built test plug-ins under chosen names.
#include "ansi.h"
#include "picture_files.h"

#include <windows.h>

#include <string>

namespace mirolt::test {

// One of the bridge's test plug-ins (ppm, quirk, failing, archive) as `name` in `folder`.
inline void InstallPlugin(const std::wstring &folder, const std::wstring &built,
                          const std::wstring &name) {
    CopyFileW((WindowsPath(TEST_PLUGIN_DIR) + L"\\" + built + L".spi").c_str(),
              (folder + L"\\" + name).c_str(), FALSE);
}

// The configurable plug-in as `name` ("x.spi"), answering `lines` (version, pattern,
// description, supported head; see configurable_plugin.cpp).
inline void InstallConfigurable(const std::wstring &folder, const std::wstring &name,
                                const std::wstring &lines) {
    CopyFileW(WindowsPath(CONFIGURABLE_PLUGIN).c_str(), (folder + L"\\" + name).c_str(), FALSE);
    WriteBytes(folder + L"\\" + name.substr(0, name.rfind(L'.')) + L".txt",
               platform::ToAnsi(lines));
}

} // namespace mirolt::test
