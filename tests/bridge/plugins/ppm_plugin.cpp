// ppm.spi: the shipped PPM/PGM plug-in's entries with the test plug-ins' call record and
// information texts of the tests' own.
#include "ppm_plugin.h"
#include "plugin_support.h"
#include "test_plugins.h"

SPI_EXPORT int32_t WINAPI GetPluginInfo(int32_t number, char *buffer, int32_t length) {
    if (number == testspi::kFillInfoNumber) { // fills the whole buffer it was told of
        spi::LogGetPluginInfo(number, length);
        return length > 0 ? spi::PutInfo(std::string(length - 1, 'x').c_str(), buffer, length) : 0;
    }
    return spi::InfoFromTable(number, buffer, length,
                              {susie::kImportVersion,
                               "Mirolt test plug-in for PPM and PGM pictures", testspi::kPpmPattern,
                               testspi::kPpmDescription, "*.pgm", "PGM picture"});
}

SPI_EXPORT int32_t WINAPI IsSupported(const char *fileName, void *head) {
    spi::LogIsSupported(fileName, head);
    return ppm_plugin::IsSupported(fileName, head);
}

SPI_EXPORT int32_t WINAPI GetPictureInfo(const char *fileName, LONG_PTR offset, uint32_t flags,
                                         susie::PictureInfo *info) {
    spi::LogGetPictureInfo(fileName, offset, flags);
    return ppm_plugin::GetPictureInfo(fileName, offset, flags, info);
}

SPI_EXPORT int32_t WINAPI GetPicture(const char *fileName, LONG_PTR offset, uint32_t flags,
                                     HLOCAL *infoHandle, HLOCAL *bitsHandle,
                                     susie::ProgressProc progress, LONG_PTR data) {
    spi::LogGetPicture(fileName, offset, flags, progress, data);
    const int32_t result =
        ppm_plugin::GetPicture(fileName, offset, flags, infoHandle, bitsHandle, progress, data);
    if (result == ppm_plugin::kSuccess) spi::LogHandles(*infoHandle, *bitsHandle);
    return result;
}
