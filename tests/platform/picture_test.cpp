#include "picture.h"
#include "picture_box.h"
#include "picture_limits.h"
#include "runtime.h"
#include "vb_error.h"

#include "long_folder.h"
#include "memory_ceiling.h"
#include "picture_cases.h"
#include "picture_files.h"
#include "symlinks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace mirolt;
using namespace mirolt::platform;
using mirolt::test::PatternColor;
using mirolt::test::TempFolder;

namespace {

class Host : public Form {
  public:
    Host() : Form(FormDesign{L"host", 6000, 4000, BorderStyle::Sizable, ScaleMode::Pixels}) {}
};

int ErrorOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const RuntimeError &e) {
        return e.Number();
    }
    return 0;
}

std::string BmpHeader(int32_t width, int32_t height, uint16_t bits = 24) {
    std::string h(54, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    h[0] = 'B';
    h[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    h[26] = 1;
    h[28] = char(bits);
    return h;
}

} // namespace

TEST(PictureBox, PointAndPSetWorkOnThePersistentImage) {
    Host host;
    PictureBox::Design d;
    d.place.width = 10;
    d.place.height = 8;
    d.backColor = SystemColor(COLOR_CAPTIONTEXT);
    PictureBox box(host, L"box", d);
    EXPECT_EQ(box.ScaleWidth(), 10);
    EXPECT_EQ(box.Point(3, 4), ResolveColor(SystemColor(COLOR_CAPTIONTEXT)));
    box.PSet(3, 4, Rgb(1, 2, 3));
    EXPECT_EQ(box.Point(3, 4), Rgb(1, 2, 3));
    // Outside the drawing area: -1, and writes are ignored.
    EXPECT_EQ(box.Point(10, 0), -1);
    EXPECT_EQ(box.Point(0, 8), -1);
    EXPECT_EQ(box.Point(-1, 0), -1);
    box.PSet(-1, 0, 0);
    box.PSet(10, 7, 0);
    box.SetBackColor(Rgb(9, 9, 9));
    box.PSet(0, 0, 0);
    box.Cls();
    EXPECT_EQ(box.Point(0, 0), Rgb(9, 9, 9));
    EXPECT_EQ(box.Point(9, 7), Rgb(9, 9, 9));
}

TEST(PictureBox, DrawingThroughHdcIsSeenByPoint) {
    Host host;
    PictureBox::Design d;
    d.place.width = 20;
    d.place.height = 20;
    PictureBox box(host, L"box", d);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r{2, 2, 5, 5};
    FillRect(box.hDC(), &r, red);
    DeleteObject(red);
    EXPECT_EQ(box.Point(2, 2), Rgb(255, 0, 0));
    EXPECT_EQ(box.Point(4, 4), Rgb(255, 0, 0));
    EXPECT_NE(box.Point(5, 5), Rgb(255, 0, 0));
}

TEST(PictureBox, AutoSizeTakesPictureSizePlusBorderAndRaisesResize) {
    Host host;
    PictureBox::Design d;
    d.border = true;
    d.autoSize = true;
    PictureBox box(host, L"box", d);
    int resizes = 0;
    box.Resize = [&] { ++resizes; };
    TempFolder dir;
    test::WriteBmp(dir.File(L"p.bmp"), 30, 20);
    box.SetPicture(LoadPicture(dir.File(L"p.bmp")));
    EXPECT_GE(resizes, 1);
    EXPECT_EQ(box.ScaleWidth(), 30);
    EXPECT_EQ(box.ScaleHeight(), 20);
    const double border = box.Width() - box.ScaleWidth();
    EXPECT_GT(border, 0);
    EXPECT_EQ(box.Height() - box.ScaleHeight(), border);
    EXPECT_EQ(box.Point(29, 19), PatternColor(29, 19));
    // Image holds picture plus drawing, independent of later drawing.
    box.PSet(0, 0, Rgb(0, 0, 255));
    Picture image = box.Image();
    box.PSet(0, 0, Rgb(255, 0, 0));
    EXPECT_EQ(image.Width(), 30);
    EXPECT_EQ(ColorFromBgrx(image.Bitmap()->Bits()[0]), Rgb(0, 0, 255));
    EXPECT_NE(image.Handle(), 0);
    EXPECT_EQ(Picture().Handle(), 0);
    // Growing keeps the drawing and fills the new area with the background.
    box.SetWidth(box.Width() + 5);
    EXPECT_EQ(box.Point(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(box.Point(32, 0), ResolveColor(box.BackColor()));
}

TEST(PictureFiles, BmpAndJpegLoad) {
    TempFolder dir;
    test::WriteBmp(dir.File(L"a.bmp"), 17, 9);
    Picture bmp = LoadPicture(dir.File(L"a.bmp"));
    ASSERT_EQ(bmp.Width(), 17);
    ASSERT_EQ(bmp.Height(), 9);
    EXPECT_EQ(ColorFromBgrx(bmp.Bitmap()->Bits()[16 + 8 * 17]), PatternColor(16, 8));

    test::WriteJpeg(dir.File(L"b.jpg"), 32, 24, [](int, int) { return Rgb(200, 100, 50); });
    Picture jpg = LoadPicture(dir.File(L"b.jpg"));
    ASSERT_EQ(jpg.Width(), 32);
    const int32_t c = ColorFromBgrx(jpg.Bitmap()->Bits()[5]);
    EXPECT_NEAR(RedOf(c), 200, 6);
    EXPECT_NEAR(GreenOf(c), 100, 6);
    EXPECT_NEAR(BlueOf(c), 50, 6);

    EXPECT_TRUE(LoadPicture(L"").Empty());
}

TEST(PictureFiles, BadFilesRaiseErrorsWithoutCrashing) {
    TempFolder dir;
    EXPECT_EQ(ErrorOf([&] { LoadPicture(dir.File(L"missing.bmp")); }), kFileNotFound);
    EXPECT_EQ(ErrorOf([&] { LoadPicture(dir.Path()); }), kFileNotFound); // a folder
    test::WriteBytes(dir.File(L"empty.bmp"), "");
    EXPECT_EQ(ErrorOf([&] { LoadPicture(dir.File(L"empty.bmp")); }), kInvalidPicture);
    test::WriteBytes(dir.File(L"text.bmp"), "this is not a picture at all");
    EXPECT_EQ(ErrorOf([&] { LoadPicture(dir.File(L"text.bmp")); }), kInvalidPicture);
    // A header promising far more pixels than the file holds or memory allows.
    test::WriteBytes(dir.File(L"huge.bmp"), BmpHeader(60000, 60000) + std::string(64, 'x'));
    EXPECT_NE(ErrorOf([&] { LoadPicture(dir.File(L"huge.bmp")); }), 0);
    test::WriteBytes(dir.File(L"wide.bmp"), BmpHeader(2000000, 1) + std::string(64, 'x'));
    EXPECT_NE(ErrorOf([&] { LoadPicture(dir.File(L"wide.bmp")); }), 0);
    // Truncated pixel data.
    test::WriteBmp(dir.File(L"whole.bmp"), 64, 64);
    const std::string whole = test::ReadBytes(dir.File(L"whole.bmp"));
    test::WriteBytes(dir.File(L"cut.bmp"), whole.substr(0, 54 + 100));
    EXPECT_NE(ErrorOf([&] { LoadPicture(dir.File(L"cut.bmp")); }), 0);
    test::WriteBytes(dir.File(L"cut.jpg"), std::string("\xFF\xD8\xFF\xE0", 4));
    EXPECT_NE(ErrorOf([&] { LoadPicture(dir.File(L"cut.jpg")); }), 0);
}

TEST(PictureFiles, SaveWritesBmpAndNeverLeavesAPartialFile) {
    TempFolder dir;
    test::WriteBmp(dir.File(L"src.bmp"), 13, 7);
    const Picture pic = LoadPicture(dir.File(L"src.bmp"));
    SavePicture(pic, dir.File(L"out"));
    const Picture back = LoadPicture(dir.File(L"out"));
    ASSERT_EQ(back.Width(), 13);
    for (int i = 0; i < 13 * 7; ++i)
        ASSERT_EQ(back.Bitmap()->Bits()[i], pic.Bitmap()->Bits()[i]);

    // A failed write keeps the old file and leaves nothing behind.
    test::WriteBytes(dir.File(L"keep.bmp"), "old contents");
    SetFileAttributesW(dir.File(L"keep.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_NE(ErrorOf([&] { SavePicture(pic, dir.File(L"keep.bmp")); }), 0);
    SetFileAttributesW(dir.File(L"keep.bmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadBytes(dir.File(L"keep.bmp")), "old contents");
    EXPECT_NE(ErrorOf([&] { SavePicture(pic, dir.File(L"no such folder\\x.bmp")); }), 0);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(dir.File(L"*.tmp").c_str(), &fd);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "temporary file left behind";
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

// The temporary file's name once overran a buffer of MAX_PATH characters from a folder of
// about 247 characters on.
TEST(PictureFiles, SavesIntoLongFoldersAndKeepsAReadOnlyFile) {
    TempFolder dir;
    test::WriteBmp(dir.File(L"src.bmp"), 5, 3);
    const Picture pic = LoadPicture(dir.File(L"src.bmp"));
    for (size_t length : {240, 250, 260, 300, 1000}) {
        SCOPED_TRACE(length);
        const std::wstring folder =
            test::MakeFolderOfLength(dir.File(std::to_wstring(length)), length);
        const std::wstring file = folder + L"\\a.bmp";
        test::WriteBytes(file, "old contents");
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(ErrorOf([&] { SavePicture(pic, file); }), 75);
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(test::ReadBytes(file), "old contents");
        SavePicture(pic, file);
        EXPECT_EQ(LoadPicture(file).Width(), 5);
        EXPECT_EQ(test::EntriesIn(folder), 1u) << "a file left behind";
    }
}

// A link, or a link to a link, is not replaced: the file it leads to (in another folder) is,
// and keeps its attributes. A link that leads to no file is refused and stays.
TEST(PictureFiles, SavesThroughLinksIntoTheFileTheyLeadTo) {
    TempFolder dir;
    test::WriteBmp(dir.File(L"src.bmp"), 5, 3);
    test::WriteBmp(dir.File(L"src2.bmp"), 6, 3);
    const Picture pictures[] = {LoadPicture(dir.File(L"src.bmp")),
                                LoadPicture(dir.File(L"src2.bmp"))};
    const auto widthOf = [](const std::wstring &file) {
        try {
            return LoadPicture(file).Width();
        } catch (const RuntimeError &) {
            return -1;
        }
    };
    for (size_t length : {100, 300}) {
        SCOPED_TRACE(length);
        const std::wstring folder =
            test::MakeFolderOfLength(dir.File(std::to_wstring(length)), length);
        const std::wstring files = folder + L"\\files", file = files + L"\\a.bmp";
        CreateDirectoryW(files.c_str(), nullptr);
        test::WriteBytes(file, "old contents");
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
        const test::SymbolicLink link(folder + L"\\link.bmp", L"files\\a.bmp"),
            chain(folder + L"\\chain.bmp", L"link.bmp");
        ASSERT_TRUE(link.Made() && chain.Made());
        const test::SymbolicLink *links[] = {&link, &chain};
        for (int i = 0; i < 2; ++i) {
            SavePicture(pictures[i], links[i]->Path());
            EXPECT_EQ(widthOf(file), 5 + i);
            EXPECT_TRUE(test::SameFile(links[i]->Path(), file)) << "the link was replaced";
            EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
        }
        EXPECT_EQ(test::EntriesIn(files), 1u) << "a file left behind";

        const test::SymbolicLink nowhere(folder + L"\\nowhere.bmp", L"files\\none.bmp");
        ASSERT_TRUE(nowhere.Made());
        EXPECT_EQ(ErrorOf([&] { SavePicture(pictures[0], nowhere.Path()); }), 75);
        test::WriteBytes(files + L"\\none.bmp", "made later");
        EXPECT_EQ(test::ReadBytes(nowhere.Path()), "made later") << "the link was replaced";
        EXPECT_EQ(test::EntriesIn(folder), 4u) << "a file left behind";
    }
}

TEST(PictureBox, PaintPictureAppliesTheRasterCode) {
    Host host;
    PictureBox::Design d;
    d.place.width = 8;
    d.place.height = 8;
    d.backColor = Rgb(0x0F, 0xF0, 0x33);
    PictureBox target(host, L"target", d);
    auto bmp = std::make_shared<Bitmap32>(4, 4);
    bmp->Fill(BgrxFromColor(Rgb(0xFF, 0x0F, 0x00)));
    const Picture pic(bmp);
    target.PaintPicture(pic, 2, 2, 4, 4, 0, 0, 4, 4, SRCINVERT);
    EXPECT_EQ(target.Point(2, 2), Rgb(0x0F ^ 0xFF, 0xF0 ^ 0x0F, 0x33));
    EXPECT_EQ(target.Point(1, 1), Rgb(0x0F, 0xF0, 0x33));
    target.PaintPicture(pic, 0, 0, 4, 4, 0, 0, 4, 4);
    EXPECT_EQ(target.Point(0, 0), Rgb(0xFF, 0x0F, 0x00));
}

TEST(PictureBox, PicturesHandedOnNeverChangeWithLaterDrawing) {
    Host host;
    PictureBox::Design d;
    d.autoSize = true;
    PictureBox a(host, L"a", d), b(host, L"b", d);
    auto bmp = std::make_shared<Bitmap32>(6, 4);
    bmp->Fill(BgrxFromColor(Rgb(1, 2, 3)));
    const Picture original(bmp);
    a.SetPicture(original);
    a.PSet(0, 0, Rgb(9, 9, 9)); // drawing over a picture leaves the picture object alone
    EXPECT_EQ(ColorFromBgrx(original.Bitmap()->Bits()[0]), Rgb(1, 2, 3));
    EXPECT_EQ(a.GetPicture().Handle(), original.Handle());

    const Picture image = a.Image();
    b.SetPicture(image);
    a.Cls();
    RECT r{0, 0, 6, 4};
    FillRect(b.hDC(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(ColorFromBgrx(image.Bitmap()->Bits()[0]), Rgb(9, 9, 9));
    EXPECT_EQ(ColorFromBgrx(image.Bitmap()->Bits()[1]), Rgb(1, 2, 3));
    EXPECT_EQ(b.Point(1, 0), 0);
    EXPECT_EQ(a.Point(1, 0), ResolveColor(a.BackColor()));
}

// Every generated header fed to the loader under a memory ceiling: a size beyond the limit
// is refused before any decoder allocates for it, a header that does not hold together is
// refused, and whatever loads is the picture its header declares.
TEST(PictureFiles, GeneratedHeadersEndInARefusalOrTheirPicture) {
    TempFolder dir;
    test::WriteJpeg(dir.File(L"base.jpg"), 40, 30);
    std::vector<test::PictureCase> cases = test::BmpCases();
    for (test::PictureCase &c : test::JpegCases(test::ReadBytes(dir.File(L"base.jpg"))))
        cases.push_back(std::move(c));
    ASSERT_GT(cases.size(), 500u);
    const test::MemoryCeiling ceiling(size_t{512} << 20);
    const std::wstring file = dir.File(L"case");
    for (const test::PictureCase &c : cases) {
        test::WriteBytes(file, c.bytes);
        Picture picture;
        const int error = ErrorOf([&] { picture = LoadPicture(file); });
        if (!c.declared) {
            EXPECT_EQ(error, kInvalidPicture) << c.name;
        } else if (!kPictureLimit.Fits(c.declared->width, c.declared->height)) {
            EXPECT_EQ(error, kOutOfMemory) << c.name;
        } else if (error != 0 && c.pixels.empty()) {
            EXPECT_EQ(error, kInvalidPicture) << c.name; // the decoder's refusal
        } else {
            EXPECT_EQ(error, 0) << c.name;
            if (error) continue;
            EXPECT_EQ(picture.Width(), c.declared->width) << c.name;
            EXPECT_EQ(picture.Height(), c.declared->height) << c.name;
            for (size_t i = 0; i < c.pixels.size(); ++i)
                if (ColorFromBgrx(picture.Bitmap()->Bits()[i]) != c.pixels[i]) {
                    ADD_FAILURE() << c.name << ": pixel " << i << " is " << std::hex
                                  << ColorFromBgrx(picture.Bitmap()->Bits()[i]);
                    break;
                }
        }
    }
}

// The window keeps answering while a picture loads, and a picture large enough for its memory
// to come in on other threads arrives whole; an error raised by an event during one of those
// yields comes out of the loader rather than through the decoder.
TEST(PictureFiles, LoadingYieldsAndAnErrorOfAYieldComesOut) {
    TempFolder dir;
    test::WriteJpeg(dir.File(L"p.jpg"), 400, 300);
    test::WriteBmp(dir.File(L"p.bmp"), 2000, 1200); // several strips
    struct Unhook {
        ~Unhook() { SetYieldHook({}); }
    } unhook;
    for (const std::wstring &path : {dir.File(L"p.jpg"), dir.File(L"p.bmp")}) {
        int yields = 0;
        SetYieldHook([&] { ++yields; });
        const Picture picture = LoadPicture(path);
        EXPECT_EQ(picture.Width() % 400, 0);
        EXPECT_GT(yields, 1);
        for (int y = 0; picture.Width() == 2000 && y < 1200; ++y)
            for (int x = 0; x < 2000; ++x)
                ASSERT_EQ(ColorFromBgrx(picture.Bitmap()->Bits()[size_t(y) * 2000 + x]),
                          test::PatternColor(x, y))
                    << x << "," << y;
        SetYieldHook([] { throw RuntimeError(kOverflow); });
        EXPECT_EQ(ErrorOf([&] { LoadPicture(path); }), kOverflow);
    }
}

// A box sized to its picture shows it without a copy of its own until it draws.
TEST(PictureBox, SizingToAPictureTakesItOverWithoutACopy) {
    Host host;
    PictureBox box(host, L"box", {.border = true, .autoSize = true});
    const Picture picture(std::make_shared<Bitmap32>(30, 20));
    box.SetPicture(picture);
    EXPECT_EQ(box.Image().Handle(), picture.Handle());
}

// A tall picture replaced by a wide one: the box passes through the new width with the old
// height, larger than any picture, without allocating for it or losing what it keeps.
TEST(PictureBox, PassesThroughASizeLargerThanAnyPicture) {
    Host host;
    PictureBox box(host, L"box", {.place = {0, 0, 100, 20000}, .backColor = Rgb(9, 9, 9)});
    box.PSet(5, 5, Rgb(1, 2, 3));
    box.SetWidth(20000); // 400 megapixels for a moment
    box.SetHeight(100);
    EXPECT_EQ(box.ScaleWidth(), 20000);
    EXPECT_EQ(box.ScaleHeight(), 100);
    EXPECT_EQ(box.Point(5, 5), Rgb(1, 2, 3));
    EXPECT_EQ(box.Point(19999, 99), Rgb(9, 9, 9));
}

// An error in a resize event cannot unwind through the system's code that sent the message
// (under Wine that never returns): it reaches the code that set the size.
TEST(PictureBox, AnErrorInItsResizeEventReachesTheCodeThatSetTheSize) {
    Host host;
    PictureBox box(host, L"box", {.place = {0, 0, 10, 10}});
    box.Resize = [] { throw RuntimeError(kOverflow); };
    EXPECT_EQ(ErrorOf([&] { box.SetWidth(20); }), kOverflow);
    box.Resize = nullptr;
    EXPECT_EQ(ErrorOf([&] { box.SetWidth(30); }), 0);
    EXPECT_EQ(box.ScaleWidth(), 30);
}

TEST(PictureBox, ScreenShowsThePixelsHeldAndTheBackgroundBeyondThem) {
    Host host;
    host.Show();
    PictureBox::Design d;
    d.place.width = 40;
    d.place.height = 30;
    d.backColor = Rgb(255, 0, 0);
    PictureBox box(host, L"box", d);
    // Everything the screen shows is the persistent image as Point reads it.
    auto expectScreenIsImage = [&] {
        PumpMessages();
        UpdateWindow(box.Hwnd());
        HDC dc = GetDC(box.Hwnd());
        for (int y = 0; y < 30; y += 2)
            for (int x = 0; x < 40; x += 2)
                ASSERT_EQ(int32_t(GetPixel(dc, x, y)), box.Point(x, y)) << x << "," << y;
        ReleaseDC(box.Hwnd(), dc);
    };
    auto blue = std::make_shared<Bitmap32>(20, 10);
    blue->Fill(BgrxFromColor(Rgb(0, 0, 255)));
    box.SetPicture(Picture(blue)); // smaller than the box: the rest is background
    // Whole columns drawn past the picture: the rows written, the rest background.
    uint32_t *pixels = box.ColumnsForDrawing(25, 27, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 25; x < 27; ++x)
            pixels[size_t(y) * box.PixelStride() + size_t(x)] = BgrxFromColor(Rgb(0, 255, 0));
    box.MarkDrawn(25, 0, 27, 5);
    EXPECT_EQ(box.Point(5, 5), Rgb(0, 0, 255));
    EXPECT_EQ(box.Point(26, 4), Rgb(0, 255, 0));
    for (auto [x, y] : {std::pair{26, 5}, {22, 0}, {5, 12}, {39, 29}})
        EXPECT_EQ(box.Point(x, y), Rgb(255, 0, 0)) << x << "," << y;
    expectScreenIsImage();
    box.Cls();
    box.PSet(3, 3, Rgb(1, 2, 3));
    EXPECT_EQ(box.Point(5, 5), Rgb(255, 0, 0));
    expectScreenIsImage();
}

namespace {
// A hidden box large enough for its surfaces to come from the pool.
PictureBox::Design HiddenSquare(int side) {
    PictureBox::Design d;
    d.place.width = side;
    d.place.height = side;
    d.visible = false;
    return d;
}
} // namespace

TEST(PictureBox, LargeImagesHandedOnStayAsTheyWereWhileSurfacesAreReused) {
    // Large enough for surfaces to be kept and made ready ahead for reuse.
    constexpr int kSide = 1100;
    Host host;
    const PictureBox::Design d = HiddenSquare(kSide);
    PictureBox result(host, L"result", d), view(host, L"view", d);
    std::vector<std::pair<Picture, uint32_t>> handedOn;
    for (int run = 0; run < 4; ++run) {
        result.Cls();
        const int32_t color = Rgb(run * 40, 255 - run * 40, run);
        uint32_t *pixels = result.ColumnsForDrawing(0, kSide, kSide);
        for (int y = 0; y < kSide; ++y)
            std::fill_n(pixels + size_t(y) * result.PixelStride(), kSide, BgrxFromColor(color));
        result.MarkDrawn(0, 0, kSide, kSide);
        EXPECT_EQ(result.Point(kSide - 1, kSide - 1), color);
        handedOn.emplace_back(result.Image(), BgrxFromColor(color));
        view.SetPicture(handedOn.back().first);
        if (run % 2) handedOn.erase(handedOn.begin()); // its surface may now be reused
        PumpMessages();
        Sleep(20); // a spare is made ready once the handler is over
        PumpMessages();
    }
    for (const auto &[picture, px] : handedOn) {
        const uint32_t *bits = picture.Bitmap()->Bits();
        EXPECT_EQ(std::count(bits, bits + size_t(kSide) * kSide, px), kSide * kSide);
    }
    EXPECT_EQ(view.Point(5, 5), ColorFromBgrx(handedOn.back().second));
}

// A band of top rows drawn into a box that holds a smaller picture: the picture, the band and
// the background beyond them read, show and are handed on as one image, also once the box
// goes on to draw columns or is cleared.
TEST(PictureBox, ABandOfRowsDrawnKeepsTheRestOfTheImage) {
    Host host;
    host.Show();
    PictureBox::Design d;
    d.place.width = 40;
    d.place.height = 30;
    const int32_t red = Rgb(255, 0, 0), green = Rgb(0, 255, 0), blue = Rgb(0, 0, 255);
    d.backColor = red;
    PictureBox box(host, L"box", d);
    auto picture = std::make_shared<Bitmap32>(20, 10);
    picture->Fill(BgrxFromColor(blue));
    box.SetPicture(Picture(picture));
    box.RowsForDrawing(15)[size_t(12) * box.PixelStride() + 30] = BgrxFromColor(green);
    box.MarkDrawn(30, 12, 31, 13);
    uint32_t *column = box.ColumnsForDrawing(35, 36, 2) + 35;
    column[0] = column[box.PixelStride()] = BgrxFromColor(green);
    box.MarkDrawn(35, 0, 36, 2);
    EXPECT_EQ(box.Point(19, 9), blue);
    for (auto [x, y] : {std::pair{30, 12}, {35, 0}, {35, 1}})
        EXPECT_EQ(box.Point(x, y), green) << x << "," << y;
    for (auto [x, y] : {std::pair{25, 5}, {5, 12}, {39, 14}, {35, 2}, {5, 15}, {39, 29}})
        EXPECT_EQ(box.Point(x, y), red) << x << "," << y;

    PumpMessages();
    UpdateWindow(box.Hwnd());
    HDC dc = GetDC(box.Hwnd());
    const Picture image = box.Image();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const int32_t c = box.Point(x, y);
            ASSERT_EQ(ColorFromBgrx(image.Bitmap()->Bits()[size_t(y) * 40 + size_t(x)]), c);
            ASSERT_EQ(int32_t(GetPixel(dc, x, y)), c) << x << "," << y;
        }
    ReleaseDC(box.Hwnd(), dc);

    box.Cls();
    box.RowsForDrawing(5);
    box.PSet(3, 20, blue);
    EXPECT_EQ(box.Point(3, 20), blue);
    EXPECT_EQ(box.Point(30, 12), red);
    EXPECT_EQ(box.Point(5, 5), red);
}

namespace {
uint32_t BandColor(int x, int y, int run) {
    return uint32_t((x * 7 + y * 13 + run) | 1);
}

// Clears the box and draws its whole square band by band from the top, seven rows at a time,
// with `beforeBand` called before each band; the image drawn.
Picture DrawBandByBand(PictureBox &box, int side, int run,
                       const std::function<void(int)> &beforeBand = {}) {
    box.Cls();
    for (int y = 0; y < side; y += 7) {
        if (beforeBand) beforeBand(y);
        const int bottom = std::min(y + 7, side);
        uint32_t *pixels = box.RowsForDrawing(bottom);
        for (int yy = y; yy < bottom; ++yy)
            for (int x = 0; x < side; ++x)
                pixels[size_t(yy) * box.PixelStride() + size_t(x)] = BandColor(x, yy, run);
    }
    return box.Image();
}

void ExpectBands(const Picture &image, int side, int run) {
    const uint32_t *bits = image.Bitmap()->Bits();
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            ASSERT_EQ(bits[size_t(y) * side + size_t(x)], BandColor(x, y, run))
                << run << ": " << x << "," << y;
}
} // namespace

// The memory of a fresh large surface comes in on other threads while its top rows are drawn
// band by band: nothing drawn is lost to that.
TEST(PictureBox, LargeImagesDrawnBandByBandKeepEveryPixel) {
    constexpr int kSide = 1100;
    Host host;
    PictureBox box(host, L"box", HiddenSquare(kSide));
    std::vector<Picture> handedOn; // each run draws into a fresh surface
    for (int run = 0; run < 3; ++run)
        handedOn.push_back(DrawBandByBand(box, kSide, run));
    for (int run = 0; run < 3; ++run)
        ExpectBands(handedOn[size_t(run)], kSide, run);
}

// The program's end stops the worker threads while a fresh surface's memory is coming in and
// its rows are being drawn: the drawing goes on without them and keeps every pixel. They
// stay stopped for the rest of this test program.
TEST(PictureBox, WorkerThreadsStoppedWhileAFreshSurfaceIsDrawnLoseNothing) {
    constexpr int kSide = 1500; // a size of its own: a fresh surface
    Host host;
    PictureBox box(host, L"box", HiddenSquare(kSide));
    ExpectBands(DrawBandByBand(box, kSide, 0,
                               [](int y) {
                                   if (y == 7 * 50) StopWorkerThreads();
                               }),
                kSide, 0);
}
