#pragma once
// Test harness of Brovik.dll: the library bound by name as the program binds it, a record
// of what it asks of the system, the test plug-ins, temporary files and a device context.
#include "brovik.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace bridge_test {

// Brovik.dll from beside the test program, its exports found by their exported names.
struct Bridge {
    brovik::GetPictureFn getPicture;
    brovik::GetPictureInfoFn getPictureInfo;
    brovik::GetPluginInfoFn getPluginInfo;
    brovik::IsSupportedFn isSupported;
};
const Bridge &TheBridge();

// The library's calls into the system, seen through its import table. Plug-ins are not
// watched: only what the library itself calls.
struct SystemCalls {
    // In order: "LoadLibraryA", "GetProcAddress <entry>", "FreeLibrary",
    // "CreateFileA <access> <share> <creation> <attributes>" (hex), "ReadFile <length>",
    // "CloseHandle", "LocalAlloc <flags> <bytes>" (hex flags), "LocalLock", "LocalUnlock",
    // "LocalFree", "StretchDIBits <x> <y> <w> <h> <sx> <sy> <sw> <sh> <usage> <rop>" (hex rop).
    std::vector<std::string> calls;
    std::vector<HLOCAL> allocated; // every handle LocalAlloc gave the library
    std::vector<HLOCAL> freed;     // every handle given to LocalFree
    std::set<HMODULE> modules;     // loaded and not yet freed
    std::set<HANDLE> files;        // opened and not yet closed
    std::set<HLOCAL> memory;       // allocated by the library and not yet freed
    bool failLocalAlloc = false;   // LocalAlloc answers null
    std::optional<int> drawResult; // StretchDIBits answers this instead of drawing
};
SystemCalls &Calls();

// A handle as the trace and the plug-in log spell it.
std::string HandleText(const void *handle);

// A path in the system code page, as the program hands paths to the library.
std::string Ansi(const std::filesystem::path &path);

// A 32-bit top-down DIB section in a memory device context, filled with one colour.
class Canvas {
  public:
    Canvas(int width, int height, uint32_t fill);
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    HDC dc() const { return dc_; }
    uint32_t At(int x, int y) const; // 0x00RRGGBB
    // How many pixels outside (0, 0)-(width, height) no longer hold the fill colour.
    int ChangedOutside(int width, int height) const;
    bool Untouched() const { return ChangedOutside(0, 0) == 0; }

  private:
    int width_;
    int height_;
    uint32_t fill_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t *pixels_ = nullptr;
};

// Every test gets its own folder and plug-in log, and ends by checking that the library
// holds nothing: no plug-in loaded, no file open, no memory of its own allocated.
class BridgeTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A test plug-in where the build put it.
    static std::string Plugin(const char *name);
    // A copy of a test plug-in in the test's folder under another name.
    std::string CopyPlugin(const char *name, const std::string &as);
    std::filesystem::path Folder() const { return folder_; }
    std::string Path(const std::string &name) const { return Ansi(folder_ / name); }
    std::string WriteFile(const std::string &name, const std::string &content);
    // The plug-ins' call lines since the last take, without the plug-in's name.
    std::vector<std::string> TakeLog();
    // The system calls since the last take.
    std::vector<std::string> TakeCalls();
    void ExpectNothingHeld();

    const Bridge &bridge = TheBridge();

  private:
    std::filesystem::path folder_;
    std::filesystem::path log_;
};

// Start of a log line: "<entry> ".
bool StartsWith(const std::string &text, const std::string &start);
// Value of "key=" in a log line, up to the next space ("file=" takes the rest).
std::string Field(const std::string &line, const std::string &key);

// Netpbm pictures for ppm.spi; `pixels` row by row from the top.
std::string Ppm(int width, int height, const std::vector<uint32_t> &rgb);
std::string Pgm(int width, int height, const std::vector<uint8_t> &levels);

} // namespace bridge_test
