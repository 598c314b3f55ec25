// ppm.spi: a working image-import plug-in for binary PPM and PGM pictures.
#include "plugin_support.h"
#include "test_plugins.h"

namespace {

constexpr int32_t kUnknownFormat = 2;
constexpr int32_t kBrokenData = 3;
constexpr int32_t kNoMemory = 4;
constexpr int kMaxSide = 16384;

struct Netpbm {
    int width = 0;
    int height = 0;
    int channels = 0;  // 3 for PPM, 1 for PGM
    size_t pixels = 0; // offset of the first sample
};

bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Skips white space and comments, then reads a decimal number.
bool ReadNumber(const std::vector<unsigned char> &data, size_t &at, int &value) {
    for (;;) {
        while (at < data.size() && IsSpace(data[at]))
            ++at;
        if (at < data.size() && data[at] == '#') {
            while (at < data.size() && data[at] != '\n')
                ++at;
            continue;
        }
        break;
    }
    value = 0;
    const size_t start = at;
    while (at < data.size() && data[at] >= '0' && data[at] <= '9' && value <= kMaxSide * 10)
        value = value * 10 + (data[at++] - '0');
    return at > start;
}

int32_t Parse(const std::vector<unsigned char> &data, Netpbm &image) {
    if (data.size() < 2 || data[0] != 'P' || (data[1] != '5' && data[1] != '6'))
        return kUnknownFormat;
    image.channels = data[1] == '6' ? 3 : 1;
    size_t at = 2;
    int maximum = 0;
    if (!ReadNumber(data, at, image.width) || !ReadNumber(data, at, image.height) ||
        !ReadNumber(data, at, maximum) || maximum != 255 || at >= data.size())
        return kBrokenData;
    if (image.width < 1 || image.width > kMaxSide || image.height < 1 || image.height > kMaxSide)
        return kBrokenData;
    image.pixels = at + 1; // one white-space character ends the header
    const size_t samples = size_t(image.width) * size_t(image.height) * size_t(image.channels);
    return data.size() - image.pixels >= samples ? 0 : kBrokenData;
}

int32_t Load(const char *fileName, std::vector<unsigned char> &data, Netpbm &image) {
    return spi::ReadWholeFile(fileName, data) ? Parse(data, image) : kBrokenData;
}

} // namespace

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
    const auto *bytes = static_cast<const unsigned char *>(head);
    return bytes[0] == 'P' && (bytes[1] == '5' || bytes[1] == '6') && IsSpace(bytes[2]);
}

SPI_EXPORT int32_t WINAPI GetPictureInfo(const char *fileName, LONG_PTR offset, uint32_t flags,
                                         susie::PictureInfo *info) {
    spi::LogGetPictureInfo(fileName, offset, flags);
    std::vector<unsigned char> data;
    Netpbm image;
    if (const int32_t error = Load(fileName, data, image)) return error;
    *info = {};
    info->width = image.width;
    info->height = image.height;
    info->colorDepth = static_cast<int16_t>(image.channels * 8);
    return 0;
}

SPI_EXPORT int32_t WINAPI GetPicture(const char *fileName, LONG_PTR offset, uint32_t flags,
                                     HLOCAL *infoHandle, HLOCAL *bitsHandle,
                                     susie::ProgressProc progress, LONG_PTR data) {
    spi::LogGetPicture(fileName, offset, flags, progress, data);
    std::vector<unsigned char> file;
    Netpbm image;
    if (const int32_t error = Load(fileName, file, image)) return error;

    const bool color = image.channels == 3;
    const size_t stride = (size_t(image.width) * image.channels + 3) & ~size_t(3);
    std::vector<unsigned char> bits(stride * image.height);
    const unsigned char *sample = file.data() + image.pixels;
    for (int y = 0; y < image.height; ++y) {
        // PPM becomes bottom-up with its rows reversed; PGM stays top-down.
        unsigned char *row = bits.data() + stride * (color ? image.height - 1 - y : y);
        for (int x = 0; x < image.width; ++x, sample += image.channels) {
            if (color) {
                row[x * 3] = sample[2];
                row[x * 3 + 1] = sample[1];
                row[x * 3 + 2] = sample[0];
            } else {
                row[x] = sample[0];
            }
        }
    }

    std::vector<unsigned char> header(sizeof(BITMAPINFOHEADER) +
                                      (color ? 0 : 256 * sizeof(RGBQUAD)));
    auto *info = reinterpret_cast<BITMAPINFO *>(header.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = image.width;
    info->bmiHeader.biHeight = color ? image.height : -image.height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(image.channels * 8);
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biSizeImage = static_cast<DWORD>(bits.size());
    if (!color) {
        for (int i = 0; i < 256; ++i) {
            const auto level = static_cast<BYTE>(i);
            info->bmiColors[i] = RGBQUAD{level, level, level, 0};
        }
    }

    HLOCAL infoMemory = spi::CopyToLocal(header.data(), header.size());
    HLOCAL bitsMemory = spi::CopyToLocal(bits.data(), bits.size());
    if (!infoMemory || !bitsMemory) {
        LocalFree(infoMemory);
        LocalFree(bitsMemory);
        return kNoMemory;
    }
    *infoHandle = infoMemory;
    *bitsHandle = bitsMemory;
    spi::LogHandles(infoMemory, bitsMemory);
    return 0;
}
