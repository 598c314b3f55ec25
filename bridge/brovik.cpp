// Brovik.dll: lets the program use Susie image plug-ins without loading them itself.
// Every export loads the plug-in named by its path, calls one entry point and frees the
// plug-in again before it returns, so nothing of one call reaches the next.
#include "brovik.h"

#include <climits>
#include <type_traits>

namespace {

// The plug-in of the current call and the entry each export found in it. Written by every
// call and read only within it.
HMODULE PluginModule;
susie::GetPictureInfoProc GetPictureInfoEntry;
susie::GetPictureProc GetPictureEntry;
susie::IsSupportedProc IsSupportedEntry;
susie::GetPluginInfoProc GetPluginInfoEntry;

// Runs `undo` as the call returns, on every way out; several run in the reverse order of
// their declarations.
template <typename F> struct Finally {
    F undo;
    ~Finally() { undo(); }
};

template <typename Proc> void ClosePlugin(Proc &slot) {
    FreeLibrary(PluginModule);
    PluginModule = nullptr;
    slot = nullptr;
}

// A plug-in that lacks the entry is as unusable as one that cannot be loaded; it is freed
// at once.
template <typename Proc>
bool OpenPlugin(const char *pluginPath, const char *entryName, Proc &slot) {
    PluginModule = LoadLibraryA(pluginPath);
    if (!PluginModule) return false;
    // Through a generic function pointer: FARPROC's own signature says nothing.
    slot = reinterpret_cast<Proc>(
        reinterpret_cast<void (*)()>(GetProcAddress(PluginModule, entryName)));
    if (!slot) {
        ClosePlugin(slot);
        return false;
    }
    return true;
}

// StretchDIBits's failure result, as the int it returns.
constexpr int kDrawFailed = static_cast<int>(GDI_ERROR);

// The number of rows of a DIB: a top-down picture stores its height negated.
LONG RowCount(LONG height) {
    return height < 0 && height != LONG_MIN ? -height : height;
}

} // namespace

extern "C" {

int32_t WINAPI VBGetPicture(const char *pluginPath, const char *fileName, HDC dc) {
    if (!OpenPlugin(pluginPath, susie::kGetPictureName, GetPictureEntry))
        return brovik::kPictureFailed;
    const Finally closePlugin{[] { ClosePlugin(GetPictureEntry); }};

    HLOCAL infoHandle = nullptr;
    HLOCAL bitsHandle = nullptr;
    if (GetPictureEntry(fileName, 0, susie::kInputIsFile, &infoHandle, &bitsHandle, nullptr, 0) !=
        0)
        return brovik::kPictureFailed;
    // Ours from here; freed once unlocked, before the plug-in goes.
    const Finally freeHandles{[&] {
        LocalFree(infoHandle);
        LocalFree(bitsHandle);
    }};

    // A plug-in that claims success without memory behind a handle draws nothing.
    int drawn = kDrawFailed;
    const auto *info = static_cast<const BITMAPINFO *>(LocalLock(infoHandle));
    const void *bits = LocalLock(bitsHandle);
    if (info && bits) {
        const LONG width = info->bmiHeader.biWidth;
        // Given as a rectangle height, a top-down picture's negative height would put the
        // picture above the top edge; either way it lands upright at (0, 0).
        const LONG rows = RowCount(info->bmiHeader.biHeight);
        drawn = StretchDIBits(dc, 0, 0, width, rows, 0, 0, width, rows, bits, info, DIB_RGB_COLORS,
                              SRCCOPY);
    }
    if (info) LocalUnlock(infoHandle);
    if (bits) LocalUnlock(bitsHandle);
    // No scan lines copied is not a failure; only GDI_ERROR is.
    return drawn == kDrawFailed ? brovik::kPictureFailed : brovik::kPictureDone;
}

int32_t WINAPI VBGetPictureInfo(const char *pluginPath, const char *fileName,
                                susie::PictureInfo *info) {
    if (!OpenPlugin(pluginPath, susie::kGetPictureInfoName, GetPictureInfoEntry))
        return brovik::kPictureFailed;
    const Finally closePlugin{[] { ClosePlugin(GetPictureInfoEntry); }};
    const int32_t result = GetPictureInfoEntry(fileName, 0, susie::kInputIsFile, info);
    return result == 0 ? brovik::kPictureDone : brovik::kPictureFailed;
}

int32_t WINAPI VBGetPluginInfo(const char *pluginPath, int32_t infoNumber, char *buffer) {
    if (!OpenPlugin(pluginPath, susie::kGetPluginInfoName, GetPluginInfoEntry))
        return brovik::kPluginNotLoadable;
    const Finally closePlugin{[] { ClosePlugin(GetPluginInfoEntry); }};
    const int32_t result = GetPluginInfoEntry(infoNumber, buffer, susie::kInfoBufferLength);
    return result == 0 ? brovik::kQueryRefused : brovik::kQueryDone;
}

int32_t WINAPI VBIsSupported(const char *pluginPath, const char *fileName) {
    // The plug-in comes first: a missing plug-in is reported even when the file is missing too.
    if (!OpenPlugin(pluginPath, susie::kIsSupportedName, IsSupportedEntry))
        return brovik::kPluginNotLoadable;
    const Finally closePlugin{[] { ClosePlugin(IsSupportedEntry); }};

    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return brovik::kFileNotOpened;
    HLOCAL head = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, susie::kHeadLength);
    // The file is closed, then the buffer freed, then the plug-in.
    const Finally release{[&] {
        CloseHandle(file);
        if (head) LocalFree(head);
    }};
    // Without a buffer there is no head to judge by: as if the file could not be read.
    if (!head) return brovik::kFileNotOpened;
    // A short or unreadable file leaves the rest of the buffer zero; the plug-in judges by
    // whatever head there is.
    DWORD count = 0;
    ReadFile(file, head, susie::kHeadLength, &count, nullptr);
    const int32_t supported = IsSupportedEntry(fileName, head);
    return supported != 0 ? brovik::kQueryDone : brovik::kQueryRefused;
}

} // extern "C"

// The exports are what callers bind them as.
static_assert(std::is_same_v<decltype(&VBGetPicture), brovik::GetPictureFn>);
static_assert(std::is_same_v<decltype(&VBGetPictureInfo), brovik::GetPictureInfoFn>);
static_assert(std::is_same_v<decltype(&VBGetPluginInfo), brovik::GetPluginInfoFn>);
static_assert(std::is_same_v<decltype(&VBIsSupported), brovik::IsSupportedFn>);
