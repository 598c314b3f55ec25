#pragma once
// Shared by the test plug-ins: the record of their calls and reading the picture file.
//
// Each call appends one line to the file named by the environment variable
// MIROLT_SPI_LOG (when it is set), "<plug-in> <entry> key=value ... file=<name>", so that
// a test can see what the bridge handed over. A file, because the bridge unloads the
// plug-in after every call.
#include "susie_interface.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#define SPI_EXPORT extern "C" __declspec(dllexport)

#ifndef PLUGIN_NAME
#define PLUGIN_NAME "test" // the tests share the helpers, not the log
#endif

namespace spi {

inline constexpr char kLogVariable[] = "MIROLT_SPI_LOG";

inline void Log(const std::string &line) {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA(kLogVariable, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = std::string(PLUGIN_NAME) + " " + line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

inline std::string Hex(const void *data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    const auto *bytes = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

inline std::string Format(const char *format, ...) __attribute__((format(printf, 1, 2)));
inline std::string Format(const char *format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

inline void LogGetPluginInfo(int32_t number, int32_t length) {
    Log(Format("GetPluginInfo number=%d length=%d", number, length));
}

inline void LogIsSupported(const char *fileName, const void *head) {
    Log("IsSupported head=" + Hex(head, susie::kHeadLength) + " file=" + fileName);
}

inline void LogGetPictureInfo(const char *fileName, LONG_PTR offset, uint32_t flags) {
    Log(Format("GetPictureInfo offset=%lld flags=%u file=", static_cast<long long>(offset), flags) +
        fileName);
}

inline void LogGetPicture(const char *fileName, LONG_PTR offset, uint32_t flags,
                          susie::ProgressProc progress, LONG_PTR data) {
    Log(Format("GetPicture offset=%lld flags=%u progress=%s data=%lld file=",
               static_cast<long long>(offset), flags, progress ? "set" : "null",
               static_cast<long long>(data)) +
        fileName);
}

// The handles a plug-in hands over, so that a test can see them freed.
inline void LogHandles(HLOCAL info, HLOCAL bits) {
    Log(Format("handles info=%llx bits=%llx",
               static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(info)),
               static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(bits))));
}

// Writes `text` for GetPluginInfo as far as `length` allows, NUL included. Returns what
// the entry returns: the length of the text, or 0 for no text.
inline int32_t PutInfo(const char *text, char *buffer, int32_t length) {
    if (!text || length <= 0) return 0;
    const size_t size = std::min(strlen(text), static_cast<size_t>(length - 1));
    memcpy(buffer, text, size);
    buffer[size] = '\0';
    return static_cast<int32_t>(size) + 1;
}

// GetPluginInfo answered from texts indexed by information number; a number without a
// text gets 0 (nothing written).
inline int32_t InfoFromTable(int32_t number, char *buffer, int32_t length,
                             std::initializer_list<const char *> texts) {
    LogGetPluginInfo(number, length);
    if (number < 0 || static_cast<size_t>(number) >= texts.size()) return 0;
    return PutInfo(texts.begin()[number], buffer, length);
}

inline bool ReadWholeFile(const char *fileName, std::vector<unsigned char> &data) {
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (64 << 20);
    if (ok) {
        data.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = data.empty() ||
             (ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr) &&
              read == data.size());
    }
    CloseHandle(file);
    return ok;
}

// Local memory holding `size` bytes copied from `data`, movable so that the bridge's
// lock really matters.
inline HLOCAL CopyToLocal(const void *data, size_t size) {
    HLOCAL handle = LocalAlloc(LMEM_MOVEABLE, size);
    if (!handle) return nullptr;
    void *memory = LocalLock(handle);
    memcpy(memory, data, size);
    LocalUnlock(handle);
    return handle;
}

} // namespace spi
