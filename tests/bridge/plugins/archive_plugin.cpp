// archive.spi: a plug-in of another kind than image import, which claims every file.
#include "plugin_support.h"
#include "test_plugins.h"

SPI_EXPORT int32_t WINAPI GetPluginInfo(int32_t number, char *buffer, int32_t length) {
    spi::LogGetPluginInfo(number, length);
    switch (number) {
    case susie::kInfoVersion:
        return spi::PutInfo(testspi::kArchiveVersion, buffer, length);
    case susie::kInfoFirstPattern:
        return spi::PutInfo("*.arc", buffer, length);
    case susie::kInfoFirstDescription:
        return spi::PutInfo("Test archive", buffer, length);
    default:
        return 0;
    }
}

SPI_EXPORT int32_t WINAPI IsSupported(const char *fileName, void *head) {
    spi::LogIsSupported(fileName, head);
    return 1;
}
