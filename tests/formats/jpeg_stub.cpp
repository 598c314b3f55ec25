// A stand-in for SaveJPG.DLL that writes nothing: it keeps the arguments of its last call
// and answers the number that the file name starts with ("3.jpg" gives 3), so that every
// result the dialog can meet is reached.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
char g_path[1024];
uint32_t g_quality;
int32_t g_width, g_height;
} // namespace

extern "C" __declspec(dllexport) int32_t WINAPI
    DCSavetoJPEG(HDC, int32_t width, int32_t height, const char *path, uint32_t quality, int32_t) {
    std::strncpy(g_path, path, sizeof(g_path) - 1);
    g_quality = quality;
    g_width = width;
    g_height = height;
    const char *name = std::strrchr(path, '\\');
    return std::atoi(name ? name + 1 : path);
}

extern "C" __declspec(dllexport) const char *StubLastPath() {
    return g_path;
}
extern "C" __declspec(dllexport) uint32_t StubLastQuality() {
    return g_quality;
}
