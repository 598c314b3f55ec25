#include "picture.h"

#include "surface_pool.h"

#include "bmp.h"
#include "picture_header.h"
#include "picture_limits.h"
#include "replace_file.h"
#include "runtime.h"
#include "vb_error.h"

#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>
#include <vector>

namespace mirolt::platform {

Bitmap32::Bitmap32(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), dc_(CreateCompatibleDC(nullptr)) {
    if (!kPictureLimit.SurfaceFits(width_, height_)) throw RuntimeError(kOutOfMemory);
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
    selected_.emplace(dc_.get(), bitmap_.get());
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

// The picture file as its header reader and the decoder read it. Nobody may write to the
// file while it is open, so the decoder reads the very bytes whose header was checked.
// Reading yields to the event loop, so the window keeps answering through a long decode;
// an error raised by an event during such a yield cannot unwind through the decoder, so
// the read fails instead and the error is raised again once the decoder has returned.
class FileStream final : public IStream {
  public:
    // Raises 53 when there is no such file, 481 when it cannot be read.
    static FileStream *Open(const std::wstring &path) {
        unique_hfile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            const DWORD e = GetLastError();
            throw RuntimeError(e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND
                                   ? kFileNotFound
                                   : kInvalidPicture);
        }
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file.get(), &size)) throw RuntimeError(kInvalidPicture);
        return new FileStream(std::move(file), uint64_t(size.QuadPart));
    }

    uint64_t Size() const { return size_; }
    // Reads at an offset without yielding (the header reader's few small reads).
    size_t ReadAt(uint64_t offset, uint8_t *to, size_t count) const {
        OVERLAPPED at{};
        at.Offset = DWORD(offset);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD done = 0;
        if (!ReadFile(file_.get(), to, DWORD(std::min<size_t>(count, kChunk)), &done, &at))
            return 0;
        return done;
    }
    void RaiseKeptError() {
        if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
            *out = static_cast<IStream *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = ULONG(InterlockedDecrement(&refs_));
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Read(void *to, ULONG count, ULONG *read) override {
        ULONG total = 0;
        while (total < count && !error_) {
            const size_t n = ReadAt(position_, static_cast<uint8_t *>(to) + total, count - total);
            if (n == 0) break;
            position_ += n;
            total += ULONG(n);
            try {
                DoEventsAfterStep();
            } catch (...) {
                error_ = std::current_exception();
            }
        }
        if (read) *read = total;
        return error_ ? STG_E_READFAULT : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void *, ULONG, ULONG *) override {
        return STG_E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER *position) override {
        int64_t from = 0;
        switch (origin) {
        case STREAM_SEEK_SET:
            break;
        case STREAM_SEEK_CUR:
            from = int64_t(position_);
            break;
        case STREAM_SEEK_END:
            from = int64_t(size_);
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        if (move.QuadPart < -from) return STG_E_INVALIDFUNCTION;
        position_ = uint64_t(from + move.QuadPart);
        if (position) position->QuadPart = position_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream *, ULARGE_INTEGER, ULARGE_INTEGER *,
                                     ULARGE_INTEGER *) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG *stat, DWORD) override {
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = size_;
        stat->grfMode = STGM_READ | STGM_SHARE_DENY_WRITE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream **out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }

  private:
    static constexpr size_t kChunk = 1 << 20; // a yield after each
    FileStream(unique_hfile file, uint64_t size) : file_(std::move(file)), size_(size) {}
    ~FileStream() = default;

    unique_hfile file_;
    uint64_t size_;
    uint64_t position_ = 0;
    LONG refs_ = 1;
    std::exception_ptr error_;
};

} // namespace

Picture LoadPicture(const std::wstring &path) {
    if (path.empty()) return {};
    if (!IsFile(path)) throw RuntimeError(kFileNotFound);
    ScopedComPtr<FileStream> stream(FileStream::Open(path));
    const auto header =
        ReadPictureHeader([&stream](uint64_t offset, uint8_t *to,
                                    size_t count) { return stream->ReadAt(offset, to, count); },
                          stream->Size());
    if (!header) throw RuntimeError(kInvalidPicture);
    if (!kPictureLimit.Fits(header->width, header->height)) throw RuntimeError(kOutOfMemory);
    // A fresh bitmap's memory comes in on the pool's threads while the decoder reads the file,
    // and the rest strip by strip below.
    auto bitmap = surfaces::Take(header->width, header->height);

    // Only now does a decoder see the file, and only the one of the format checked.
    IWICImagingFactory *factory = Factory();
    if (!factory) throw RuntimeError(kInvalidPicture);
    ScopedComPtr<IWICBitmapDecoder> decoder;
    const GUID &container =
        header->format == PictureFormat::Bmp ? GUID_ContainerFormatBmp : GUID_ContainerFormatJpeg;
    if (FAILED(factory->CreateDecoder(container, nullptr, decoder.Put())))
        throw RuntimeError(kInvalidPicture);
    const HRESULT opened = decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand);
    stream->RaiseKeptError();
    if (FAILED(opened)) throw RuntimeError(kInvalidPicture);
    ScopedComPtr<IWICBitmapFrameDecode> frame;
    const HRESULT got = decoder->GetFrame(0, frame.Put());
    stream->RaiseKeptError();
    if (FAILED(got)) throw RuntimeError(kInvalidPicture);
    UINT w = 0, h = 0;
    // A decoder that sees another size than the header's has read something else.
    if (FAILED(frame->GetSize(&w, &h)) || w != UINT(header->width) || h != UINT(header->height))
        throw RuntimeError(kInvalidPicture);
    ScopedComPtr<IWICBitmapSource> converted;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.Get(), converted.Put())))
        throw RuntimeError(kInvalidPicture);

    // Strips of rows with a yield after each: the window keeps answering.
    const UINT stride = w * 4;
    const UINT rows = std::max(1u, UINT(1 << 20) / stride);
    for (UINT y = 0; y < h; y += rows) {
        const UINT n = std::min(rows, h - y);
        surfaces::Ready(*bitmap, int(y + n));
        const WICRect strip{0, INT(y), INT(w), INT(n)};
        uint32_t *px = bitmap->Bits() + size_t(y) * w;
        const HRESULT copied =
            converted->CopyPixels(&strip, stride, stride * n, reinterpret_cast<BYTE *>(px));
        stream->RaiseKeptError();
        if (FAILED(copied)) throw RuntimeError(kInvalidPicture);
        // The fourth byte is undefined in 32bppBGR; keep pixels comparable.
        for (size_t i = 0, count = size_t(w) * n; i < count; ++i)
            px[i] &= 0x00FFFFFF;
        DoEventsAfterStep();
    }
    return Picture(std::move(bitmap));
}

void SavePicture(const Picture &picture, const std::wstring &path) {
    const Bitmap32 *bmp = picture.Bitmap();
    const std::vector<uint8_t> data =
        bmp ? EncodeBmp24(bmp->Width(), bmp->Height(), bmp->Bits(), bmp->Width())
            : EncodeBmp24(0, 0, nullptr, 0);
    constexpr int kFileAccessError = 75;
    if (ReplaceWholeFile(path, data.data(), data.size()) != 0) throw RuntimeError(kFileAccessError);
}

Picture PictureFromHBitmap(HBITMAP source) {
    if (!source) return {};
    BITMAP info{};
    if (!GetObjectW(source, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight == 0)
        return {};
    if (!kPictureLimit.Fits(info.bmWidth, std::abs(int64_t{info.bmHeight})))
        throw RuntimeError(kOutOfMemory);
    auto bitmap = surfaces::Take(info.bmWidth, std::abs(info.bmHeight));
    surfaces::Ready(*bitmap, bitmap->Height()); // its memory in on several cores at once
    unique_hdc src(CreateCompatibleDC(nullptr));
    {
        const ScopedSelectObject selected(src.get(), source);
        BitBlt(bitmap->Dc(), 0, 0, bitmap->Width(), bitmap->Height(), src.get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    return Picture(std::move(bitmap));
}

} // namespace mirolt::platform
