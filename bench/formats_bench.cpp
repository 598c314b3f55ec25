// Times opening a 4000 x 3000 picture through a Susie plug-in (the filter build, the search,
// the information call and the picture call, each loading and freeing the plug-in) against
// opening the same picture as a BMP through the program's own open. Prints both (best of
// three, in a shown main window) and their ratio.
#include "form1.h"
#include "handles.h"
#include "picture_files.h"
#include "plugin_discovery.h"
#include "prompts.h"
#include "runtime.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

using namespace mirolt;

namespace {

// Chooses the file it is given in every open dialog; any message box is a failure.
class ChoosingPrompts final : public platform::Prompts {
  public:
    std::wstring file;
    int messages = 0;
    int MsgBox(const std::wstring &, int, const std::wstring &) override {
        ++messages;
        return platform::vbOK;
    }
    std::optional<platform::FileDialogResult>
    FileDialog(const platform::FileDialogRequest &) override {
        return platform::FileDialogResult{file, 1};
    }
    platform::MenuItem *PopupMenu(platform::MenuItem &) override { return nullptr; }
};

double BestSeconds(const std::function<void()> &run) {
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QueryPerformanceCounter(&t0);
        run();
        QueryPerformanceCounter(&t1);
        best = std::min(best, double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart));
    }
    return best;
}

bool WriteFileBytes(const std::wstring &path, const std::string &bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(h);
    return ok;
}

} // namespace

int main() {
    GdiSetBatchLimit(1);
    const platform::ScopedOleInitialize ole;
    ChoosingPrompts prompts;
    platform::SetPrompts(&prompts);

    constexpr int W = 4000, H = 3000;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir =
        std::wstring(temp) + L"mirolt formats bench " + std::to_wstring(GetCurrentProcessId());
    const std::wstring plugins = dir + L"\\plugin";
    CreateDirectoryW(dir.c_str(), nullptr);
    CreateDirectoryW(plugins.c_str(), nullptr);
    if (!CopyFileW(test::WindowsPath(PPM_PLUGIN).c_str(), (plugins + L"\\ppm.spi").c_str(),
                   FALSE)) {
        std::printf("cannot copy the PPM plug-in\n");
        return 1;
    }
    formats::SetPluginFolder(plugins);

    // One picture, as PPM and as BMP.
    auto bitmap = std::make_shared<platform::Bitmap32>(W, H);
    std::string ppm = "P6\n" + std::to_string(W) + " " + std::to_string(H) + "\n255\n";
    ppm.reserve(ppm.size() + size_t(W) * H * 3);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint8_t r = uint8_t(x * 31), g = uint8_t(y * 17), b = uint8_t(x + y);
            bitmap->Bits()[size_t(y) * W + x] = uint32_t(r) << 16 | uint32_t(g) << 8 | b;
            ppm += {char(r), char(g), char(b)};
        }
    const std::wstring ppmFile = dir + L"\\bench.ppm";
    const std::wstring bmpFile = dir + L"\\bench.bmp";
    if (!WriteFileBytes(ppmFile, ppm)) return 1;
    platform::SavePicture(platform::Picture(std::move(bitmap)), bmpFile);

    forms::Form1.Show();
    app::Form1 &f = forms::Form1.Get();
    prompts.file = bmpFile;
    const double bmp = BestSeconds([&] { f.FileOpen_Click(); });
    const bool bmpOk = f.Picture6.ScaleWidth() == W && f.Picture6.ScaleHeight() == H;
    prompts.file = ppmFile;
    const double plugin = BestSeconds([&] { f.SusieOpen_Click(); });
    const bool pluginOk = f.Picture6.ScaleWidth() == W && f.Picture6.ScaleHeight() == H &&
                          f.Picture6.Point(W - 1, H - 1) == f.Picture1.Point(W - 1, H - 1);

    std::printf("open %dx%d: BMP through the program's own open %.1f ms%s\n", W, H, bmp * 1e3,
                bmpOk ? "" : " (NOT LOADED)");
    std::printf("open %dx%d: PPM through the plug-in            %.1f ms%s\n", W, H, plugin * 1e3,
                pluginOk && prompts.messages == 0 ? "" : " (NOT LOADED)");
    std::printf("plug-in / BMP: %.2f (target at most 1.5)\n", plugin / bmp);

    DeleteFileW(ppmFile.c_str());
    DeleteFileW(bmpFile.c_str());
    DeleteFileW((plugins + L"\\ppm.spi").c_str());
    RemoveDirectoryW(plugins.c_str());
    RemoveDirectoryW(dir.c_str());
    platform::EndProgram();
}
