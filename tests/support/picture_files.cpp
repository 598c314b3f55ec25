#include "picture_files.h"

#include "bmp.h"
#include "color.h"

#include <windows.h>
#include <shellapi.h>
#include <wincodec.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace mirolt::test {

int32_t PatternColor(int x, int y) {
    return Rgb((x * 7) & 255, (y * 5) & 255, (x + y) & 255);
}

namespace {
std::vector<uint32_t> Pixels(int w, int h, const std::function<int32_t(int, int)> &color) {
    std::vector<uint32_t> px(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[size_t(y) * w + x] = BgrxFromColor(color(x, y));
    return px;
}
} // namespace

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

void WriteBmp(const std::wstring &path, int width, int height,
              const std::function<int32_t(int, int)> &color) {
    const auto px = Pixels(width, height, color);
    const auto bytes = EncodeBmp24(width, height, px.data(), width);
    WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

void WriteJpeg(const std::wstring &path, int width, int height,
               const std::function<int32_t(int, int)> &color) {
    auto px = Pixels(width, height, color);
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
    if (ok) {
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        ok = SUCCEEDED(frame->SetPixelFormat(&format));
        std::vector<uint8_t> rows(size_t(width) * 3 * height);
        for (size_t i = 0; i < px.size(); ++i) {
            rows[i * 3] = uint8_t(px[i]);
            rows[i * 3 + 1] = uint8_t(px[i] >> 8);
            rows[i * 3 + 2] = uint8_t(px[i] >> 16);
        }
        ok = ok && format == GUID_WICPixelFormat24bppBGR &&
             SUCCEEDED(frame->WritePixels(UINT(height), UINT(width) * 3, UINT(rows.size()),
                                          rows.data())) &&
             SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
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
    std::wstring from = path_;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

} // namespace mirolt::test
