// What the text editor's box costs: the time to set and paint a text of 1/4 to 64 MB in the
// shown editor, with empty lines, lines of 10 and of 80 characters, text-art rows of 800
// double-byte characters, and one long line, and the peak working set it takes. Each case runs in a
// process of its own (the bench starts itself), so that each peak is that case's alone; a case that
// takes longer than a minute ends the larger ones of its shape.
#include "bench_support.h"
#include "data_ini.h"
#include "form8.h"
#include "prompts.h"

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

using namespace mirolt;

namespace {

double PeakMb() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return double(pmc.PeakWorkingSetSize) / (1 << 20);
}

struct Shape {
    const wchar_t *name;
    wchar_t unit;     // the character the lines are made of
    size_t lineChars; // 0: one line
};
constexpr Shape kShapes[] = {{L"empty lines", L'a', 0},
                             {L"lines of 1", L'a', 1},
                             {L"lines of 10", L'a', 10},
                             {L"lines of 80", L'a', 80},
                             {L"rows of 800 double-byte", L'鬱', 800},
                             {L"one line", L'a', SIZE_MAX}};
constexpr int kSizesKb[] = {256, 1024, 4096, 16384, 65536};

// Bytes in the file the text comes from: a double-byte character is two.
std::wstring TextOf(const Shape &shape, size_t fileBytes) {
    const size_t perChar = shape.unit < 0x80 ? 1 : 2;
    std::wstring text;
    text.reserve(fileBytes / perChar + 2);
    if (shape.lineChars == SIZE_MAX) {
        text.assign(fileBytes / perChar, shape.unit);
    } else {
        const std::wstring line = std::wstring(shape.lineChars, shape.unit) + L"\r\n";
        while ((text.size() + line.size()) * perChar <= fileBytes)
            text += line;
    }
    return text;
}

// One case: prints its line; false when it took longer than a minute.
bool RunCase(const Shape &shape, int kb) {
    bench::OkPrompts prompts;
    platform::SetPrompts(&prompts);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    textart::SetDataIniFolder(temp); // no settings: the designed font
    app::Form8 &e = forms::Form8.Get();
    e.Show();
    const std::wstring text = TextOf(shape, size_t(kb) << 10);
    const double before = PeakMb();
    const double t0 = bench::Now();
    e.Text1.SetText(text);
    UpdateWindow(e.Text1.Hwnd());
    const double t = bench::Now() - t0;
    std::printf("%-24ls %5.2f MB: %7.2f s, peak working set %6.0f MB (%.0f before)\n", shape.name,
                kb / 1024.0, t, PeakMb(), before);
    std::fflush(stdout);
    return t < 60;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3) return RunCase(kShapes[std::atoi(argv[1])], std::atoi(argv[2])) ? 0 : 2;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int s = 0; s < int(std::size(kShapes)); ++s) {
        for (int kb : kSizesKb) {
            std::wstring command = L"\"" + std::wstring(self) + L"\" " + std::to_wstring(s) + L" " +
                                   std::to_wstring(kb);
            STARTUPINFOW si{};
            si.cb = sizeof(si);
            PROCESS_INFORMATION pi{};
            if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &si, &pi))
                return 1;
            // A case past five minutes is as good as hung.
            if (WaitForSingleObject(pi.hProcess, 300'000) == WAIT_TIMEOUT) {
                TerminateProcess(pi.hProcess, 2);
                std::printf("%-24ls %5.2f MB: over 300 s, ended\n", kShapes[s].name, kb / 1024.0);
            }
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            if (code != 0) break;
        }
    }
    return 0;
}
