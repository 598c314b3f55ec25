// Reads builds of the libraries we ship as files and checks what callers bind to: for
// Brovik.dll the export directory's library name, the four exported names with their
// ordinals, and the version resource; for SaveJPG.DLL its one plain name; for the PPM
// plug-in its four plain entry names and nothing else. Plain C++ without the platform's
// headers, so it reads a 32-bit build that cannot run here just as well as a 64-bit one.
//
// Usage: bridge_exports_check (i386|amd64) <file> [(i386|amd64) <file> ...]; the file's
// name says what it is.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Build {
    std::string machine;
    std::string path;
};
std::vector<Build> builds;

std::string Lower(std::string text) {
    for (char &c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

// The builds whose file name ends in one of `endings` (compared in lower case); at least
// one must be given.
std::vector<Build> BuildsOf(std::initializer_list<std::string> endings) {
    std::vector<Build> found;
    for (const Build &build : builds) {
        const std::string path = Lower(build.path);
        for (const std::string &ending : endings)
            if (path.size() >= ending.size() &&
                path.compare(path.size() - ending.size(), ending.size(), ending) == 0)
                found.push_back(build);
    }
    EXPECT_FALSE(found.empty()) << "no such file given: " << *endings.begin();
    return found;
}

const std::map<std::string, uint16_t> kMachines = {{"i386", 0x014C}, {"amd64", 0x8664}};

// A PE file in memory. Every read is bounds-checked: a damaged file fails the test with
// a message instead of reading past the end.
class PeFile {
  public:
    explicit PeFile(const std::string &path) {
        std::ifstream file(path, std::ios::binary);
        if (!file) throw std::runtime_error("cannot read " + path);
        bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (U16(0) != 0x5A4D) throw std::runtime_error("no MZ header");
        const uint32_t pe = U32(0x3C);
        if (U32(pe) != 0x00004550) throw std::runtime_error("no PE signature");
        coff_ = pe + 4;
        const size_t optional = coff_ + 20;
        switch (U16(optional)) {
        case 0x10B:
            directories_ = optional + 96;
            break; // PE32
        case 0x20B:
            directories_ = optional + 112;
            break; // PE32+
        default:
            throw std::runtime_error("unknown optional header");
        }
        directoryCount_ = U32(directories_ - 4);
        sections_ = optional + U16(coff_ + 16);
    }

    uint16_t Machine() const { return U16(coff_); }
    bool IsDll() const { return (U16(coff_ + 18) & 0x2000) != 0; }
    // RVA and size of data directory `index` (0 exports, 2 resources).
    std::pair<uint32_t, uint32_t> Directory(uint32_t index) const {
        if (index >= directoryCount_) return {0, 0};
        return {U32(directories_ + index * 8), U32(directories_ + index * 8 + 4)};
    }

    uint16_t U16(size_t at) const {
        Need(at, 2);
        return static_cast<uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
    }
    uint32_t U32(size_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
    std::string CString(size_t at) const {
        std::string text;
        for (Need(at, 1); bytes_[at] != 0; Need(++at, 1))
            text += static_cast<char>(bytes_[at]);
        return text;
    }

    // File offset of an RVA, through the section table.
    size_t Offset(uint32_t rva) const {
        for (uint16_t i = 0; i < U16(coff_ + 2); ++i) {
            const size_t section = sections_ + i * 40;
            const uint32_t address = U32(section + 12), raw = U32(section + 16);
            if (rva >= address && rva - address < raw) return U32(section + 20) + (rva - address);
        }
        throw std::runtime_error("RVA outside every section");
    }
    bool IsCode(uint32_t rva) const {
        for (uint16_t i = 0; i < U16(coff_ + 2); ++i) {
            const size_t section = sections_ + i * 40;
            const uint32_t address = U32(section + 12);
            if (rva >= address && rva - address < U32(section + 8))
                return (U32(section + 36) & 0x20000000) != 0; // IMAGE_SCN_MEM_EXECUTE
        }
        return false;
    }

  private:
    void Need(size_t at, size_t size) const {
        if (at > bytes_.size() || bytes_.size() - at < size)
            throw std::runtime_error("read past the end of the file");
    }

    std::vector<unsigned char> bytes_;
    size_t coff_ = 0;
    size_t directories_ = 0;
    uint32_t directoryCount_ = 0;
    size_t sections_ = 0;
};

// One entry of a resource directory: the entry with `id`, or the first when id < 0.
// Returns the entry's data word (offset from the resource root, high bit for a directory).
uint32_t ResourceEntry(const PeFile &pe, size_t root, uint32_t directory, long id) {
    const size_t at = root + (directory & 0x7FFFFFFF);
    const uint16_t named = pe.U16(at + 12), ids = pe.U16(at + 14);
    for (uint32_t i = named; i < uint32_t(named) + ids; ++i) {
        const size_t entry = at + 16 + i * 8;
        if (id < 0 || pe.U32(entry) == uint32_t(id)) return pe.U32(entry + 4);
    }
    throw std::runtime_error("resource " + std::to_string(id) + " missing");
}

std::string VersionText(uint32_t high, uint32_t low) {
    return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
           std::to_string(low >> 16) + "." + std::to_string(low & 0xFFFF);
}

// The export directory: the library name it gives and every exported name with its
// ordinal, each checked to be code of the file's own.
std::map<std::string, uint32_t> Exports(const PeFile &pe, std::string &library) {
    const auto [rva, size] = pe.Directory(0);
    if (rva == 0) throw std::runtime_error("no export directory");
    const size_t directory = pe.Offset(rva);
    library = pe.CString(pe.Offset(pe.U32(directory + 12)));
    const uint32_t base = pe.U32(directory + 16);
    EXPECT_EQ(pe.U32(directory + 20), pe.U32(directory + 24))
        << "functions without a name in the export address table";
    const uint32_t names = pe.U32(directory + 24);
    const uint32_t functions = pe.U32(directory + 28);
    std::map<std::string, uint32_t> exports;
    for (uint32_t i = 0; i < names; ++i) {
        const std::string name =
            pe.CString(pe.Offset(pe.U32(pe.Offset(pe.U32(directory + 32)) + i * 4)));
        const uint16_t index = pe.U16(pe.Offset(pe.U32(directory + 36)) + i * 2);
        exports[name] = base + index;
        // Real code of its own, not a forwarder into another library.
        const uint32_t code = pe.U32(pe.Offset(functions) + index * 4);
        EXPECT_FALSE(code >= rva && code - rva < size) << name << " is forwarded";
        EXPECT_TRUE(pe.IsCode(code)) << name << " is not code";
    }
    return exports;
}

TEST(BrovikExports, LibraryNameFourNamesAndTheirOrdinals) {
    for (const Build &build : BuildsOf({"brovik.dll"})) {
        SCOPED_TRACE(build.machine + " " + build.path);
        try {
            const PeFile pe(build.path);
            EXPECT_EQ(pe.Machine(), kMachines.at(build.machine));
            EXPECT_TRUE(pe.IsDll());
            std::string library;
            const std::map<std::string, uint32_t> exports = Exports(pe, library);
            EXPECT_EQ(library, "Brovik.dll");
            EXPECT_EQ(exports, (std::map<std::string, uint32_t>{{"_VBGetPicture@12", 1},
                                                                {"_VBGetPictureInfo@12", 2},
                                                                {"_VBGetPluginInfo@12", 3},
                                                                {"_VBIsSupported@8", 4}}));
        } catch (const std::exception &error) {
            ADD_FAILURE() << error.what();
        }
    }
}

TEST(SaveJpgExports, OnePlainName) {
    for (const Build &build : BuildsOf({"savejpg.dll"})) {
        SCOPED_TRACE(build.machine + " " + build.path);
        try {
            const PeFile pe(build.path);
            EXPECT_EQ(pe.Machine(), kMachines.at(build.machine));
            EXPECT_TRUE(pe.IsDll());
            std::string library;
            EXPECT_EQ(Exports(pe, library), (std::map<std::string, uint32_t>{{"DCSavetoJPEG", 1}}));
            EXPECT_EQ(library, "SaveJPG.DLL");
        } catch (const std::exception &error) {
            ADD_FAILURE() << error.what();
        }
    }
}

TEST(PluginExports, FourPlainEntriesAndNothingElse) {
    for (const Build &build : BuildsOf({".spi", ".sph"})) {
        SCOPED_TRACE(build.machine + " " + build.path);
        try {
            const PeFile pe(build.path);
            EXPECT_EQ(pe.Machine(), kMachines.at(build.machine));
            EXPECT_TRUE(pe.IsDll());
            std::string library;
            std::vector<std::string> names;
            for (const auto &[name, ordinal] : Exports(pe, library))
                names.push_back(name);
            EXPECT_EQ(names, (std::vector<std::string>{"GetPicture", "GetPictureInfo",
                                                       "GetPluginInfo", "IsSupported"}));
        } catch (const std::exception &error) {
            ADD_FAILURE() << error.what();
        }
    }
}

TEST(BrovikExports, VersionResourceIs1_2_0_0) {
    for (const Build &build : BuildsOf({"brovik.dll"})) {
        SCOPED_TRACE(build.machine + " " + build.path);
        try {
            const PeFile pe(build.path);
            const uint32_t rva = pe.Directory(2).first;
            ASSERT_NE(rva, 0u) << "no resources";
            const size_t root = pe.Offset(rva);
            const uint32_t type = ResourceEntry(pe, root, 0, 16); // RT_VERSION
            ASSERT_TRUE(type & 0x80000000);
            const uint32_t name = ResourceEntry(pe, root, type, 1);
            ASSERT_TRUE(name & 0x80000000);
            const uint32_t language = ResourceEntry(pe, root, name, -1);
            ASSERT_FALSE(language & 0x80000000);
            const size_t info = pe.Offset(pe.U32(root + language));

            std::string key;
            for (size_t at = info + 6; pe.U16(at) != 0; at += 2)
                key += char(pe.U16(at));
            EXPECT_EQ(key, "VS_VERSION_INFO");
            const size_t fixed = info + 40; // after the key and its padding
            ASSERT_EQ(pe.U32(fixed), 0xFEEF04BDu) << "no fixed file information";
            EXPECT_EQ(VersionText(pe.U32(fixed + 8), pe.U32(fixed + 12)), "1.2.0.0") << "file";
            EXPECT_EQ(VersionText(pe.U32(fixed + 16), pe.U32(fixed + 20)), "1.2.0.0") << "product";
        } catch (const std::exception &error) {
            ADD_FAILURE() << error.what();
        }
    }
}

// Under Wine a Unix path names the same file on drive Z:.
std::string FilePath(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    return path;
}

} // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2)
        builds.push_back({argv[i], FilePath(argv[i + 1])});
    bool usable = argc > 1 && argc % 2 == 1;
    for (const Build &build : builds)
        usable = usable && kMachines.count(build.machine);
    if (!usable) {
        fprintf(stderr, "usage: %s (i386|amd64) <file> ...\n", argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
