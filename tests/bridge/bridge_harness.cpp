#include "bridge_harness.h"

#include "import_patch.h"
#include "plugins/plugin_support.h"
#include "plugins/test_plugins.h"

#include <cstdio>
#include <cstring>
#include <fstream>

namespace bridge_test {
namespace fs = std::filesystem;

namespace {

fs::path TestProgramFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

SystemCalls calls;

// The functions the library really imports; the hooks record and pass on.
namespace real {
decltype(&LoadLibraryA) loadLibrary;
decltype(&GetProcAddress) getProcAddress;
decltype(&FreeLibrary) freeLibrary;
decltype(&CreateFileA) createFile;
decltype(&ReadFile) readFile;
decltype(&CloseHandle) closeHandle;
decltype(&LocalAlloc) localAlloc;
decltype(&LocalFree) localFree;
decltype(&LocalLock) localLock;
decltype(&LocalUnlock) localUnlock;
decltype(&StretchDIBits) stretchDIBits;
} // namespace real

HMODULE WINAPI HookLoadLibraryA(LPCSTR name) {
    HMODULE module = real::loadLibrary(name);
    calls.calls.push_back("LoadLibraryA");
    if (module) calls.modules.insert(module);
    return module;
}

FARPROC WINAPI HookGetProcAddress(HMODULE module, LPCSTR name) {
    const bool byName = reinterpret_cast<uintptr_t>(name) > 0xFFFF;
    calls.calls.push_back(std::string("GetProcAddress ") + (byName ? name : "#ordinal"));
    return real::getProcAddress(module, name);
}

BOOL WINAPI HookFreeLibrary(HMODULE module) {
    calls.calls.push_back("FreeLibrary");
    calls.modules.erase(module);
    return real::freeLibrary(module);
}

HANDLE WINAPI HookCreateFileA(LPCSTR name, DWORD access, DWORD share,
                              LPSECURITY_ATTRIBUTES security, DWORD creation, DWORD attributes,
                              HANDLE templateFile) {
    HANDLE file =
        real::createFile(name, access, share, security, creation, attributes, templateFile);
    calls.calls.push_back(
        spi::Format("CreateFileA %lx %lx %lx %lx", access, share, creation, attributes) +
        (security || templateFile ? " extra" : ""));
    if (file != INVALID_HANDLE_VALUE) calls.files.insert(file);
    return file;
}

BOOL WINAPI HookReadFile(HANDLE file, LPVOID buffer, DWORD length, LPDWORD count,
                         LPOVERLAPPED overlapped) {
    calls.calls.push_back(spi::Format("ReadFile %lu", length) + (overlapped ? " overlapped" : ""));
    return real::readFile(file, buffer, length, count, overlapped);
}

BOOL WINAPI HookCloseHandle(HANDLE handle) {
    calls.calls.push_back("CloseHandle");
    calls.files.erase(handle);
    return real::closeHandle(handle);
}

HLOCAL WINAPI HookLocalAlloc(UINT flags, SIZE_T bytes) {
    calls.calls.push_back(
        spi::Format("LocalAlloc %x %llu", flags, static_cast<unsigned long long>(bytes)));
    HLOCAL memory = calls.failLocalAlloc ? nullptr : real::localAlloc(flags, bytes);
    if (memory) {
        calls.memory.insert(memory);
        calls.allocated.push_back(memory);
    }
    return memory;
}

HLOCAL WINAPI HookLocalFree(HLOCAL memory) {
    calls.calls.push_back("LocalFree " + HandleText(memory));
    calls.freed.push_back(memory);
    calls.memory.erase(memory);
    return real::localFree(memory);
}

LPVOID WINAPI HookLocalLock(HLOCAL memory) {
    calls.calls.push_back("LocalLock " + HandleText(memory));
    return real::localLock(memory);
}

BOOL WINAPI HookLocalUnlock(HLOCAL memory) {
    calls.calls.push_back("LocalUnlock " + HandleText(memory));
    return real::localUnlock(memory);
}

int WINAPI HookStretchDIBits(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY,
                             int sourceWidth, int sourceHeight, const VOID *bits,
                             const BITMAPINFO *info, UINT usage, DWORD rop) {
    calls.calls.push_back(spi::Format("StretchDIBits %d %d %d %d %d %d %d %d %u %lx", x, y, width,
                                      height, sourceX, sourceY, sourceWidth, sourceHeight, usage,
                                      rop));
    if (calls.drawResult) return *calls.drawResult;
    return real::stretchDIBits(dc, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight,
                               bits, info, usage, rop);
}

template <typename Fn>
void Hook(HMODULE module, const char *library, const char *name, Fn hook, Fn &original) {
    original = reinterpret_cast<Fn>(
        import_patch::PatchImport(module, library, name, reinterpret_cast<void *>(hook)));
    if (!original) {
        fprintf(stderr, "Brovik.dll does not import %s from %s\n", name, library);
        abort();
    }
}

template <typename Fn> Fn Export(HMODULE module, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace

const Bridge &TheBridge() {
    static const Bridge bridge = [] {
        HMODULE module = LoadLibraryW((TestProgramFolder() / L"Brovik.dll").c_str());
        if (!module) {
            fprintf(stderr, "Brovik.dll cannot be loaded from beside the test program\n");
            abort();
        }
        Hook(module, "KERNEL32.dll", "LoadLibraryA", &HookLoadLibraryA, real::loadLibrary);
        Hook(module, "KERNEL32.dll", "GetProcAddress", &HookGetProcAddress, real::getProcAddress);
        Hook(module, "KERNEL32.dll", "FreeLibrary", &HookFreeLibrary, real::freeLibrary);
        Hook(module, "KERNEL32.dll", "CreateFileA", &HookCreateFileA, real::createFile);
        Hook(module, "KERNEL32.dll", "ReadFile", &HookReadFile, real::readFile);
        Hook(module, "KERNEL32.dll", "CloseHandle", &HookCloseHandle, real::closeHandle);
        Hook(module, "KERNEL32.dll", "LocalAlloc", &HookLocalAlloc, real::localAlloc);
        Hook(module, "KERNEL32.dll", "LocalFree", &HookLocalFree, real::localFree);
        Hook(module, "KERNEL32.dll", "LocalLock", &HookLocalLock, real::localLock);
        Hook(module, "KERNEL32.dll", "LocalUnlock", &HookLocalUnlock, real::localUnlock);
        Hook(module, "GDI32.dll", "StretchDIBits", &HookStretchDIBits, real::stretchDIBits);
        return Bridge{
            Export<brovik::GetPictureFn>(module, brovik::kGetPictureExport),
            Export<brovik::GetPictureInfoFn>(module, brovik::kGetPictureInfoExport),
            Export<brovik::GetPluginInfoFn>(module, brovik::kGetPluginInfoExport),
            Export<brovik::IsSupportedFn>(module, brovik::kIsSupportedExport),
        };
    }();
    return bridge;
}

SystemCalls &Calls() {
    return calls;
}

std::string HandleText(const void *handle) {
    return spi::Format("%llx",
                       static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
}

std::string Ansi(const fs::path &path) {
    const std::wstring wide = path.wstring();
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), size, nullptr, nullptr);
    text.resize(size - 1);
    return text;
}

Canvas::Canvas(int width, int height, uint32_t fill) : width_(width), height_(height), fill_(fill) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    previous_ = SelectObject(dc_, bitmap_);
    pixels_ = static_cast<uint32_t *>(bits);
    std::fill(pixels_, pixels_ + width * height, fill);
}

Canvas::~Canvas() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

uint32_t Canvas::At(int x, int y) const {
    GdiFlush();
    return pixels_[y * width_ + x] & 0x00FFFFFF;
}

int Canvas::ChangedOutside(int width, int height) const {
    int changed = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if ((x >= width || y >= height) && At(x, y) != (fill_ & 0x00FFFFFF)) ++changed;
    return changed;
}

void BridgeTest::SetUp() {
    ASSERT_TRUE(bridge.getPicture && bridge.getPictureInfo && bridge.getPluginInfo &&
                bridge.isSupported)
        << "Brovik.dll lacks an export";
    static int counter = 0;
    folder_ = fs::temp_directory_path() / ("brovik-test-" + std::to_string(GetCurrentProcessId()) +
                                           "-" + std::to_string(++counter));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    log_ = folder_ / "plugin.log";
    SetEnvironmentVariableA(spi::kLogVariable, Ansi(log_).c_str());
    calls = SystemCalls{};
}

void BridgeTest::TearDown() {
    ExpectNothingHeld();
    SetEnvironmentVariableA(spi::kLogVariable, nullptr);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

void BridgeTest::ExpectNothingHeld() {
    EXPECT_TRUE(calls.modules.empty()) << "a plug-in is still loaded";
    EXPECT_TRUE(calls.files.empty()) << "a file is still open";
    EXPECT_TRUE(calls.memory.empty()) << "the head buffer is still allocated";
    for (const char *name : {testspi::kPpm, testspi::kQuirk, testspi::kFailing, testspi::kArchive,
                             testspi::kNoEntries})
        EXPECT_EQ(GetModuleHandleA(Plugin(name).c_str()), nullptr) << name << " is still loaded";
    std::error_code ignored;
    for (const auto &entry : fs::directory_iterator(folder_, ignored))
        EXPECT_EQ(GetModuleHandleW(entry.path().c_str()), nullptr)
            << entry.path().string() << " is still loaded";
}

std::string BridgeTest::Plugin(const char *name) {
    return Ansi(TestProgramFolder() / name);
}

std::string BridgeTest::CopyPlugin(const char *name, const std::string &as) {
    fs::copy_file(TestProgramFolder() / name, folder_ / as, fs::copy_options::overwrite_existing);
    return Path(as);
}

std::string BridgeTest::WriteFile(const std::string &name, const std::string &content) {
    std::ofstream(folder_ / name, std::ios::binary) << content;
    return Path(name);
}

std::vector<std::string> BridgeTest::TakeLog() {
    std::vector<std::string> lines;
    {
        std::ifstream file(log_, std::ios::binary);
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
    }
    std::error_code ignored;
    fs::remove(log_, ignored);
    return lines;
}

std::vector<std::string> BridgeTest::TakeCalls() {
    std::vector<std::string> taken;
    taken.swap(calls.calls);
    return taken;
}

bool StartsWith(const std::string &text, const std::string &start) {
    return text.compare(0, start.size(), start) == 0;
}

std::string Field(const std::string &line, const std::string &key) {
    const size_t at = line.find(" " + key + "=");
    if (at == std::string::npos) return "<missing>";
    const size_t start = at + key.size() + 2;
    if (key == "file") return line.substr(start);
    return line.substr(start, line.find(' ', start) - start);
}

std::string Ppm(int width, int height, const std::vector<uint32_t> &rgb) {
    std::string text = spi::Format("P6\n# test picture\n%d %d\n255\n", width, height);
    for (uint32_t pixel : rgb) {
        text += static_cast<char>(pixel >> 16);
        text += static_cast<char>(pixel >> 8);
        text += static_cast<char>(pixel);
    }
    return text;
}

std::string Pgm(int width, int height, const std::vector<uint8_t> &levels) {
    return spi::Format("P5 %d %d 255\n", width, height) + std::string(levels.begin(), levels.end());
}

} // namespace bridge_test
