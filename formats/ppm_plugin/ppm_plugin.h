#pragma once
// The PPM plug-in's four entries, as functions: the plug-in exports them, and the test
// plug-in of the bridge's tests wraps them with its call record.
#include "susie_interface.h"

namespace ppm_plugin {

// Results of the entries.
inline constexpr int32_t kSuccess = 0;
inline constexpr int32_t kNotImplemented = -1; // input other than a file
inline constexpr int32_t kAborted = 1;         // the progress callback asked to stop
inline constexpr int32_t kUnknownFormat = 2;
inline constexpr int32_t kBrokenData = 3;
inline constexpr int32_t kNoMemory = 4;
inline constexpr int32_t kReadError = 6;

int32_t GetPluginInfo(int32_t number, char *buffer, int32_t length);
int32_t IsSupported(const char *fileName, const void *head);
int32_t GetPictureInfo(const char *fileName, LONG_PTR offset, uint32_t flags,
                       susie::PictureInfo *info);
int32_t GetPicture(const char *fileName, LONG_PTR offset, uint32_t flags, HLOCAL *info,
                   HLOCAL *bits, susie::ProgressProc progress, LONG_PTR data);

} // namespace ppm_plugin
