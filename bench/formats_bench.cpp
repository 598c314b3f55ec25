// Times opening a 4000 x 3000 picture through a Susie plug-in (the filter build, the search,
// the information call and the picture call, each loading and freeing the plug-in) against
// opening the same picture as a BMP through the program's own open. Prints both (best of
// three, in a shown main window) and their ratio. A line says NOT LOADED unless the view
// shows its file's picture, pixel for pixel, with no message box during its opens.
#include "color.h"
#include "data_ini.h"
#include "form1.h"
#include "handles.h"
#include "picture_files.h"
#include "plugin_discovery.h"
#include "prompts.h"
#include "runtime.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
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

// The colour (red, green, blue) of pixel (x, y) of the bench's picture. The PPM holds the
// BMP's colours inverted: a plug-in open that left the BMP in view cannot pass for one that
// worked.
struct Channels {
    uint8_t r, g, b;
};
Channels Colour(int x, int y, bool inverted) {
    const uint8_t mask = inverted ? 0xFF : 0;
    return {uint8_t(x * 31 ^ mask), uint8_t(y * 17 ^ mask), uint8_t((x + y) ^ mask)};
}

// Whether the view shows the w x h picture of Colour, every pixel of it.
bool Shows(const platform::PictureBox &view, int w, int h, bool inverted) {
    if (view.ScaleWidth() != w || view.ScaleHeight() != h) return false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Channels c = Colour(x, y, inverted);
            if (view.Point(x, y) != Rgb(c.r, c.g, c.b)) return false;
        }
    return true;
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
    // The shipped plug-in under its shipped name, and the shipped settings: without them the
    // main window's load would put up a box for every setting it reads.
    const std::wstring pluginFile = plugins + L"\\" + PPM_PLUGIN_NAME;
    if (!CopyFileW(test::WindowsPath(PPM_PLUGIN).c_str(), pluginFile.c_str(), FALSE) ||
        !CopyFileW(test::WindowsPath(DATA_INI).c_str(), (dir + L"\\Data.ini").c_str(), FALSE)) {
        std::printf("cannot copy the PPM plug-in or Data.ini\n");
        return 1;
    }
    formats::SetPluginFolder(plugins);
    textart::SetDataIniFolder(dir);

    // One picture as BMP, its inverse as PPM.
    auto bitmap = std::make_shared<platform::Bitmap32>(W, H);
    std::string ppm = "P6\n" + std::to_string(W) + " " + std::to_string(H) + "\n255\n";
    ppm.reserve(ppm.size() + size_t(W) * H * 3);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const Channels c = Colour(x, y, false), i = Colour(x, y, true);
            bitmap->Bits()[size_t(y) * W + x] = uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
            ppm += {char(i.r), char(i.g), char(i.b)};
        }
    const std::wstring ppmFile = dir + L"\\bench.ppm";
    const std::wstring bmpFile = dir + L"\\bench.bmp";
    if (!WriteFileBytes(ppmFile, ppm)) return 1;
    platform::SavePicture(platform::Picture(std::move(bitmap)), bmpFile);

    forms::Form1.Show();
    app::Form1 &f = forms::Form1.Get();
    prompts.file = bmpFile;
    prompts.messages = 0;
    const double bmp = BestSeconds([&] { f.FileOpen_Click(); });
    const bool bmpOk = prompts.messages == 0 && Shows(f.Picture6, W, H, false);
    prompts.file = ppmFile;
    prompts.messages = 0;
    const double plugin = BestSeconds([&] { f.SusieOpen_Click(); });
    const bool pluginOk = prompts.messages == 0 && Shows(f.Picture6, W, H, true);

    std::printf("open %dx%d: BMP through the program's own open %.1f ms%s\n", W, H, bmp * 1e3,
                bmpOk ? "" : " (NOT LOADED)");
    std::printf("open %dx%d: PPM through the plug-in            %.1f ms%s\n", W, H, plugin * 1e3,
                pluginOk ? "" : " (NOT LOADED)");
    std::printf("plug-in / BMP: %.2f (target at most 1.5)\n", plugin / bmp);

    DeleteFileW(ppmFile.c_str());
    DeleteFileW(bmpFile.c_str());
    DeleteFileW(pluginFile.c_str());
    DeleteFileW((dir + L"\\Data.ini").c_str());
    RemoveDirectoryW(plugins.c_str());
    RemoveDirectoryW(dir.c_str());
    platform::EndProgram();
}
