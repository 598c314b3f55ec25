#pragma once
// The Susie image plug-in interface as this system uses it: the entry points of an
// image-import plug-in and the picture-information record one of them fills. Shared by
// the bridge library, the program's side and our test plug-ins.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace susie {

// Entry points, looked up by these names.
inline constexpr char kGetPluginInfoName[] = "GetPluginInfo";
inline constexpr char kIsSupportedName[] = "IsSupported";
inline constexpr char kGetPictureInfoName[] = "GetPictureInfo";
inline constexpr char kGetPictureName[] = "GetPicture";

// Information numbers.
inline constexpr int32_t kInfoVersion = 0;          // interface version
inline constexpr int32_t kInfoFirstPattern = 2;     // first file pattern, such as "*.ppm"
inline constexpr int32_t kInfoFirstDescription = 3; // what that pattern stands for
inline constexpr char kImportVersion[] = "00IN";    // version text of an image-import plug-in

inline constexpr int32_t kInfoBufferLength = 256; // what a plug-in is told it may write
inline constexpr uint32_t kHeadLength = 2048;     // head of the file given to IsSupported

// Flags of the picture entries: the input is a file name and no extra text is wanted.
inline constexpr uint32_t kInputIsFile = 0;

// Picture information, laid out as the plug-ins of each architecture write it. 32-bit code:
// natural alignment, 28 bytes, the text handle at byte 24. 64-bit plug-ins (*.sph) declare
// it packed: 30 bytes, the text handle at byte 22. Width and height are at bytes 8 and 12
// in both.
#ifdef _WIN64
#pragma pack(push, 1)
#endif
struct PictureInfo {
    int32_t left; // position of the picture
    int32_t top;
    int32_t width; // in pixels
    int32_t height;
    uint16_t xDensity; // densities, as the format records them
    uint16_t yDensity;
    int16_t colorDepth; // bits per pixel
    HLOCAL text;        // text that comes with the picture; this system never reads it
};
#ifdef _WIN64
#pragma pack(pop)
#endif
static_assert(offsetof(PictureInfo, width) == 8);
static_assert(offsetof(PictureInfo, height) == 12);
static_assert(offsetof(PictureInfo, text) == (sizeof(void *) == 4 ? 24 : 22));
static_assert(sizeof(PictureInfo) == (sizeof(void *) == 4 ? 28 : 30));

// What a caller allocates, zeroed, for the record it hands to a plug-in: room for either
// layout a plug-in of this architecture may write. A 64-bit plug-in built without the
// packing writes 32 bytes, so never 28 or 30 there.
inline constexpr size_t kPictureInfoAllocation = sizeof(void *) == 4 ? 28 : 32;
static_assert(kPictureInfoAllocation >= sizeof(PictureInfo));

// All entries use the standard calling convention and return a 32-bit result. Offsets and callback
// data are pointer-sized so that a 64-bit plug-in always reads a clean value, whatever width it
// declares them with.
using GetPluginInfoProc = int32_t(WINAPI *)(int32_t infoNumber, char *buffer, int32_t length);
// Non-zero: the plug-in reads the file. `head` holds the first bytes of the file, zero-padded.
using IsSupportedProc = int32_t(WINAPI *)(const char *fileName, void *head);
// 0: `info` is filled.
using GetPictureInfoProc = int32_t(WINAPI *)(const char *fileName, LONG_PTR offset, uint32_t flags,
                                             PictureInfo *info);
// Progress callback of GetPicture; the bridge passes none.
using ProgressProc = int32_t(WINAPI *)(int32_t done, int32_t total, LONG_PTR data);
// 0: `*info` holds a BITMAPINFO and `*bits` the pixels, both local memory that the caller
// now owns and frees.
using GetPictureProc = int32_t(WINAPI *)(const char *fileName, LONG_PTR offset, uint32_t flags,
                                         HLOCAL *info, HLOCAL *bits, ProgressProc progress,
                                         LONG_PTR data);

} // namespace susie
