// Times the six per-pixel operations of the main window as the user runs them: the program
// starts as Mirolt.exe does with a 4000 x 3000 BMP on its command line, the main window is
// shown with its views, and each operation is started by a click on its menu item or its
// dialog's "実行" button, with every pump painting what changed. For each operation it
// prints million pixels a second (best of three clicks, from the click until "完了"), the
// ratio to a plain memory loop over the same pictures measured in the same run, the longest
// gap between real pumps of the queue counted from the click (time inside pumps included,
// and the time after the last one until the click's handler returns, the result published),
// and the process's peak working set. Then all of it once more with a busy thread on every
// processor beside it.
#include "bench_support.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "handles.h"
#include "message_loop.h"
#include "module1.h"
#include "prompts.h"
#include "runtime.h"
#include "tips_off.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace mirolt;

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

// Answers "完了" at once, so that a run ends without a person, and notes when it came. A real
// message box pumps the queue while it is up; so does this one, once.
class AutoPrompts final : public platform::Prompts {
  public:
    int MsgBox(const std::wstring &, int, const std::wstring &) override {
        doneAt = Now();
        platform::PumpMessages();
        return platform::vbOK;
    }
    double doneAt = 0;
    std::optional<platform::FileDialogResult>
    FileDialog(const platform::FileDialogRequest &) override {
        return std::nullopt;
    }
    platform::MenuItem *PopupMenu(platform::MenuItem &) override { return nullptr; }
};

// A 24-bit BMP written a row at a time, so that making it adds nothing to the peak.
bool WritePictureFile(const std::wstring &path) {
    const uint32_t rowBytes = (kWidth * 3 + 3) & ~3u, size = 54 + rowBytes * kHeight;
    unsigned char header[54] = {'B', 'M'};
    auto put = [&](int at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header[at + i] = (unsigned char)(v >> (8 * i));
    };
    put(2, size, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, kWidth, 4);
    put(22, kHeight, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    bool ok = WriteFile(file, header, sizeof(header), &done, nullptr);
    std::vector<unsigned char> row(rowBytes);
    for (int y = kHeight - 1; ok && y >= 0; --y) { // bottom-up
        for (int x = 0; x < kWidth; ++x) {
            const bool black = (x / 40 + y / 40) % 7 == 0; // the mask has something to find
            row[size_t(x) * 3 + 0] = black ? 0 : (unsigned char)(x * 7 + y);
            row[size_t(x) * 3 + 1] = black ? 0 : (unsigned char)(y * 5 - x);
            row[size_t(x) * 3 + 2] = black ? 0 : (unsigned char)(x ^ y);
        }
        ok = WriteFile(file, row.data(), rowBytes, &done, nullptr);
    }
    CloseHandle(file);
    return ok;
}

// Lets the windows settle, as a person takes a moment between clicks: everything pending,
// paints included, is handled.
void Settle(double ms = 500) {
    const double until = Now() + ms;
    while (Now() < until) {
        platform::PumpMessages();
        Sleep(5);
    }
}

struct Click {
    HWND window;
    WPARAM wp;
    LPARAM lp;
};

struct Timing {
    double mpx = 0;   // best of the clicks
    double gapMs = 0; // longest gap over all of them
};

// Posts the click, then runs the message loop until its handler has returned. The operation
// lasts from the click until it shows "完了"; the gaps are counted until the handler returns.
Timing Measure(AutoPrompts &prompts, double pixels, const std::function<Click()> &click) {
    Timing t;
    for (int i = 0; i < 3; ++i) {
        Settle();
        const Click c = click();
        PostMessageW(c.window, WM_COMMAND, c.wp, c.lp);
        const double start = Now();
        platform::ResetYieldStats();
        MSG msg;
        while (platform::WaitAndDispatch(msg))
            if (msg.hwnd == c.window && msg.message == WM_COMMAND && msg.wParam == c.wp) break;
        const double ms = prompts.doneAt - start;
        t.mpx = std::max(t.mpx, pixels / ms / 1000.0);
        t.gapMs = std::max(t.gapMs, platform::GetYieldStats().maxGapMs);
    }
    return t;
}

// The plain memory loop: every pixel of the source read, changed and written to the result.
double MemoryLoop(app::Form1 &f) {
    double best = 0;
    for (int i = 0; i < 3; ++i) {
        const int w = f.Picture1.HeldWidth(), h = f.Picture1.HeldHeight();
        uint32_t *dst = f.Picture2.ColumnsForDrawing(0, w, h);
        const uint32_t *src = f.Picture1.Pixels();
        const size_t from = f.Picture1.PixelStride(), to = f.Picture2.PixelStride();
        const double start = Now();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                dst[y * to + x] = src[y * from + x] ^ 0xFFFFFF;
        best = std::max(best, double(w) * h / (Now() - start) / 1000.0);
    }
    return best;
}

// A busy thread on every processor, for as long as it lives.
class CpuHog {
  public:
    CpuHog() {
        for (unsigned i = 0, n = std::max(1u, std::thread::hardware_concurrency()); i < n; ++i)
            threads_.emplace_back([this] {
                volatile uint64_t spin = 0;
                while (!stop_.load(std::memory_order_relaxed))
                    spin = spin + 1;
            });
    }
    ~CpuHog() {
        stop_ = true;
        for (std::thread &t : threads_)
            t.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

} // namespace

int main() {
    GdiSetBatchLimit(1);
    const platform::ScopedOleInitialize ole;
    AutoPrompts prompts;
    platform::SetPrompts(&prompts);

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"mirolt_bench.bmp";
    if (!WritePictureFile(path)) {
        std::printf("cannot write %ls\n", path.c_str());
        return 1;
    }
    platform::SetCommandLineForTesting(path);
    {
        const bench::TipsOff tipsOff;
        app::Main();
    }
    DeleteFileW(path.c_str());
    app::Form1 &f = forms::Form1.Get();
    if (f.Picture6.ScaleWidth() != kWidth || f.Picture6.ScaleHeight() != kHeight) {
        std::printf("the picture did not load\n");
        return 1;
    }
    Settle(1000); // a look at the picture before the first click
    const double pixels = double(f.Picture1.Width()) * f.Picture1.Height();
    std::printf("%dx%d picture, %.0fx%.0f working pictures, main window shown\n", kWidth, kHeight,
                f.Picture1.Width(), f.Picture1.Height());

    auto menu = [&f](platform::MenuItem &item) {
        return [&f, &item] { return Click{f.Hwnd(), MAKEWPARAM(item.Id(), 0), 0}; };
    };
    auto run = [](platform::Form &dialog, platform::CommandButton &button) {
        return Click{dialog.Hwnd(), MAKEWPARAM(0, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button.Hwnd())};
    };
    const std::pair<const char *, std::function<Click()>> operations[] = {
        {"MakeGrayscale", menu(f.Mono)},
        {"InvertColors", menu(f.Hanten)},
        {"MakeMaskImage", menu(f.MakeMask)},
        {"MakeSepia", menu(f.Sepia)},
        {"RunColorEdit",
         [&] {
             app::Form2 &d = forms::Form2.Get();
             d.HScroll1.SetValue(40);
             d.HScroll2.SetValue(-20);
             d.HScroll3.SetValue(7);
             return run(d, d.Command1);
         }},
        {"RunLightEdit",
         [&] {
             app::Form3 &d = forms::Form3.Get();
             d.HScroll1.SetValue(30);
             return run(d, d.Command1);
         }},
    };

    for (const char *condition : {"", " with CPU hog"}) {
        std::unique_ptr<CpuHog> hog;
        if (*condition) hog = std::make_unique<CpuHog>();
        const double memory = MemoryLoop(f);
        std::printf("memory loop%s %.1f Mpx/s\n", condition, memory);
        for (const auto &[name, click] : operations) {
            const Timing t = Measure(prompts, pixels, click);
            std::printf("%s%s %.1f Mpx/s, ratio %.2f to the memory loop, longest gap %.1f ms, "
                        "peak %.0f MB\n",
                        name, condition, t.mpx, t.mpx / memory, t.gapMs, bench::PeakWorkingSetMb());
            std::fflush(stdout);
        }
    }
    platform::SetPrompts(nullptr);
    return 0;
}
