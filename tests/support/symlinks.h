#pragma once
// Symbolic links made by the tests. Wine's CreateSymbolicLinkW reports success and makes
// nothing; the links met under Wine are the host's, so there the test makes and removes them
// with the host's ln and rm, started through Wine's own start of host programs, which waits
// for them. (Wine does not list a link that leads nowhere, so a folder's removal would miss
// it.)
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace mirolt::test {

// A symbolic link for the life of the scope: `link` leads to `target`, a path relative to
// the link's folder. Gone again at the end, also when it leads nowhere by then.
class SymbolicLink {
  public:
    SymbolicLink(const std::wstring &link, const std::wstring &target) : link_(link) {
        if (!OnWine()) {
            made_ = CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
            return;
        }
        std::string hostTarget(size_t(WideCharToMultiByte(CP_UTF8, 0, target.c_str(), -1, nullptr,
                                                          0, nullptr, nullptr)),
                               '\0');
        WideCharToMultiByte(CP_UTF8, 0, target.c_str(), -1, hostTarget.data(),
                            int(hostTarget.size()), nullptr, nullptr);
        hostTarget.pop_back();
        for (char &c : hostTarget)
            if (c == '\\') c = '/';
        made_ = Host({"/bin/ln", "-s", hostTarget.c_str()});
    }
    ~SymbolicLink() {
        if (!made_) return;
        if (OnWine())
            Host({"/bin/rm", "-f"});
        else
            DeleteFileW(link_.c_str());
    }
    SymbolicLink(const SymbolicLink &) = delete;
    SymbolicLink &operator=(const SymbolicLink &) = delete;

    bool Made() const { return made_; }
    const std::wstring &Path() const { return link_; }

  private:
    using Spawn = long(__cdecl *)(char *const *arguments, int wait);
    using UnixName = char *(__cdecl *)(const wchar_t *path);

    template <class Function> static Function ExportOf(const wchar_t *module, const char *name) {
        return reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(module), name)));
    }

    bool OnWine() const { return spawn_ && unixName_; }

    // Runs the host program with `arguments` and the link's host path after them; true when
    // it ends with status 0.
    bool Host(std::initializer_list<const char *> arguments) const {
        char *hostLink = unixName_(link_.c_str());
        if (!hostLink) return false;
        std::vector<std::string> strings(arguments.begin(), arguments.end());
        strings.emplace_back(hostLink);
        HeapFree(GetProcessHeap(), 0, hostLink);
        std::vector<char *> argv;
        for (std::string &argument : strings)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        return spawn_(argv.data(), TRUE) == 0; // waits; the program's exit status
    }

    const Spawn spawn_ = ExportOf<Spawn>(L"ntdll.dll", "__wine_unix_spawnvp");
    const UnixName unixName_ = ExportOf<UnixName>(L"kernel32.dll", "wine_get_unix_file_name");
    std::wstring link_;
    bool made_ = false;
};

// Whether the two paths open one and the same file.
inline bool SameFile(const std::wstring &a, const std::wstring &b) {
    BY_HANDLE_FILE_INFORMATION info[2]{};
    const std::wstring *paths[] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        HANDLE file = CreateFileW(paths[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const bool known = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!known) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

} // namespace mirolt::test
