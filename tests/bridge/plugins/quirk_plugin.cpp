// quirk.spi: an image-import plug-in whose GetPicture misbehaves in the way the picture
// file asks for ("QUIRK <mode> <width> <height>").
#include "plugin_support.h"
#include "test_plugins.h"

namespace {

constexpr int32_t kBroken = 3;

struct Quirk {
    char mode[32] = {};
    int width = 0;
    int height = 0;
};

bool Load(const char *fileName, Quirk &quirk) {
    std::vector<unsigned char> data;
    if (!spi::ReadWholeFile(fileName, data)) return false;
    const std::string text(data.begin(), data.end());
    return text.rfind(testspi::kQuirkMagic, 0) == 0 &&
           sscanf(text.c_str() + strlen(testspi::kQuirkMagic), "%31s %d %d", quirk.mode,
                  &quirk.width, &quirk.height) == 3;
}

// A 24-bit bottom-up header of the given size.
HLOCAL MakeHeader(int width, int height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    return spi::CopyToLocal(&header, sizeof header);
}

} // namespace

SPI_EXPORT int32_t WINAPI GetPluginInfo(int32_t number, char *buffer, int32_t length) {
    return spi::InfoFromTable(
        number, buffer, length,
        {susie::kImportVersion, nullptr, testspi::kQuirkPattern, testspi::kQuirkDescription});
}

SPI_EXPORT int32_t WINAPI IsSupported(const char *fileName, void *head) {
    spi::LogIsSupported(fileName, head);
    return memcmp(head, testspi::kQuirkMagic, strlen(testspi::kQuirkMagic)) == 0;
}

SPI_EXPORT int32_t WINAPI GetPictureInfo(const char *fileName, LONG_PTR offset, uint32_t flags,
                                         susie::PictureInfo *info) {
    spi::LogGetPictureInfo(fileName, offset, flags);
    Quirk quirk;
    if (!Load(fileName, quirk)) return kBroken;
    *info = {};
    info->width = quirk.width;
    info->height = quirk.height;
    info->colorDepth = 24;
    return 0;
}

SPI_EXPORT int32_t WINAPI GetPicture(const char *fileName, LONG_PTR offset, uint32_t flags,
                                     HLOCAL *infoHandle, HLOCAL *bitsHandle,
                                     susie::ProgressProc progress, LONG_PTR data) {
    spi::LogGetPicture(fileName, offset, flags, progress, data);
    Quirk quirk;
    if (!Load(fileName, quirk)) return kBroken;
    const std::string mode = quirk.mode;
    if (mode == testspi::kQuirkNoDecode) return kBroken;
    if (mode == testspi::kQuirkNullHandles) return 0;

    const unsigned char pixels[16] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    if (mode == testspi::kQuirkNoBits) {
        *infoHandle = MakeHeader(quirk.width, quirk.height);
    } else if (mode == testspi::kQuirkNoLines) {
        *infoHandle = MakeHeader(quirk.width, 0);
        *bitsHandle = spi::CopyToLocal(pixels, sizeof pixels);
    } else {
        return kBroken;
    }
    spi::LogHandles(*infoHandle, *bitsHandle);
    return 0;
}
