// Times the six per-pixel operations of the main window on a 4000 x 3000 picture, through
// the real pixel frame (Point, rule, PSet and a yield per pixel). For each it prints million
// pixels per second (best of three runs), the ratio against the bare Point + PSet + yield
// loop over the same pictures measured in the same run, and the longest gap between two
// real message pumps during its runs.
#include "form1.h"
#include "prompts.h"
#include "runtime.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace mirolt;

namespace {

// Answers "完了" at once, so that a run ends without a person.
class AutoPrompts final : public platform::Prompts {
  public:
    int MsgBox(const std::wstring &, int, const std::wstring &) override { return platform::vbOK; }
    std::optional<platform::FileDialogResult>
    FileDialog(const platform::FileDialogRequest &) override {
        return std::nullopt;
    }
    platform::MenuItem *PopupMenu(platform::MenuItem &) override { return nullptr; }
};

struct Timing {
    double mpx = 0;   // best of the runs
    double gapMs = 0; // longest gap between pumps over all runs
};

Timing Measure(double pixels, const std::function<void()> &run) {
    Timing t;
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    for (int i = 0; i < 3; ++i) {
        platform::ResetYieldStats();
        QueryPerformanceCounter(&t0);
        run();
        QueryPerformanceCounter(&t1);
        const double seconds = double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart);
        t.mpx = std::max(t.mpx, pixels / seconds / 1e6);
        t.gapMs = std::max(t.gapMs, platform::GetYieldStats().maxGapMs);
    }
    return t;
}

} // namespace

int main() {
    GdiSetBatchLimit(1);
    AutoPrompts prompts;
    platform::SetPrompts(&prompts);

    constexpr int W = 4000, H = 3000;
    constexpr double pixels = double(W) * H;
    app::Form1 &f = forms::Form1.Get();
    auto bitmap = std::make_shared<platform::Bitmap32>(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            bitmap->Bits()[size_t(y) * W + x] = uint32_t((x * 31 + y * 17) & 0xFFFFFF);
    f.Picture1.SetPicture(platform::Picture(std::move(bitmap)));
    f.Picture2.SetWidth(W);
    f.Picture2.SetHeight(H);
    if (f.Picture1.Width() != W || f.Picture2.ScaleWidth() != W || f.Picture2.ScaleHeight() != H) {
        std::printf("working pictures not %dx%d\n", W, H);
        return 1;
    }

    // The structure's own ceiling: one Point, one PSet and one yield per pixel, column order.
    const Timing bare = Measure(pixels, [&] {
        for (int x = 0; x < W; ++x)
            for (int y = 0; y < H; ++y) {
                f.Picture2.PSet(x, y, f.Picture1.Point(x, y) ^ 0xFFFFFF);
                platform::DoEvents();
            }
    });
    std::printf("%dx%d; baseline Point+PSet+yield loop: %.1f Mpx/s, longest gap %.1f ms\n", W, H,
                bare.mpx, bare.gapMs);

    const int32_t red = 40, green = -20, blue = 7, akarusa = -30;
    const std::pair<const char *, std::function<void()>> runs[] = {
        {"MakeGrayscale", [&] { f.MakeGrayscale(); }},
        {"InvertColors", [&] { f.InvertColors(); }},
        {"MakeMaskImage", [&] { f.MakeMaskImage(); }},
        {"MakeSepia", [&] { f.MakeSepia(); }},
        {"RunColorEdit", [&] { f.RunColorEdit(red, green, blue); }},
        {"RunLightEdit", [&] { f.RunLightEdit(akarusa); }},
    };
    for (const auto &[name, run] : runs) {
        const Timing t = Measure(pixels, run);
        std::printf("%-14s %6.1f Mpx/s (target 100), ratio to baseline %.2f; longest gap "
                    "%.1f ms (target 20)\n",
                    name, t.mpx, t.mpx / bare.mpx, t.gapMs);
    }
    platform::SetPrompts(nullptr);
    return 0;
}
