#include "picture_files.h"

#include "bmp.h"
#include "color.h"
#include "long_folder.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace mirolt::test {

int32_t PatternColor(int x, int y) {
    return Rgb((x * 7) & 255, (y * 5) & 255, (x + y) & 255);
}

void WriteBytes(const std::wstring &path, const std::string &bytes) {
    FILE *f = _wfopen(path.c_str(), L"wb");
    if (!f) throw std::runtime_error("cannot write test file");
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    fclose(f);
    if (!ok) throw std::runtime_error("cannot write test file");
}

std::string ReadBytes(const std::wstring &path) {
    std::string out;
    FILE *f = _wfopen(path.c_str(), L"rb");
    if (!f) return out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        out.append(buf, n);
    fclose(f);
    return out;
}

// Written a row at a time, so that a picture of any size costs the test little memory.
void WriteBmp(const std::wstring &path, int width, int height,
              const std::function<int32_t(int, int)> &color) {
    const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
    const std::vector<uint8_t> header = EncodeBmp24(0, 0, nullptr, 0);
    std::string head(header.begin(), header.end());
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            head[at + size_t(i)] = char(v >> (8 * i));
    };
    put32(2, uint32_t(head.size() + uint64_t{stride} * uint32_t(height)));
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    put32(34, stride * uint32_t(height));
    FILE *f = _wfopen(path.c_str(), L"wb");
    if (!f) throw std::runtime_error("cannot write test file");
    bool ok = fwrite(head.data(), 1, head.size(), f) == head.size();
    std::vector<uint8_t> row(stride, 0);
    for (int y = height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const int32_t c = color(x, y);
            row[size_t(x) * 3] = uint8_t(BlueOf(c));
            row[size_t(x) * 3 + 1] = uint8_t(GreenOf(c));
            row[size_t(x) * 3 + 2] = uint8_t(RedOf(c));
        }
        ok = fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    ok = fclose(f) == 0 && ok;
    if (!ok) throw std::runtime_error("cannot write test file");
}

void WriteJpeg(const std::wstring &path, int width, int height,
               const std::function<int32_t(int, int)> &color) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory *factory = nullptr;
    IWICStream *stream = nullptr;
    IWICBitmapEncoder *encoder = nullptr;
    IWICBitmapFrameEncode *frame = nullptr;
    bool ok =
        SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, reinterpret_cast<void **>(&factory))) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
        SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(UINT(width), UINT(height)));
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    ok = ok && SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat24bppBGR;
    // Strips of rows, so that a picture of any size costs the test little memory.
    const int rowsPerStrip = 64;
    std::vector<uint8_t> rows(size_t(width) * 3 * rowsPerStrip);
    for (int y0 = 0; ok && y0 < height; y0 += rowsPerStrip) {
        const int n = std::min(rowsPerStrip, height - y0);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < width; ++x) {
                const int32_t c = color(x, y0 + y);
                uint8_t *p = rows.data() + (size_t(y) * width + x) * 3;
                p[0] = uint8_t(BlueOf(c));
                p[1] = uint8_t(GreenOf(c));
                p[2] = uint8_t(RedOf(c));
            }
        ok = SUCCEEDED(
            frame->WritePixels(UINT(n), UINT(width) * 3, UINT(n) * UINT(width) * 3, rows.data()));
    }
    ok = ok && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    if (!ok) throw std::runtime_error("cannot write test JPEG");
}

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    path_ = std::wstring(base) + L"mirolt test " + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

} // namespace mirolt::test
