// SaveJPG.DLL as the program uses it: pictures saved and decoded again, every refusal with
// its code, and no failure that costs the user an existing file.
#include "savejpg.h"

#include "import_patch.h"
#include "long_folder.h"
#include "symlinks.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <wincodec.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Generator = std::function<uint32_t(int x, int y)>; // 0x00RRGGBB

uint32_t Smooth(int x, int y) {
    return uint32_t(40 + x * 2) << 16 | uint32_t(60 + y * 3) << 8 | uint32_t(200 - x - y);
}

BITMAPINFO DibInfo(int width, int height, WORD bitCount) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // negative: rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A DIB section in a memory device context; by default 32-bit and top-down, as the
// program's pictures are.
class Canvas {
  public:
    Canvas(int width, int height, const Generator &color, WORD bitCount = 32, bool topDown = true) {
        const BITMAPINFO info = DibInfo(width, topDown ? -height : height, bitCount);
        void *bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        std::vector<uint32_t> pixels(size_t(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[size_t(y) * width + x] = color(x, y);
        const BITMAPINFO source = DibInfo(width, -height, 32);
        SetDIBitsToDevice(dc_, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &source,
                          DIB_RGB_COLORS);
    }
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

struct Decoded {
    UINT width = 0, height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, rows from the top
};

// Decodes with the system's decoder, independently of the library.
Decoded Decode(const fs::path &file) {
    Decoded out;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory *factory = nullptr;
    IWICBitmapDecoder *decoder = nullptr;
    IWICBitmapFrameDecode *frame = nullptr;
    IWICBitmapSource *converted = nullptr;
    GUID container{};
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, reinterpret_cast<void **>(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(file.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetContainerFormat(&container)) &&
        container == GUID_ContainerFormatJpeg && SUCCEEDED(decoder->GetFrame(0, &frame)) &&
        SUCCEEDED(frame->GetSize(&out.width, &out.height)) &&
        SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame, &converted))) {
        out.pixels.resize(size_t(out.width) * out.height);
        if (FAILED(converted->CopyPixels(nullptr, out.width * 4, out.width * 4 * out.height,
                                         reinterpret_cast<BYTE *>(out.pixels.data()))))
            out = {};
        for (uint32_t &pixel : out.pixels)
            pixel &= 0x00FFFFFF;
    }
    for (IUnknown *object : std::initializer_list<IUnknown *>{converted, frame, decoder, factory})
        if (object) object->Release();
    CoUninitialize();
    return out;
}

// Mean and largest difference per channel between a decoded file and its source.
struct Error {
    double mean = 1e9;
    int largest = 256;
};
Error Compare(const Decoded &decoded, const Generator &color) {
    Error error{0, 0};
    double sum = 0;
    for (UINT y = 0; y < decoded.height; ++y)
        for (UINT x = 0; x < decoded.width; ++x)
            for (int shift : {0, 8, 16}) {
                const int a = int(decoded.pixels[size_t(y) * decoded.width + x] >> shift & 255);
                const int b = int(color(int(x), int(y)) >> shift & 255);
                sum += std::abs(a - b);
                error.largest = std::max(error.largest, std::abs(a - b));
            }
    error.mean = sum / (3.0 * decoded.width * decoded.height);
    return error;
}

std::string Ansi(const fs::path &path) {
    const std::wstring wide = path.wstring();
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), size, nullptr, nullptr);
    text.resize(size_t(size) - 1);
    return text;
}

std::string ReadAll(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

HMODULE Library() {
    static HMODULE module = LoadLibraryA(savejpg::kLibraryName);
    return module;
}

savejpg::DCSavetoJPEGFn Function() {
    return reinterpret_cast<savejpg::DCSavetoJPEGFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(Library(), savejpg::kFunctionName)));
}

// WriteFile of the library, failing while `failWrites` is set.
decltype(&WriteFile) realWriteFile;
bool failWrites = false;
BOOL WINAPI FailingWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                             LPOVERLAPPED overlapped) {
    if (!failWrites) return realWriteFile(file, data, size, written, overlapped);
    if (written) *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// Routes the library's WriteFile through FailingWriteFile, once.
bool PatchWriteFile() {
    if (!realWriteFile)
        realWriteFile = reinterpret_cast<decltype(&WriteFile)>(import_patch::PatchImport(
            Library(), "KERNEL32.dll", "WriteFile", reinterpret_cast<void *>(&FailingWriteFile)));
    return realWriteFile != nullptr;
}

class SaveJpg : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(save) << "SaveJPG.DLL or DCSavetoJPEG not found";
        static int counter = 0;
        folder_ =
            fs::temp_directory_path() / ("savejpg-test-" + std::to_string(GetCurrentProcessId()) +
                                         "-" + std::to_string(++counter));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { mirolt::test::RemoveTree(folder_.wstring()); }

    fs::path File(const std::wstring &name) const { return folder_ / name; }
    // The names in the test folder, so that a left-over temporary file shows.
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (const auto &entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().wstring());
        std::sort(names.begin(), names.end());
        return names;
    }
    int32_t Save(const Canvas &canvas, int width, int height, const fs::path &file,
                 uint32_t quality = 75) {
        return save(canvas.dc(), width, height, Ansi(file).c_str(), quality, 0);
    }

    const savejpg::DCSavetoJPEGFn save = Function();
    fs::path folder_;
};

TEST_F(SaveJpg, ErrorFallsAsQualityRisesAndQuality100IsNearlyLossless) {
    constexpr int kWidth = 64, kHeight = 48;
    const Canvas canvas(kWidth, kHeight, Smooth);
    std::vector<Error> errors;
    for (uint32_t quality : {1u, 75u, 100u}) {
        SCOPED_TRACE(quality);
        const fs::path file = File(L"q" + std::to_wstring(quality) + L".jpg");
        ASSERT_EQ(Save(canvas, kWidth, kHeight, file, quality), savejpg::kSaved);
        const Decoded decoded = Decode(file);
        ASSERT_EQ(decoded.width, UINT(kWidth));
        ASSERT_EQ(decoded.height, UINT(kHeight));
        errors.push_back(Compare(decoded, Smooth));
    }
    EXPECT_GT(errors[0].mean, errors[1].mean);
    EXPECT_GT(errors[1].mean, errors[2].mean);
    EXPECT_LT(errors[2].mean, 1.0);
    EXPECT_LE(errors[2].largest, 4);
}

TEST_F(SaveJpg, SizesFromOnePixelToTheWidestLineAndPartOfALargerBitmap) {
    const Generator red = [](int, int) { return 0xC02010u; };
    const struct {
        int bitmapWidth, bitmapHeight, width, height;
    } cases[] = {{1, 1, 1, 1}, {32767, 1, 32767, 1}, {40, 30, 17, 9}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const Canvas canvas(c.bitmapWidth, c.bitmapHeight, red);
        const fs::path file = File(L"size.jpg");
        ASSERT_EQ(Save(canvas, c.width, c.height, file, 100), savejpg::kSaved);
        const Decoded decoded = Decode(file);
        EXPECT_EQ(decoded.width, UINT(c.width));
        EXPECT_EQ(decoded.height, UINT(c.height));
        EXPECT_LE(Compare(decoded, red).largest, 4);
    }
}

TEST_F(SaveJpg, EveryKindOfBitmapArrivesUpright) {
    // Four flat quarters: a picture upside down or mirrored shows at once.
    const Generator quarters = [](int x, int y) {
        return (y < 16 ? 0xE02020u : 0x2020E0u) ^ (x < 24 ? 0u : 0x00C000u);
    };
    const struct {
        WORD bitCount;
        bool topDown;
    } kinds[] = {{32, true}, {32, false}, {24, false}, {24, true}, {16, false}};
    for (const auto &kind : kinds) {
        SCOPED_TRACE(std::to_string(kind.bitCount) + (kind.topDown ? " top-down" : " bottom-up"));
        const Canvas canvas(48, 32, quarters, kind.bitCount, kind.topDown);
        const fs::path file = File(L"kind.jpg");
        ASSERT_EQ(Save(canvas, 48, 32, file, 100), savejpg::kSaved);
        const Decoded decoded = Decode(file);
        ASSERT_EQ(decoded.width, 48u);
        const uint32_t corners[4][3] = {{0, 0, quarters(0, 0)},
                                        {47, 0, quarters(47, 0)},
                                        {0, 31, quarters(0, 31)},
                                        {47, 31, quarters(47, 31)}};
        for (const auto &corner : corners) {
            const uint32_t pixel = decoded.pixels[corner[1] * 48 + corner[0]];
            // 16-bit pixels keep five bits of a channel.
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(int(pixel >> shift & 255), int(corner[2] >> shift & 255), 12)
                    << corner[0] << "," << corner[1];
        }
    }
}

TEST_F(SaveJpg, BadArgumentsAreRefusedWithoutTouchingAnyFile) {
    const Canvas canvas(20, 10, Smooth);
    const fs::path file = File(L"kept.jpg");
    std::ofstream(file, std::ios::binary) << "old contents";
    const std::string path = Ansi(file);
    HDC empty = CreateCompatibleDC(nullptr); // only the 1 x 1 bitmap every new context has
    const Canvas wide(65536, 1, Smooth);
    const struct {
        const char *what;
        HDC dc;
        int width, height;
        const char *path;
        uint32_t quality;
    } cases[] = {
        {"no path", canvas.dc(), 20, 10, nullptr, 75},
        {"width 0", canvas.dc(), 0, 10, path.c_str(), 75},
        {"height 0", canvas.dc(), 20, 0, path.c_str(), 75},
        {"negative width", canvas.dc(), -20, 10, path.c_str(), 75},
        {"wider than the bitmap", canvas.dc(), 21, 10, path.c_str(), 75},
        {"taller than the bitmap", canvas.dc(), 20, 11, path.c_str(), 75},
        {"wider than a JPEG can be", wide.dc(), 65536, 1, path.c_str(), 75},
        {"quality 0", canvas.dc(), 20, 10, path.c_str(), 0},
        {"quality 101", canvas.dc(), 20, 10, path.c_str(), 101},
        {"quality 75 in the low byte only", canvas.dc(), 20, 10, path.c_str(), 0x100 + 75},
        {"no device context", nullptr, 1, 1, path.c_str(), 75},
        {"a bitmap, not a context", reinterpret_cast<HDC>(canvas.bitmap()), 1, 1, path.c_str(), 75},
        {"a context without a bitmap", empty, 1, 1, path.c_str(), 75},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(save(c.dc, c.width, c.height, c.path, c.quality, 0), savejpg::kBadArguments);
    }
    DeleteDC(empty);
    EXPECT_EQ(ReadAll(file), "old contents");
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"kept.jpg"});
}

TEST_F(SaveJpg, FailedSaveLeavesTheExistingFileAndNoTemporaryFile) {
    const Canvas canvas(16, 16, Smooth);
    const fs::path kept = File(L"kept.jpg");
    std::ofstream(kept, std::ios::binary) << "old contents";
    fs::create_directory(File(L"folder.jpg"));
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_READONLY);
    const struct {
        const char *what;
        fs::path file;
    } cases[] = {
        {"read-only existing file", kept},
        {"a folder in the target's place", File(L"folder.jpg")},
        {"folder that does not exist", File(L"missing") / L"a.jpg"},
        {"name a file cannot have", File(L"a?b.jpg")},
        {"no file name", fs::path(Ansi(folder_) + "\\")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Save(canvas, 16, 16, c.file), savejpg::kCannotCreate);
    }
    EXPECT_EQ(save(canvas.dc(), 16, 16, "", 75, 0), savejpg::kCannotCreate);

    // A write that fails half-way through: the old file stays whole.
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(PatchWriteFile());
    failWrites = true;
    EXPECT_EQ(Save(canvas, 16, 16, kept), savejpg::kCannotWrite);
    failWrites = false;

    EXPECT_EQ(ReadAll(kept), "old contents");
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"folder.jpg", L"kept.jpg"}));
    // Once nothing stands in the way, the same call replaces it.
    EXPECT_EQ(Save(canvas, 16, 16, kept), savejpg::kSaved);
    EXPECT_EQ(Decode(kept).width, 16u);
}

TEST_F(SaveJpg, PathsAsTheProgramBuildsThem) {
    const Canvas canvas(8, 8, Smooth);
    // A folder path that ends in a backslash, with another one added after it.
    const std::string doubled = Ansi(folder_) + "\\\\doubled.jpg";
    EXPECT_EQ(save(canvas.dc(), 8, 8, doubled.c_str(), 75, 0), savejpg::kSaved);
    EXPECT_EQ(Decode(File(L"doubled.jpg")).width, 8u);

    // 表 ends in the byte of a backslash in code page 932.
    const fs::path japanese = File(L"\u8868") / L"\u8868\u793a.jpg";
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, japanese.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (lossy) GTEST_SKIP() << "the system code page cannot spell the Japanese names";
    fs::create_directory(japanese.parent_path());
    EXPECT_EQ(Save(canvas, 8, 8, japanese), savejpg::kSaved);
    EXPECT_EQ(Decode(japanese).width, 8u);
    EXPECT_EQ(std::distance(fs::directory_iterator(japanese.parent_path()), {}), 1);
}

// The temporary file's name once overran a buffer of MAX_PATH characters from a folder of
// about 247 characters on.
TEST_F(SaveJpg, SavesIntoLongFoldersAndKeepsTheOldFileWhenAWriteFails) {
    const Canvas canvas(16, 16, Smooth);
    ASSERT_TRUE(PatchWriteFile());
    for (size_t length : {240, 250, 260, 300, 1000}) {
        SCOPED_TRACE(length);
        const fs::path folder =
            mirolt::test::MakeFolderOfLength((folder_ / std::to_wstring(length)).wstring(), length);
        ASSERT_EQ(folder.wstring().size(), length);
        const fs::path file = folder / L"a.jpg";
        std::ofstream(file, std::ios::binary) << "old contents";
        failWrites = true;
        EXPECT_EQ(Save(canvas, 16, 16, file), savejpg::kCannotWrite);
        failWrites = false;
        EXPECT_EQ(ReadAll(file), "old contents");
        EXPECT_EQ(Save(canvas, 16, 16, file), savejpg::kSaved);
        EXPECT_EQ(Decode(file).width, 16u);
        EXPECT_EQ(mirolt::test::EntriesIn(folder.wstring()), 1u) << "a file left behind";
    }
}

// A link, or a link to a link, is not replaced: the file it leads to (in another folder) is,
// and keeps its attributes. A link that leads to no file is refused and stays.
TEST_F(SaveJpg, SavesThroughLinksIntoTheFileTheyLeadTo) {
    const Canvas canvas(16, 16, Smooth);
    for (size_t length : {100, 300}) {
        SCOPED_TRACE(length);
        const fs::path folder =
            mirolt::test::MakeFolderOfLength((folder_ / std::to_wstring(length)).wstring(), length);
        const fs::path files = folder / L"files", file = files / L"a.jpg";
        fs::create_directory(files);
        std::ofstream(file, std::ios::binary) << "old contents";
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
        const mirolt::test::SymbolicLink link((folder / L"link.jpg").wstring(), L"files\\a.jpg"),
            chain((folder / L"chain.jpg").wstring(), L"link.jpg");
        ASSERT_TRUE(link.Made() && chain.Made());
        const mirolt::test::SymbolicLink *links[] = {&link, &chain};
        for (unsigned i = 0; i < 2; ++i) {
            EXPECT_EQ(Save(canvas, int(8 + 8 * i), 8, links[i]->Path()), savejpg::kSaved);
            EXPECT_EQ(Decode(file).width, 8 + 8 * i);
            EXPECT_TRUE(mirolt::test::SameFile(links[i]->Path(), file)) << "the link was replaced";
            EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
        }
        EXPECT_EQ(mirolt::test::EntriesIn(files), 1u) << "a file left behind";

        const mirolt::test::SymbolicLink nowhere((folder / L"nowhere.jpg").wstring(),
                                                 L"files\\none.jpg");
        ASSERT_TRUE(nowhere.Made());
        EXPECT_EQ(Save(canvas, 16, 16, nowhere.Path()), savejpg::kCannotCreate);
        std::ofstream(files / L"none.jpg", std::ios::binary) << "made later";
        EXPECT_EQ(ReadAll(nowhere.Path()), "made later") << "the link was replaced";
        EXPECT_EQ(mirolt::test::EntriesIn(folder.wstring()), 4u) << "a file left behind";
    }
}

} // namespace
