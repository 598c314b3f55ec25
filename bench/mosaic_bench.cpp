// Times the mosaic and the raster-operation filter on a 4000 x 3000 picture through their
// dialogs' own code: MakeMosaic at n = 10 (source pixels per second, best of three, with
// the longest gap between real message pumps), the stage build up to n = 100 (with the
// largest working set while it runs), the flip-book showing its frames, and the raster
// filter at its default counts against the bare BitBlt calls it makes, timed in the same
// run.
#include "bench_support.h"
#include "form1.h"
#include "form11.h"
#include "form12.h"
#include "prompts.h"
#include "raster_mosaic.h"
#include "runtime.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

using namespace mirolt;

namespace {

struct Timing {
    double seconds = 1e30; // best of the runs
    double firstSeconds = 0;
    // Longest gaps between pumps, in the first run and in the others. A run whose Cls finds
    // no spare surface draws into a fresh one (about 48 MB here), its memory coming in as
    // the run goes.
    double gapMs = 0;
    double firstGapMs = 0;
};

Timing Measure(int runs, const std::function<void()> &run) {
    Timing t;
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    for (int i = 0; i < runs; ++i) {
        platform::ResetYieldStats();
        QueryPerformanceCounter(&t0);
        run();
        QueryPerformanceCounter(&t1);
        const double seconds = double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart);
        t.seconds = std::min(t.seconds, seconds);
        if (i == 0) t.firstSeconds = seconds;
        double &gap = i == 0 ? t.firstGapMs : t.gapMs;
        gap = std::max(gap, platform::GetYieldStats().maxGapMs);
    }
    return t;
}

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

double WorkingSetMb() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return double(pmc.WorkingSetSize) / (1024.0 * 1024.0);
}

// The largest working set while `run` runs, sampled every millisecond from another thread.
double PeakWorkingSetMbDuring(const std::function<void()> &run) {
    std::atomic<bool> stop{false};
    std::atomic<double> peak{WorkingSetMb()};
    std::thread watch([&] {
        while (!stop) {
            peak = std::max(peak.load(), WorkingSetMb());
            Sleep(1);
        }
    });
    run();
    stop = true;
    watch.join();
    return std::max(peak.load(), WorkingSetMb());
}

} // namespace

int main() {
    GdiSetBatchLimit(1);
    bench::OkPrompts prompts;
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

    app::Form12 &mosaic = forms::Form12.Get();
    const int32_t n = 10;
    const Timing m = Measure(3, [&] { mosaic.MakeMosaic(n); });
    std::printf("MakeMosaic n=10: %.1f M source px/s (target 100), %.3f s; longest gap %.1f ms "
                "(target 20); first run %.1f M source px/s, longest gap %.1f ms\n",
                pixels / m.seconds / 1e6, m.seconds, m.gapMs, pixels / m.firstSeconds / 1e6,
                m.firstGapMs);

    // The stage build up to 100, its frames kept as block colours.
    mosaic.HScroll1.SetValue(100);
    const double before = WorkingSetMb();
    Timing s;
    const double peak =
        PeakWorkingSetMbDuring([&] { s = Measure(1, [&] { mosaic.Command3_Click(); }); });
    std::printf("stage build n=3..100: %.2f s, %.1f M source px/s; longest gap %.1f ms; working "
                "set %.0f MB before, peak %.0f MB during (target 300), %.0f MB after\n",
                s.seconds, 98 * pixels / s.seconds / 1e6, s.firstGapMs, before, peak,
                WorkingSetMb());

    // The flip-book in a shown dialog: each tick shows its frame and the box is painted.
    mosaic.Show();
    mosaic.Command5_Click();
    mosaic.Timer1.SetEnabled(false); // ticked here, not by the clock
    double worst = 0, total = 0;
    const int ticks = 2 * (mosaic.FrameCount - 1);
    for (int i = 0; i < ticks; ++i) {
        const double t0 = Now();
        mosaic.Timer1_Timer();
        mosaic.Picture1.Refresh();
        const double ms = Now() - t0;
        worst = std::max(worst, ms);
        total += ms;
    }
    // A whole frame made into pixels, as the export makes each (into memory already in):
    // block size 3 has the most blocks, 100 the fewest.
    platform::Bitmap32 canvas(W, H);
    canvas.Fill(0);
    double wholeWorst = 0;
    for (int b : {3, 100, 3, 100, 3, 100}) {
        const double t0 = Now();
        ExpandMosaic(mosaic.MosaicFrames[size_t(b)].blocks, canvas.Bits(), W, W, H);
        wholeWorst = std::max(wholeWorst, Now() - t0);
    }
    std::printf("flip-book: a frame shown and painted in %.2f ms on average, %.2f ms at most "
                "(target 10) over %d ticks; a whole %dx%d frame made in %.2f ms at most\n",
                total / ticks, worst, ticks, W, H, wholeWorst);
    mosaic.Command5_Click();

    // The raster filter at its default counts, both passes, against the same BitBlt calls.
    app::Form11 &raster = forms::Form11.Get();
    const Timing r = Measure(3, [&] { raster.Command1_Click(); });
    const auto plan = PlanRasterFilter(W, H, 10, 10);
    const platform::Bitmap32 &src = *f.Picture1.GetPicture().Bitmap();
    const Timing bare = Measure(3, [&] {
        const HDC dst = f.Picture2.hDC();
        for (const RasterPass &p : {plan->pass1, plan->pass2})
            for (int k = 0; k < p.count; ++k)
                BitBlt(dst, p.x0 + k * p.dx, p.y0 + k * p.dy, W, H, src.Dc(), 0, 0,
                       RasterCodeOf(L"DstInvert"));
        GdiFlush();
    });
    std::printf("raster filter (defaults, %d copies): %.3f s; bare BitBlt calls %.3f s; ratio "
                "%.2f (target 2)\n",
                plan->pass1.count + plan->pass2.count, r.seconds, bare.seconds,
                r.seconds / bare.seconds);
    platform::SetPrompts(nullptr);
    return 0;
}
