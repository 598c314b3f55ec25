// The text editor's open of a file at its bounds, through its menu item as the user opens it:
// the time until the text is in the shown editor and drawn, the longest gap between two pumps
// of the queue meanwhile (the window's answer to everything but the user's input, which waits
// until the text is in), and the peak working set. Each shape runs in a process of its own
// (the bench starts itself), so that each peak is that shape's alone.
#include "bench_support.h"
#include "data_ini.h"
#include "files.h"
#include "form8.h"
#include "prompts.h"
#include "runtime.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace mirolt;

namespace {

// The text of each shape, as its file holds it: a double-byte character is two bytes.
std::wstring LargestTextArt() {
    // The largest picture's text art (3056 x 32722: 6545 rows of 612 characters), saved by the
    // editor: one more line end.
    const std::wstring row = std::wstring(612, L'鬱') + L"\r\n";
    std::wstring text;
    text.reserve(6545 * row.size() + 2);
    for (int i = 0; i < 6545; ++i)
        text += row;
    return text + L"\r\n";
}
std::wstring MostLines() {
    const size_t lineBytes = app::kMaxTextFileBytes / app::kMaxTextFileLines;
    const std::wstring line = std::wstring(lineBytes - 2, L'a') + L"\r\n";
    std::wstring text;
    text.reserve(app::kMaxTextFileBytes);
    for (size_t i = 0; i < app::kMaxTextFileLines; ++i)
        text += line;
    return text;
}
std::wstring OneLine() {
    return std::wstring(app::kMaxTextFileBytes, L'a');
}

struct Shape {
    const char *name;
    std::wstring (*text)();
};
constexpr Shape kShapes[] = {{"largest text art, saved", LargestTextArt},
                             {"bound in the most lines", MostLines},
                             {"bound in one line", OneLine}};

// Answers the open dialog with one file and notes any box.
class OpenPrompts final : public bench::OkPrompts {
  public:
    explicit OpenPrompts(std::wstring path) : path_(std::move(path)) {}
    int MsgBox(const std::wstring &text, int, const std::wstring &) override {
        boxes += text;
        return platform::vbOK;
    }
    std::optional<platform::FileDialogResult>
    FileDialog(const platform::FileDialogRequest &) override {
        return platform::FileDialogResult{path_};
    }
    std::wstring boxes;

  private:
    std::wstring path_;
};

int RunCase(const Shape &shape) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    textart::SetDataIniFolder(temp); // no settings: the designed font
    const std::wstring path =
        std::wstring(temp) + L"mirolt_editor_bench_" + std::to_wstring(GetCurrentProcessId());
    const std::wstring text = shape.text();
    platform::WriteTextFile(path, text);
    WIN32_FILE_ATTRIBUTE_DATA file{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file);
    OpenPrompts prompts(path);
    platform::SetPrompts(&prompts);
    app::Form8 &e = forms::Form8.Get();
    e.Show();
    platform::PumpMessages();
    prompts.boxes.clear(); // the settings file's, which the bench does without

    const double before = bench::PeakWorkingSetMb();
    platform::ResetYieldStats();
    const double t0 = bench::Now();
    e.TextOpen_Click();
    RedrawWindow(e.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double seconds = bench::Now() - t0;
    const platform::YieldStats stats = platform::GetYieldStats();
    DeleteFileW(path.c_str());
    const size_t opened = text.size() + (text.ends_with(L"\r\n") ? 0 : 2);
    if (!prompts.boxes.empty() || e.Text1.TextLength() != opened) {
        std::printf("%-24s not opened\n", shape.name);
        return 1;
    }
    std::printf("%-24s %.2f MB: in the editor after %.2f s; longest gap between pumps %.0f ms "
                "(target 100); peak working set %.0f MB (%.0f before)\n",
                shape.name, double(file.nFileSizeLow) / 1e6, seconds, stats.maxGapMs,
                bench::PeakWorkingSetMb(), before);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 2) return RunCase(kShapes[std::atoi(argv[1])]);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int s = 0; s < int(std::size(kShapes)); ++s) {
        std::wstring command = L"\"" + std::wstring(self) + L"\" " + std::to_wstring(s);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &si, &pi))
            return 1;
        // A case past five minutes is as good as hung.
        if (WaitForSingleObject(pi.hProcess, 300'000) == WAIT_TIMEOUT) {
            TerminateProcess(pi.hProcess, 2);
            std::printf("%-24s over 300 s, ended\n", kShapes[s].name);
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return 0;
}
