#pragma once
// The exports of Brovik.dll, for code that binds them by name at run time.
#include <windows.h>

#include <cstdint>

#include "susie_interface.h"

namespace brovik {

// Results of VBGetPicture and VBGetPictureInfo.
inline constexpr int32_t kPictureFailed = 0;
inline constexpr int32_t kPictureDone = 1;

// Results of VBGetPluginInfo and VBIsSupported.
inline constexpr int32_t kQueryDone = 0;    // text written / file supported
inline constexpr int32_t kQueryRefused = 1; // no such information / not supported
inline constexpr int32_t kPluginNotLoadable = 2;
inline constexpr int32_t kFileNotOpened = 3; // VBIsSupported only

inline constexpr char kLibraryName[] = "Brovik.dll";
inline constexpr char kGetPictureExport[] = "_VBGetPicture@12";
inline constexpr char kGetPictureInfoExport[] = "_VBGetPictureInfo@12";
inline constexpr char kGetPluginInfoExport[] = "_VBGetPluginInfo@12";
inline constexpr char kIsSupportedExport[] = "_VBIsSupported@8";

// Paths are ANSI strings of the system code page.
using GetPictureFn = int32_t(WINAPI *)(const char *pluginPath, const char *fileName, HDC dc);
using GetPictureInfoFn = int32_t(WINAPI *)(const char *pluginPath, const char *fileName,
                                           susie::PictureInfo *info);
// `buffer` must hold at least 256 bytes.
using GetPluginInfoFn = int32_t(WINAPI *)(const char *pluginPath, int32_t infoNumber, char *buffer);
using IsSupportedFn = int32_t(WINAPI *)(const char *pluginPath, const char *fileName);

} // namespace brovik
