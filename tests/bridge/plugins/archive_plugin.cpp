// archive.spi: a plug-in of another kind than image import, which claims every file.
#include "plugin_support.h"
#include "test_plugins.h"

SPI_EXPORT int32_t WINAPI GetPluginInfo(int32_t number, char *buffer, int32_t length) {
    return spi::InfoFromTable(number, buffer, length,
                              {testspi::kArchiveVersion, nullptr, "*.arc", "Test archive"});
}

SPI_EXPORT int32_t WINAPI IsSupported(const char *fileName, void *head) {
    spi::LogIsSupported(fileName, head);
    return 1;
}
