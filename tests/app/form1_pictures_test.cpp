#include "form1_fixture.h"

#include "module1.h"

#include "clipboard.h"
#include "drop.h"
#include "picture_limits.h"
#include "prompts.h"

#include <ole2.h>

using namespace mirolt;
using namespace mirolt::platform;
using mirolt::test::Form1Test;
using mirolt::test::PatternColor;
using namespace mirolt::test;

namespace {

struct FakeDrop : DataObject {
    bool hasFiles = true;
    std::vector<std::wstring> files;
    bool GetFormat(int format) const override { return format == vbCFFiles && hasFiles; }
    std::vector<std::wstring> Files() const override { return files; }
};

class PicturesTest : public Form1Test {
  protected:
    std::wstring MakeBmp(const std::wstring &name, int w = 40, int h = 30) {
        const std::wstring path = dir.File(name);
        test::WriteBmp(path, w, h);
        return path;
    }
    void Open(const std::wstring &path) {
        prompts.ChooseFile(path);
        F().FileOpen_Click();
    }
    void PutBitmapOnClipboard(int w, int h) {
        ClipboardClear();
        auto bmp = std::make_shared<Bitmap32>(w, h);
        for (int i = 0; i < w * h; ++i)
            bmp->Bits()[i] = BgrxFromColor(PatternColor(i % w, i / w));
        ASSERT_TRUE(ClipboardSetBitmap(Picture(bmp)));
    }
};

} // namespace

TEST_F(PicturesTest, OpeningAFileEntersThePictureLoadedState) {
    app::Form1 &f = F();
    Open(MakeBmp(L"a.bmp"));
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].kind, test::SeenPrompt::Kind::OpenDialog);
    EXPECT_EQ(prompts.seen[0].request.filter, app::kOpenFilter);
    EXPECT_EQ(StateOf(f), kPictureLoaded);
    EXPECT_EQ(f.Picture6.ScaleWidth(), 40);
    EXPECT_EQ(f.Picture6.Point(39, 29), PatternColor(39, 29));
    EXPECT_EQ(f.Picture1.Width(), f.Picture6.Width());
    EXPECT_EQ(f.Picture2.Height(), f.Picture6.Height());
    EXPECT_EQ(f.Picture3.GetPicture().Handle(), 0);

    // JPEG files open the same way.
    const std::wstring jpg = dir.File(L"b.JPG");
    test::WriteJpeg(jpg, 50, 20);
    Open(jpg);
    EXPECT_EQ(f.Picture6.ScaleWidth(), 50);
}

TEST_F(PicturesTest, CancelOrUnreadableFileChangesNothing) {
    app::Form1 &f = F();
    Open(MakeBmp(L"a.bmp", 400, 400));
    f.HScroll1.SetValue(1);
    const WindowState before = StateOf(f);
    prompts.CancelFile();
    f.OnlyOpen_Click();
    test::WriteBytes(dir.File(L"bad.bmp"), "BM broken");
    Open(dir.File(L"bad.bmp"));
    for (const std::wstring &bad : {dir.File(L"missing.bmp"), dir.Path()})
        Open(bad);
    EXPECT_EQ(StateOf(f), before);
    EXPECT_EQ(f.HScroll1.Value(), 1);
    EXPECT_EQ(f.Picture1.Point(5, 5), PatternColor(5, 5));
    EXPECT_EQ(prompts.Messages().size(), 0u);
    // The dialog keeps the chosen name even when it could not be read.
    EXPECT_EQ(f.CommonDialog1.FileName, dir.Path());
}

TEST_F(PicturesTest, SaveStartsWithTheOpenedNameAndWritesExactlyTheChosenName) {
    app::Form1 &f = F();
    const std::wstring src = MakeBmp(L"source.bmp");
    Open(src);
    const std::wstring target = dir.File(L"no extension");
    prompts.ChooseFile(target);
    f.Save_Click();
    const auto &save = prompts.seen.back();
    EXPECT_EQ(save.kind, test::SeenPrompt::Kind::SaveDialog);
    EXPECT_EQ(save.request.fileName, src);
    EXPECT_EQ(save.request.filter, app::kBmpSaveFilter);
    EXPECT_EQ(f.CommonDialog1.Filter, app::kOpenFilter);
    // Written as Picture2 stands: the cleared working picture of the working size.
    const Picture back = LoadPicture(target);
    EXPECT_EQ(back.Width(), f.Picture2.ScaleWidth());
    EXPECT_EQ(ColorFromBgrx(back.Bitmap()->Bits()[0]), f.Picture2.Point(0, 0));

    // A published result is what gets saved; confirming the opened name overwrites it.
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            f.Picture2.PSet(x, y, PatternColor(y, x));
    f.PublishResult();
    prompts.ChooseFile(src);
    f.OnlyBMP.Click();
    const Picture saved = LoadPicture(src);
    EXPECT_EQ(ColorFromBgrx(saved.Bitmap()->Bits()[3 * saved.Width() + 7]), PatternColor(3, 7));
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(PicturesTest, SaveCancelOrFailureIsSilentAndRestoresTheFilter) {
    app::Form1 &f = F();
    Open(MakeBmp(L"a.bmp"));
    prompts.CancelFile();
    f.Save_Click();
    EXPECT_EQ(f.CommonDialog1.Filter, app::kOpenFilter);
    prompts.ChooseFile(dir.File(L"no such folder\\x.bmp"));
    f.Save_Click();
    EXPECT_EQ(f.CommonDialog1.Filter, app::kOpenFilter);
    test::WriteBytes(dir.File(L"ro.bmp"), "old");
    SetFileAttributesW(dir.File(L"ro.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
    prompts.ChooseFile(dir.File(L"ro.bmp"));
    f.Save_Click();
    SetFileAttributesW(dir.File(L"ro.bmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadBytes(dir.File(L"ro.bmp")), "old");
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(PicturesTest, DropLoadsTheFirstFileAfterShowingItsPath) {
    app::Form1 &f = F();
    FakeDrop drop;
    drop.files = {MakeBmp(L"first.bmp", 33, 22), MakeBmp(L"second.bmp", 44, 11)};
    f.Picture5_OLEDragDrop(drop);
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>{drop.files[0]});
    EXPECT_EQ(f.Picture6.ScaleWidth(), 33);
    EXPECT_EQ(StateOf(f), kPictureLoaded);

    // Without a file list nothing happens.
    prompts.seen.clear();
    FakeDrop text;
    text.hasFiles = false;
    f.Picture6_OLEDragDrop(text);
    EXPECT_TRUE(prompts.seen.empty());
}

TEST_F(PicturesTest, UnreadableDropStillEntersThePictureLoadedState) {
    app::Form1 &f = F();
    Open(MakeBmp(L"keep.bmp", 20, 20));
    f.Picture2.PSet(0, 0, 0x123456);
    f.PublishResult();
    FakeDrop drop;
    drop.files = {dir.File(L"not there.bmp")};
    f.Picture6_OLEDragDrop(drop);
    EXPECT_EQ(prompts.Messages(), (std::vector<std::wstring>{drop.files[0], L"開けない！"}));
    EXPECT_EQ(StateOf(f), kPictureLoaded);
    EXPECT_EQ(f.Picture1.Point(3, 3), PatternColor(3, 3)); // the source stays
    EXPECT_EQ(f.Picture3.GetPicture().Handle(), 0);        // the result is cleared
}

// Nothing is cut at the window limit: a picture whose views, border included, would be
// larger than a window is refused by every loader in its own words.
TEST_F(PicturesTest, PicturesTheViewsCannotHoldWholeAreRefused) {
    app::Form1 &f = F();
    const std::wstring wide = MakeBmp(L"wide.bmp", 32766, 5), tall = MakeBmp(L"tall.bmp", 1, 32767);
    for (const std::wstring &path : {wide, tall}) {
        Open(path); // the open dialog ends silently
        app::LoadCommandLinePicture(path);
        FakeDrop drop;
        drop.files = {path};
        f.Picture5_OLEDragDrop(drop);
    }
    PutBitmapOnClipboard(32766, 5);
    f.Load_Click();
    EXPECT_EQ(prompts.Messages(),
              (std::vector<std::wstring>{L"開けない！", wide, L"開けない！", L"開けない！", tall,
                                         L"開けない！",
                                         L"クリップボードの内容が正しい画像ではありません。"}));
    EXPECT_EQ(f.Picture6.GetPicture().Handle(), 0);

    // The largest picture loads whole: its view is as large as a window may be.
    Open(MakeBmp(L"largest.bmp", kMaxPictureSide, 5));
    EXPECT_EQ(f.Picture6.Width(), kMaxWindowSide);
    EXPECT_EQ(f.Picture6.ScaleWidth(), kMaxPictureSide);
    EXPECT_EQ(f.Picture6.Point(kMaxPictureSide - 1, 4), PatternColor(kMaxPictureSide - 1, 4));
    EXPECT_EQ(f.Picture2.Width(), kMaxWindowSide);
}

TEST_F(PicturesTest, ClipboardCopyOpenAndProbes) {
    app::Form1 &f = F();
    ClipboardClear();
    f.Clip_Click();
    EXPECT_FALSE(f.Load.Enabled());
    f.Picture5_MouseUp(vbLeftButton, 0, 1, 1);
    EXPECT_FALSE(f.OnlyClipOpen.Enabled());
    EXPECT_TRUE(prompts.seen.empty()); // a left button shows no pop-up

    // Opening with no bitmap: the message, and nothing else changes.
    f.Load_Click();
    EXPECT_EQ(prompts.seen.back().text, L"クリップボードの内容が正しい画像ではありません。");
    EXPECT_EQ(prompts.seen.back().title, L"読みこみエラー");
    EXPECT_EQ(StateOf(f), kStartUp);

    PutBitmapOnClipboard(25, 15);
    f.Clip_Click();
    EXPECT_TRUE(f.Load.Enabled());
    f.Picture5_MouseUp(vbMiddleButton, 0, 1, 1);
    EXPECT_TRUE(f.OnlyClipOpen.Enabled());
    f.OnlyClipOpen.Click();
    EXPECT_EQ(StateOf(f), kAfterClipboardOpen);
    EXPECT_EQ(f.Picture6.Point(24, 14), PatternColor(24, 14));

    // Copy puts the result on the clipboard as a bitmap.
    for (int x = 0; x < 10; ++x)
        f.Picture2.PSet(x, 0, 0x0000FF);
    f.Copy_Click();
    const Picture copied = ClipboardGetBitmap();
    ASSERT_EQ(copied.Width(), f.Picture2.ScaleWidth());
    EXPECT_EQ(ColorFromBgrx(copied.Bitmap()->Bits()[5]), 0x0000FF);
}

TEST_F(PicturesTest, MoveAskedMovesOnlyOnYes) {
    app::Form1 &f = F();
    Open(MakeBmp(L"a.bmp", 30, 20));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            f.Picture2.PSet(x, y, 0x00FF00);
    f.PublishResult();
    EXPECT_EQ(StateOf(f), kPublished);

    prompts.AnswerMsgBox(vbNo);
    f.Idou_Click();
    EXPECT_EQ(StateOf(f), kPublished);
    EXPECT_EQ(prompts.seen.back().text, L"ピクチャを移動してよろしいですか?");
    EXPECT_EQ(prompts.seen.back().buttons, 68);
    EXPECT_EQ(prompts.seen.back().title, L"ピクチャの移動");
    // Esc or the close button: nothing moves either.
    prompts.AnswerMsgBox(vbCancel);
    f.Idou_Click();
    EXPECT_EQ(StateOf(f), kPublished);
    EXPECT_EQ(f.Picture1.Point(5, 5), PatternColor(5, 5));

    prompts.AnswerMsgBox(vbYes);
    f.Picture3_DblClick();
    EXPECT_EQ(StateOf(f), kAfterMove);
    EXPECT_EQ(f.Picture1.Point(5, 5), 0x00FF00);
    EXPECT_EQ(f.Picture6.Point(5, 5), 0x00FF00);
    EXPECT_EQ(f.Picture2.Point(5, 5), ResolveColor(f.Picture2.BackColor()));
    EXPECT_EQ(f.Picture3.Point(5, 5), ResolveColor(f.Picture2.BackColor()));
}

TEST_F(PicturesTest, PopupsPerButtonAndBoxCallTheirMenuTwins) {
    app::Form1 &f = F();
    f.Picture5_MouseUp(vbRightButton, 0, 1, 1);
    f.Picture6_MouseUp(vbLeftButton, 0, 1, 1);
    f.Picture6_MouseUp(vbRightButton, 0, 1, 1);
    f.Picture3_MouseUp(vbMiddleButton, 0, 1, 1);
    f.Picture3_MouseUp(vbRightButton, 0, 1, 1);
    std::vector<std::wstring> shown;
    for (const auto &p : prompts.seen)
        shown.push_back(p.text);
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"OpenOnly", L"OnlySyori", L"OnlyHozon"}));

    // The pop-up's open item runs the open dialog, like the menu bar's.
    prompts.ChooseMenu(L"OnlyOpen").ChooseFile(MakeBmp(L"p.bmp"));
    f.Picture5_MouseUp(vbRightButton, 0, 1, 1);
    EXPECT_EQ(StateOf(f), kPictureLoaded);
    // The result pop-up's move item asks the move question.
    f.PublishResult();
    prompts.ChooseMenu(L"OnlyIdou").AnswerMsgBox(vbNo);
    f.Picture3_MouseUp(vbRightButton, 0, 1, 1);
    EXPECT_EQ(prompts.seen.back().title, L"ピクチャの移動");
    EXPECT_TRUE(prompts.ScriptDone());
}

TEST_F(PicturesTest, ResultPublicationShowsTheResultAndEnablesTheResultMenus) {
    app::Form1 &f = F();
    Open(MakeBmp(L"a.bmp"));
    f.Picture2.PSet(1, 1, 0xABCDEF);
    f.PublishResult();
    EXPECT_EQ(StateOf(f), kPublished);
    EXPECT_EQ(f.Picture3.Point(1, 1), 0xABCDEF);
}

TEST_F(PicturesTest, SourcePaneAndViewAcceptDrops) {
    app::Form1 &f = F();
    // Registered once already: a second registration is refused.
    struct Nothing : IDropTarget {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **out) override {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *, DWORD, POINTL, DWORD *) override {
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD *) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE Drop(IDataObject *, DWORD, POINTL, DWORD *) override {
            return S_OK;
        }
    } nothing;
    EXPECT_EQ(RegisterDragDrop(f.Picture5.Hwnd(), &nothing), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(RegisterDragDrop(f.Picture6.Hwnd(), &nothing), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(RegisterDragDrop(f.Picture3.Hwnd(), &nothing), S_OK); // the result takes none
    RevokeDragDrop(f.Picture3.Hwnd());
}
