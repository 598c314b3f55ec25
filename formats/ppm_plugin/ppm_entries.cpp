// The PPM plug-in's entries. The file is read with ReadFile, a block at a time:
// nothing is mapped that another process could cut short under us, and no copy of the
// whole file is made. Every size comes from the header and is checked against the file
// before anything is allocated.
#include "ppm_plugin.h"

#include "netpbm.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ppm_plugin {
namespace {

// Information texts by number, in the system code page: the version, the plug-in, the
// first file pattern and what it stands for ("PPM/PGM画像").
constexpr const char *kInfoTexts[] = {
    susie::kImportVersion, "Mirolt PPM/PGM plug-in 1.3 (P6, P5, P3 and P2, 8 or 16 bits)",
    "*.ppm;*.pgm;*.pnm", "PPM/PGM\x89\xe6\x91\x9c"};

// Input other than a file name in the flags' lowest bits is not supported.
constexpr uint32_t kInputMask = 7;

// How much of the file one read takes, in whole rows.
constexpr uint64_t kReadBlock = 1 << 20;

// The picture file, from the picture's start (`offset`) on.
class File {
  public:
    File(const char *name, LONG_PTR offset) : offset_(offset) {
        if (!name || offset < 0) return;
        handle_ = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER size{};
        if (handle_ != INVALID_HANDLE_VALUE && GetFileSizeEx(handle_, &size) &&
            size.QuadPart >= offset)
            size_ = static_cast<uint64_t>(size.QuadPart - offset);
        else
            Close();
    }
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    ~File() { Close(); }

    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    uint64_t Size() const { return size_; }

    // Exactly `size` bytes from `at` (counted from the picture's start) on.
    bool Read(uint64_t at, void *buffer, size_t size) {
        LARGE_INTEGER position{};
        position.QuadPart = static_cast<LONGLONG>(at) + offset_;
        if (!SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN)) return false;
        auto *bytes = static_cast<uint8_t *>(buffer);
        while (size > 0) {
            const DWORD wanted = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
            DWORD read = 0;
            if (!ReadFile(handle_, bytes, wanted, &read, nullptr) || read == 0) return false;
            bytes += read;
            size -= read;
        }
        return true;
    }

  private:
    void Close() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    LONG_PTR offset_;
    uint64_t size_ = 0;
};

int32_t ReadHeader(File &file, netpbm::Picture &picture) {
    if (!file.Open()) return kReadError;
    uint8_t head[netpbm::kMaxHeaderBytes];
    const size_t size = static_cast<size_t>(std::min<uint64_t>(file.Size(), sizeof head));
    if (!file.Read(0, head, size)) return kReadError;
    switch (netpbm::ReadHeader(head, size, file.Size(), picture)) {
    case netpbm::Status::Ok:
        return kSuccess;
    case netpbm::Status::NotNetpbm:
        return kUnknownFormat;
    case netpbm::Status::Broken:
        return kBrokenData;
    case netpbm::Status::TooLarge:
        break;
    }
    return kNoMemory;
}

// Local memory owned until it is handed over.
class Local {
  public:
    explicit Local(size_t size, UINT flags = LMEM_MOVEABLE) : handle_(LocalAlloc(flags, size)) {}
    Local(const Local &) = delete;
    Local &operator=(const Local &) = delete;
    ~Local() {
        if (handle_) LocalFree(handle_);
    }
    HLOCAL Get() const { return handle_; }
    HLOCAL Release() {
        HLOCAL handle = handle_;
        handle_ = nullptr;
        return handle;
    }

  private:
    HLOCAL handle_;
};

// The samples of a binary picture, a block of whole rows at a time.
int32_t ReadBinary(File &file, const netpbm::Picture &picture, const uint8_t *levels,
                   uint8_t *pixels, susie::ProgressProc progress, LONG_PTR data) {
    const int32_t rowsPerRead = static_cast<int32_t>(
        std::clamp<uint64_t>(kReadBlock / picture.sourceRowBytes, 1, uint64_t(picture.height)));
    std::vector<uint8_t> block(static_cast<size_t>(picture.sourceRowBytes) * rowsPerRead);
    for (int32_t row = 0; row < picture.height; row += rowsPerRead) {
        if (progress && progress(row, picture.height, data) != 0) return kAborted;
        const int32_t rows = std::min(rowsPerRead, picture.height - row);
        const size_t bytes = static_cast<size_t>(picture.sourceRowBytes) * rows;
        if (!file.Read(picture.samplesAt + picture.sourceRowBytes * row, block.data(), bytes))
            return kReadError;
        netpbm::ConvertRows(block.data(), picture, levels, row, rows, pixels);
    }
    return kSuccess;
}

// The samples of a plain picture, a block of text at a time until the last sample.
int32_t ReadPlain(File &file, const netpbm::Picture &picture, const uint8_t *levels,
                  uint8_t *pixels, susie::ProgressProc progress, LONG_PTR data) {
    netpbm::PlainSamples samples(picture, levels, pixels);
    const uint64_t end = file.Size(); // at least samplesAt: the header was checked
    std::vector<uint8_t> block(static_cast<size_t>(std::min(kReadBlock, end - picture.samplesAt)));
    for (uint64_t at = picture.samplesAt; at < end && !samples.Complete(); at += block.size()) {
        if (progress && progress(samples.RowsDone(), picture.height, data) != 0) return kAborted;
        const size_t bytes = static_cast<size_t>(std::min<uint64_t>(block.size(), end - at));
        if (!file.Read(at, block.data(), bytes)) return kReadError;
        if (!samples.Read(block.data(), bytes)) return kBrokenData;
    }
    return samples.Finish() ? kSuccess : kBrokenData;
}

int32_t Decode(File &file, const netpbm::Picture &picture, HLOCAL *infoHandle, HLOCAL *bitsHandle,
               susie::ProgressProc progress, LONG_PTR data) {
    const size_t headerSize = sizeof(BITMAPINFOHEADER) + (picture.gray ? 256 * sizeof(RGBQUAD) : 0);
    if (picture.bitmapBytes > SIZE_MAX || picture.sourceRowBytes > SIZE_MAX) return kNoMemory;
    Local info(headerSize, LMEM_MOVEABLE | LMEM_ZEROINIT);
    Local bits(static_cast<size_t>(picture.bitmapBytes));
    if (!info.Get() || !bits.Get()) return kNoMemory;

    auto *header = static_cast<BITMAPINFO *>(LocalLock(info.Get()));
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = picture.width;
    header->bmiHeader.biHeight = picture.gray ? -picture.height : picture.height;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = picture.gray ? 8 : 24;
    header->bmiHeader.biCompression = BI_RGB;
    header->bmiHeader.biSizeImage = static_cast<DWORD>(picture.bitmapBytes);
    if (picture.gray) {
        header->bmiHeader.biClrUsed = 256;
        for (int i = 0; i < 256; ++i) {
            const auto level = static_cast<BYTE>(i);
            header->bmiColors[i] = RGBQUAD{level, level, level, 0};
        }
    }
    LocalUnlock(info.Get());

    std::vector<uint8_t> levels(picture.maxValue + 1);
    netpbm::Levels(picture.maxValue, levels.data());
    auto *pixels = static_cast<uint8_t *>(LocalLock(bits.Get()));
    int32_t result = picture.plain
                         ? ReadPlain(file, picture, levels.data(), pixels, progress, data)
                         : ReadBinary(file, picture, levels.data(), pixels, progress, data);
    LocalUnlock(bits.Get());
    if (result == kSuccess && progress && progress(picture.height, picture.height, data) != 0)
        result = kAborted;
    if (result != kSuccess) return result;
    *infoHandle = info.Release();
    *bitsHandle = bits.Release();
    return kSuccess;
}

} // namespace

int32_t GetPluginInfo(int32_t number, char *buffer, int32_t length) {
    if (!buffer || length <= 0 || number < 0 || number >= int32_t(std::size(kInfoTexts))) return 0;
    const size_t size = std::min(strlen(kInfoTexts[number]), static_cast<size_t>(length - 1));
    memcpy(buffer, kInfoTexts[number], size);
    buffer[size] = '\0';
    return static_cast<int32_t>(size);
}

int32_t IsSupported(const char *, const void *head) {
    // Some hosts pass a file handle here instead, a value below 64 KiB that no buffer has.
    if (reinterpret_cast<uintptr_t>(head) < 0x10000) return 0;
    return netpbm::HasSignature(static_cast<const uint8_t *>(head), susie::kHeadLength);
}

int32_t GetPictureInfo(const char *fileName, LONG_PTR offset, uint32_t flags,
                       susie::PictureInfo *info) {
    if ((flags & kInputMask) != 0 || !info) return kNotImplemented;
    File file(fileName, offset);
    netpbm::Picture picture;
    if (const int32_t error = ReadHeader(file, picture)) return error;
    *info = {};
    info->width = picture.width;
    info->height = picture.height;
    info->colorDepth = picture.gray ? 8 : 24;
    return kSuccess;
}

int32_t GetPicture(const char *fileName, LONG_PTR offset, uint32_t flags, HLOCAL *info,
                   HLOCAL *bits, susie::ProgressProc progress, LONG_PTR data) {
    if ((flags & kInputMask) != 0 || !info || !bits) return kNotImplemented;
    File file(fileName, offset);
    netpbm::Picture picture;
    if (const int32_t error = ReadHeader(file, picture)) return error;
    try {
        return Decode(file, picture, info, bits, progress, data);
    } catch (...) { // the block or the level table could not be allocated
        return kNoMemory;
    }
}

} // namespace ppm_plugin
