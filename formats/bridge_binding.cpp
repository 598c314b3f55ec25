#include "bridge_binding.h"

#include "ansi.h"
#include "brovik.h"
#include "vb_error.h"

#include <cstring>

namespace mirolt::formats {
namespace {

constexpr size_t kInfoBufferBytes = 256;

struct Binding {
    std::string libraryName = brovik::kLibraryName;
    HMODULE library = nullptr;
    FARPROC getPicture = nullptr;
    FARPROC getPictureInfo = nullptr;
    FARPROC getPluginInfo = nullptr;
    FARPROC isSupported = nullptr;
};

Binding &State() {
    static Binding binding;
    return binding;
}

// The export's address, found at its first call and kept.
template <typename Fn> Fn Bound(FARPROC Binding::*slot, const char *exportName) {
    Binding &b = State();
    if (!(b.*slot)) {
        if (!b.library) b.library = LoadLibraryA(b.libraryName.c_str());
        if (!b.library) throw RuntimeError(kDllNotFound);
        b.*slot = GetProcAddress(b.library, exportName);
        if (!(b.*slot)) throw RuntimeError(kEntryPointNotFound);
    }
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(b.*slot));
}

} // namespace

int32_t PictureInfoRecord::Field(size_t offset) const {
    int32_t value;
    std::memcpy(&value, bytes_.data() + offset, sizeof value);
    return value;
}

int32_t VBGetPluginInfo(const std::wstring &pluginPath, int32_t infoNumber, std::wstring &buffer) {
    auto fn = Bound<brovik::GetPluginInfoFn>(&Binding::getPluginInfo, brovik::kGetPluginInfoExport);
    std::string bytes = platform::ToAnsi(buffer);
    // The library writes up to 256 bytes whatever it is given: never let it write past us.
    if (bytes.size() < kInfoBufferBytes) bytes.resize(kInfoBufferBytes, ' ');
    const int32_t result = fn(platform::ToAnsi(pluginPath).c_str(), infoNumber, bytes.data());
    buffer = platform::FromAnsi(bytes);
    return result;
}

int32_t VBIsSupported(const std::wstring &pluginPath, const std::wstring &fileName) {
    auto fn = Bound<brovik::IsSupportedFn>(&Binding::isSupported, brovik::kIsSupportedExport);
    return fn(platform::ToAnsi(pluginPath).c_str(), platform::ToAnsi(fileName).c_str());
}

int32_t VBGetPictureInfo(const std::wstring &pluginPath, const std::wstring &fileName,
                         PictureInfoRecord &info) {
    auto fn =
        Bound<brovik::GetPictureInfoFn>(&Binding::getPictureInfo, brovik::kGetPictureInfoExport);
    return fn(platform::ToAnsi(pluginPath).c_str(), platform::ToAnsi(fileName).c_str(),
              static_cast<susie::PictureInfo *>(info.Data()));
}

int32_t VBGetPicture(const std::wstring &pluginPath, const std::wstring &fileName, HDC dc) {
    auto fn = Bound<brovik::GetPictureFn>(&Binding::getPicture, brovik::kGetPictureExport);
    return fn(platform::ToAnsi(pluginPath).c_str(), platform::ToAnsi(fileName).c_str(), dc);
}

void RebindBridgeForTest(const std::string &libraryName) {
    State() = Binding{libraryName};
}

} // namespace mirolt::formats
