#pragma once
// SaveJPG.DLL: writes the bitmap selected into a device context as a JPEG file. For code
// that binds DCSavetoJPEG by name at run time.
#include <windows.h>

#include <cstdint>

namespace savejpg {

inline constexpr char kLibraryName[] = "SaveJPG.DLL";
// Exported under this plain name on both architectures.
inline constexpr char kFunctionName[] = "DCSavetoJPEG";

// Results; every one fits a 16-bit integer.
inline constexpr int32_t kSaved = 0;
inline constexpr int32_t kCannotCreate = 1; // folder missing or read-only, bad name, target
                                            // read-only or a folder or a link to nothing
inline constexpr int32_t kCannotWrite = 2;  // the picture could not be encoded or written
inline constexpr int32_t kBadArguments = 3; // not a memory device context with a bitmap,
                                            // a size of 0 or beyond the bitmap or over
                                            // 65535, a quality outside 1..100, no path
inline constexpr int32_t kReserved = 4;     // never returned

inline constexpr uint32_t kMinQuality = 1;
inline constexpr uint32_t kMaxQuality = 100;

// Standard calling convention; on 32-bit code six 4-byte arguments. `width` x `height`
// pixels from the top-left corner of the bitmap selected into `dc` go to `path` (ANSI, the
// system code page). `quality` is read as a whole 32-bit value; `reserved` is ignored and
// should be 0. An existing file is replaced only once the new one is completely written; a
// path that is a link writes the file the link leads to, which keeps its attributes.
using DCSavetoJPEGFn = int32_t(WINAPI *)(HDC dc, int32_t width, int32_t height, const char *path,
                                         uint32_t quality, int32_t reserved);

} // namespace savejpg
