#pragma once
// Picture files and folders made by the tests themselves.
#include <cstdint>
#include <functional>
#include <string>

namespace mirolt::test {

// A path the build gave (a Linux path under Wine's Z: drive, or a Windows one) as Windows
// programs take it.
inline std::wstring WindowsPath(const char *path) {
    std::wstring w;
    for (const char *p = path; *p; ++p)
        w += wchar_t(*p == '/' ? '\\' : *p);
    return path[0] == '/' ? L"Z:" + w : w;
}

// Colour (0x00BBGGRR) of the test pattern at a point.
int32_t PatternColor(int x, int y);

void WriteBmp(const std::wstring &path, int width, int height,
              const std::function<int32_t(int, int)> &color = PatternColor);
void WriteJpeg(const std::wstring &path, int width, int height,
               const std::function<int32_t(int, int)> &color = PatternColor);
void WriteBytes(const std::wstring &path, const std::string &bytes);
std::string ReadBytes(const std::wstring &path);

// A fresh folder under the temporary folder, removed with its files at destruction.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    const std::wstring &Path() const { return path_; }
    std::wstring File(const std::wstring &name) const { return path_ + L"\\" + name; }

  private:
    std::wstring path_;
};

} // namespace mirolt::test
