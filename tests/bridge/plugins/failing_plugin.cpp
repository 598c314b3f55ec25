// failing.spi: every entry is there and every one reports failure.
#include "plugin_support.h"

namespace {
constexpr int32_t kFailure = 3;
}

SPI_EXPORT int32_t WINAPI GetPluginInfo(int32_t number, char *, int32_t length) {
    spi::LogGetPluginInfo(number, length);
    return 0;
}

SPI_EXPORT int32_t WINAPI IsSupported(const char *fileName, void *head) {
    spi::LogIsSupported(fileName, head);
    return 0;
}

SPI_EXPORT int32_t WINAPI GetPictureInfo(const char *fileName, LONG_PTR offset, uint32_t flags,
                                         susie::PictureInfo *) {
    spi::LogGetPictureInfo(fileName, offset, flags);
    return kFailure;
}

SPI_EXPORT int32_t WINAPI GetPicture(const char *fileName, LONG_PTR offset, uint32_t flags,
                                     HLOCAL *, HLOCAL *, susie::ProgressProc progress,
                                     LONG_PTR data) {
    spi::LogGetPicture(fileName, offset, flags, progress, data);
    return kFailure;
}
