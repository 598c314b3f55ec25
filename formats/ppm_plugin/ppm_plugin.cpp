// ifppm.spi (32-bit) / ifppm.sph (64-bit): Mirolt's image-import plug-in for PPM and PGM
// pictures, binary and plain. The entries are looked up by their plain names.
#include "ppm_plugin.h"

#include <type_traits>

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

PLUGIN_EXPORT int32_t WINAPI GetPluginInfo(int32_t number, char *buffer, int32_t length) {
    return ppm_plugin::GetPluginInfo(number, buffer, length);
}

PLUGIN_EXPORT int32_t WINAPI IsSupported(const char *fileName, void *head) {
    return ppm_plugin::IsSupported(fileName, head);
}

PLUGIN_EXPORT int32_t WINAPI GetPictureInfo(const char *fileName, LONG_PTR offset, uint32_t flags,
                                            susie::PictureInfo *info) {
    return ppm_plugin::GetPictureInfo(fileName, offset, flags, info);
}

PLUGIN_EXPORT int32_t WINAPI GetPicture(const char *fileName, LONG_PTR offset, uint32_t flags,
                                        HLOCAL *info, HLOCAL *bits, susie::ProgressProc progress,
                                        LONG_PTR data) {
    return ppm_plugin::GetPicture(fileName, offset, flags, info, bits, progress, data);
}

static_assert(std::is_same_v<decltype(&GetPluginInfo), susie::GetPluginInfoProc>);
static_assert(std::is_same_v<decltype(&IsSupported), susie::IsSupportedProc>);
static_assert(std::is_same_v<decltype(&GetPictureInfo), susie::GetPictureInfoProc>);
static_assert(std::is_same_v<decltype(&GetPicture), susie::GetPictureProc>);
