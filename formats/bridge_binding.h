#pragma once
// The four exports of Brovik.dll as the program calls them. Each is bound at its own first
// call by loading "Brovik.dll" through the system's library search (the program's folder
// first) and looking its name up; the binding lasts for the run and the library is never
// unloaded. A library that cannot be found raises 48, a missing export 453, at the call.
#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace mirolt::formats {

// The picture-information record a plug-in fills. 32-bit plug-ins write 28 bytes, 64-bit ones
// a packed 30; either way width and height are at bytes 8 and 12. Zeroed, and room to spare
// for a plug-in that writes a wider layout than it should.
class PictureInfoRecord {
  public:
    int32_t Width() const { return Field(8); }
    int32_t Height() const { return Field(12); }
    void *Data() { return bytes_.data(); }

  private:
    int32_t Field(size_t offset) const;
    alignas(8) std::array<std::byte, 64> bytes_{};
};

// Texts cross as ANSI. `buffer` is sent whole and comes back whole, as the library left it.
int32_t VBGetPluginInfo(const std::wstring &pluginPath, int32_t infoNumber, std::wstring &buffer);
int32_t VBIsSupported(const std::wstring &pluginPath, const std::wstring &fileName);
int32_t VBGetPictureInfo(const std::wstring &pluginPath, const std::wstring &fileName,
                         PictureInfoRecord &info);
int32_t VBGetPicture(const std::wstring &pluginPath, const std::wstring &fileName, HDC dc);

// Tests only: forget every binding (the loaded library stays loaded) and bind the next calls
// against `libraryName` instead.
void RebindBridgeForTest(const std::string &libraryName);

} // namespace mirolt::formats
