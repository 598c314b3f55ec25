#include "picture.h"

#include "bmp.h"
#include "vb_error.h"

#include <wincodec.h>

#include <algorithm>
#include <cstring>

namespace mirolt::platform {

Bitmap32::Bitmap32(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), dc_(CreateCompatibleDC(nullptr)) {
    if (width_ > kMaxSide || height_ > kMaxSide || int64_t{width_} * height_ > kMaxPixels)
        throw RuntimeError(kOutOfMemory);
    if (!dc_) throw RuntimeError(kOutOfMemory);
    if (width_ == 0 || height_ == 0) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width_;
    bi.bmiHeader.biHeight = -height_; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    bitmap_.reset(CreateDIBSection(dc_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !bits) throw RuntimeError(kOutOfMemory);
    bits_ = static_cast<uint32_t *>(bits);
    oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
}

Bitmap32::~Bitmap32() {
    if (oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
}

void Bitmap32::Fill(uint32_t bgrx) {
    std::fill_n(bits_, size_t(width_) * size_t(height_), bgrx);
}

void Bitmap32::CopyFrom(const Bitmap32 &src) {
    const int w = std::min(width_, src.width_);
    const int h = std::min(height_, src.height_);
    for (int y = 0; y < h; ++y)
        std::memcpy(bits_ + size_t(y) * width_, src.bits_ + size_t(y) * src.width_,
                    size_t(w) * sizeof(uint32_t));
}

namespace {

template <class T> struct ComPtr {
    T *p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    T **operator&() { return &p; }
    T *operator->() const { return p; }
};

IWICImagingFactory *Factory() {
    static IWICImagingFactory *factory = [] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IWICImagingFactory *f = nullptr;
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IWICImagingFactory, reinterpret_cast<void **>(&f));
        return f;
    }();
    return factory;
}

bool IsFile(const std::wstring &path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

Picture LoadPicture(const std::wstring &path) {
    if (path.empty()) return {};
    if (!IsFile(path)) throw RuntimeError(kFileNotFound);
    IWICImagingFactory *factory = Factory();
    if (!factory) throw RuntimeError(kInvalidPicture);
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)))
        throw RuntimeError(kInvalidPicture);
    GUID container{};
    if (FAILED(decoder->GetContainerFormat(&container)) ||
        (container != GUID_ContainerFormatBmp && container != GUID_ContainerFormatJpeg))
        throw RuntimeError(kInvalidPicture);
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) throw RuntimeError(kInvalidPicture);
    UINT w = 0, h = 0;
    if (FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0) throw RuntimeError(kInvalidPicture);
    // Checked before any pixel buffer exists: the header alone decides.
    if (w > UINT(Bitmap32::kMaxSide) || h > UINT(Bitmap32::kMaxSide) ||
        uint64_t{w} * h > uint64_t(Bitmap32::kMaxPixels))
        throw RuntimeError(kOutOfMemory);
    ComPtr<IWICBitmapSource> converted;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.p, &converted)))
        throw RuntimeError(kInvalidPicture);
    auto bitmap = std::make_shared<Bitmap32>(int(w), int(h));
    const UINT stride = w * 4;
    if (FAILED(converted->CopyPixels(nullptr, stride, stride * h,
                                     reinterpret_cast<BYTE *>(bitmap->Bits()))))
        throw RuntimeError(kInvalidPicture);
    // The fourth byte is undefined in 32bppBGR; keep pixels comparable.
    uint32_t *px = bitmap->Bits();
    for (size_t i = 0, n = size_t(w) * h; i < n; ++i)
        px[i] &= 0x00FFFFFF;
    return Picture(std::move(bitmap));
}

void SavePicture(const Picture &picture, const std::wstring &path) {
    const Bitmap32 *bmp = picture.Bitmap();
    const std::vector<uint8_t> data =
        bmp ? EncodeBmp24(bmp->Width(), bmp->Height(), bmp->Bits(), bmp->Width())
            : EncodeBmp24(0, 0, nullptr, 0);
    constexpr int kFileAccessError = 75;
    if (path.empty()) throw RuntimeError(kFileAccessError);
    // A read-only file is not ours to replace.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        throw RuntimeError(kFileAccessError);
    // Write beside the target, then swap it in.
    std::wstring folder = path;
    const size_t slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash + 1);
    wchar_t temp[MAX_PATH + 16];
    if (!GetTempFileNameW(folder.c_str(), L"mrt", 0, temp)) throw RuntimeError(kFileAccessError);
    bool written = false;
    {
        unique_hfile file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() != INVALID_HANDLE_VALUE) {
            DWORD done = 0;
            written = WriteFile(file.get(), data.data(), DWORD(data.size()), &done, nullptr) &&
                      done == data.size() && FlushFileBuffers(file.get());
        }
    }
    if (!written ||
        !MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp);
        throw RuntimeError(kFileAccessError);
    }
}

Picture PictureFromHBitmap(HBITMAP source) {
    if (!source) return {};
    BITMAP info{};
    if (!GetObjectW(source, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight == 0)
        return {};
    auto bitmap = std::make_shared<Bitmap32>(info.bmWidth, std::abs(info.bmHeight));
    unique_hdc src(CreateCompatibleDC(nullptr));
    HGDIOBJ old = SelectObject(src.get(), source);
    BitBlt(bitmap->Dc(), 0, 0, bitmap->Width(), bitmap->Height(), src.get(), 0, 0, SRCCOPY);
    SelectObject(src.get(), old);
    GdiFlush();
    return Picture(std::move(bitmap));
}

} // namespace mirolt::platform
