// Starts the real Mirolt.exe with a 10000 x 10000 BMP, then the same picture as JPEG, on
// its command line, in a shown window, and prints for each the time until the picture is
// on screen, the longest time the main window took to answer meanwhile, and the peak
// working set against the copies of the picture the program keeps. An idle start gives
// the program's own share. Size as the first argument (default 10000).
#include "picture_files.h"
#include "picture_limits.h"
#include "program_under_test.h"
#include "tips_off.h"

#include "color.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace mirolt;

namespace {

double Seconds() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(f.QuadPart);
}

// Tiles of 100 pixels, red and blue.
int32_t Tile(int x, int y) {
    return ((x / 100 + y / 100) & 1) ? Rgb(0, 0, 255) : Rgb(255, 0, 0);
}

bool Near(COLORREF c, int32_t want) {
    return std::abs(int(GetRValue(c)) - RedOf(want)) < 40 &&
           std::abs(int(GetGValue(c)) - GreenOf(want)) < 40 &&
           std::abs(int(GetBValue(c)) - BlueOf(want)) < 40;
}

struct Run {
    double shownSeconds = -1;
    double longestAnswerMs = 0;
    double peakMb = 0;
};

// `picture` empty: an idle start, measured once its window is up.
Run Measure(const std::wstring &picture) {
    Run run;
    const double start = Seconds();
    test::ProgramUnderTest program(test::WindowsPath(MIROLT_EXE), picture);
    if (!program.Started()) return run;
    HWND main = nullptr;
    while (Seconds() - start < 180 && program.Running()) {
        if (!main) main = test::TopWindow(program.Id(), nullptr, L"Mirolt");
        if (main) {
            // Whether the window answers while the picture loads.
            const double asked = Seconds();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            run.longestAnswerMs = std::max(run.longestAnswerMs, (Seconds() - asked) * 1000);
            HWND pane = FindWindowExW(main, nullptr, nullptr, L"Picture5");
            HWND view = pane ? FindWindowExW(pane, nullptr, nullptr, L"Picture6") : nullptr;
            if (picture.empty() || (view && IsWindowVisible(view) &&
                                    Near(test::ScreenPixel(view, 50, 50), Tile(50, 50)) &&
                                    Near(test::ScreenPixel(view, 150, 50), Tile(150, 50)) &&
                                    Near(test::ScreenPixel(view, 150, 150), Tile(150, 150)))) {
                run.shownSeconds = Seconds() - start;
                break;
            }
        }
        Sleep(20);
    }
    Sleep(1000); // whatever follows the first paint
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    if (GetProcessMemoryInfo(program.Process(), &pmc, sizeof(pmc)))
        run.peakMb = double(pmc.PeakWorkingSetSize) / (1 << 20);
    if (main) program.Close(main);
    return run;
}

// Reads a file through once, so that the disk is out of the figures.
void ReadThrough(const std::wstring &path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    static char buffer[1 << 20];
    DWORD n = 0;
    while (f != INVALID_HANDLE_VALUE && ReadFile(f, buffer, sizeof(buffer), &n, nullptr) && n)
        ;
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

// Seconds to write into fresh memory the size of one copy of the picture: on these
// machines most of a load is such first touches, so this is the run's own yardstick.
double FreshCopySeconds(size_t bytes) {
    const double start = Seconds();
    auto *p = static_cast<volatile char *>(
        VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!p) return 0;
    for (size_t i = 0; i < bytes; i += 4096)
        p[i] = 1;
    const double seconds = Seconds() - start;
    VirtualFree(const_cast<char *>(p), 0, MEM_RELEASE);
    return seconds;
}

} // namespace

int main(int argc, char **argv) {
    const int side = argc > 1 ? std::atoi(argv[1]) : 10000;
    test::TempFolder dir;
    const std::wstring bmp = dir.File(L"big.bmp"), jpg = dir.File(L"big.jpg");
    std::printf("writing %d x %d BMP and JPEG...\n", side, side);
    test::WriteBmp(bmp, side, side, Tile);
    test::WriteJpeg(jpg, side, side, Tile);

    ReadThrough(bmp);
    ReadThrough(jpg);
    const mirolt::bench::TipsOff tipsOff;

    const Run idle = Measure(L"");
    const double fresh = FreshCopySeconds(size_t(side) * size_t(side) * 4);
    std::printf("one copy of the picture into fresh memory, one thread: %.2f s\n", fresh);
    // The loaded picture, and the source, result and result view sized to the source view
    // (the picture and its border).
    const double picture = double(side) * side * 4 / (1 << 20);
    const double framed = double(side + 4) * (side + 4) * 4 / (1 << 20);
    const double kept = picture + 3 * framed;
    std::printf("idle program: peak working set %.0f MB; copies kept of the picture %.0f MB "
                "(%lld bytes a pixel)\n",
                idle.peakMb, kept, static_cast<long long>(kKeptBytesPerPixel));
    for (const auto &[name, path] : {std::pair{"BMP", bmp}, std::pair{"JPEG", jpg}}) {
        const Run r = Measure(path);
        if (r.shownSeconds < 0) {
            std::printf("%-4s never shown\n", name);
            continue;
        }
        const double over = r.peakMb - idle.peakMb;
        std::printf("%-4s on screen after %.1f s (target 10) = %.1f fresh copies; longest wait "
                    "for an answer %.0f ms; peak working set %.0f MB, over idle %.0f MB = %.2f x "
                    "the copies kept (target 1.20)\n",
                    name, r.shownSeconds, fresh > 0 ? r.shownSeconds / fresh : 0, r.longestAnswerMs,
                    r.peakMb, over, over / kept);
    }
    return 0;
}
