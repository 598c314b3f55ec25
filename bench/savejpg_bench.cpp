// Times SaveJPG.DLL saving a 4000 x 3000 picture at quality 75, loaded by name from beside
// this program as the program loads it. Writes the same picture as a binary PPM to the
// path given on the command line, so that savejpg_bench.sh can time cjpeg on it in the
// same run. Prints the best and the median of five saves in milliseconds.
#include "savejpg.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 4000, kHeight = 3000, kRuns = 5;

// Something like a photograph: broad gradients, a fine texture and some noise.
uint32_t Pixel(int x, int y, uint32_t &seed) {
    seed = seed * 1664525u + 1013904223u;
    const int noise = int(seed >> 27) - 16;
    const double texture = 24 * std::sin(x * 0.07) * std::cos(y * 0.05);
    const auto channel = [&](double base) {
        return uint32_t(std::clamp(int(base + texture) + noise, 0, 255));
    };
    return channel(60 + 150.0 * x / kWidth) << 16 | channel(200 - 120.0 * y / kHeight) << 8 |
           channel(90 + 60 * std::sin((x + y) * 0.002));
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s <picture.ppm to write> <output.jpg>\n", argv[0]);
        return 2;
    }
    HMODULE library = LoadLibraryA(savejpg::kLibraryName);
    auto save = reinterpret_cast<savejpg::DCSavetoJPEGFn>(reinterpret_cast<void (*)()>(
        library ? GetProcAddress(library, savejpg::kFunctionName) : nullptr));
    if (!save) {
        fprintf(stderr, "SaveJPG.DLL or DCSavetoJPEG not found\n");
        return 1;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        fprintf(stderr, "no memory for the picture\n");
        return 1;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    auto *pixels = static_cast<uint32_t *>(bits);
    std::vector<unsigned char> ppm;
    char header[64];
    const int headerSize = snprintf(header, sizeof header, "P6\n%d %d\n255\n", kWidth, kHeight);
    ppm.assign(header, header + headerSize);
    ppm.reserve(ppm.size() + size_t(kWidth) * kHeight * 3);
    uint32_t seed = 1;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t rgb = Pixel(x, y, seed);
            pixels[size_t(y) * kWidth + x] = rgb;
            ppm.insert(ppm.end(),
                       {static_cast<unsigned char>(rgb >> 16), static_cast<unsigned char>(rgb >> 8),
                        static_cast<unsigned char>(rgb)});
        }
    FILE *file = fopen(argv[1], "wb");
    if (!file || fwrite(ppm.data(), 1, ppm.size(), file) != ppm.size()) {
        fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    fclose(file);

    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        LARGE_INTEGER from, to;
        QueryPerformanceCounter(&from);
        const int32_t result = save(dc, kWidth, kHeight, argv[2], 75, 0);
        QueryPerformanceCounter(&to);
        if (result != savejpg::kSaved) {
            fprintf(stderr, "DCSavetoJPEG returned %d\n", int(result));
            return 1;
        }
        times.push_back(Milliseconds(from, to));
    }
    std::sort(times.begin(), times.end());
    printf("SaveJPG.DLL %dx%d quality 75: best %.1f ms, median %.1f ms (%u hardware threads)\n",
           kWidth, kHeight, times.front(), times[kRuns / 2], std::thread::hardware_concurrency());
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return 0;
}
