#include "menu.h"
#include "prompts.h"
#include "runtime.h"
#include "toolkit.h"

#include "fake_prompts.h"

#include <gtest/gtest.h>

using namespace mirolt::platform;

TEST(Runtime, AnsiCodePageIsShiftJis) {
    EXPECT_EQ(GetACP(), 932u);
}

TEST(Runtime, YieldHookSeesEveryCallAndPumpsAreRare) {
    int calls = 0;
    SetYieldHook([&] { ++calls; });
    ResetYieldStats();
    for (int i = 0; i < 100000; ++i)
        DoEvents();
    SetYieldHook({});
    EXPECT_EQ(calls, 100000);
    // 100000 cheap calls take far less than a second: only a few real pumps.
    EXPECT_LT(GetYieldStats().pumps, 100u);
    for (int i = 0; i < 10; ++i)
        DoEvents();
    EXPECT_EQ(calls, 100000);
}

TEST(Runtime, YieldDeliversPendingClicks) {
    class Host : public Form {
      public:
        Host() : Form(FormDesign{L"host", 3000, 2000}) {}
        CommandButton Command1{
            *this, L"Command1", {.place = {100, 100, 735, 255}, .caption = L"Cancel"}};
    } host;
    host.Show();
    bool clicked = false;
    host.Command1.Click = [&] { clicked = true; };
    PostMessageW(host.Hwnd(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(host.Command1.Hwnd()));
    const DWORD start = GetTickCount();
    while (!clicked && GetTickCount() - start < 2000)
        DoEvents();
    EXPECT_TRUE(clicked);
}

TEST(Runtime, SettingsRoundTripWithDefault) {
    DeleteSetting(L"MiroltTest");
    EXPECT_EQ(GetSetting(L"MiroltTest", L"Options", L"Key", L"1"), L"1");
    SaveSetting(L"MiroltTest", L"Options", L"Key", L"0");
    EXPECT_EQ(GetSetting(L"MiroltTest", L"Options", L"Key", L"1"), L"0");
    DeleteSetting(L"MiroltTest");
    EXPECT_EQ(GetSetting(L"MiroltTest", L"Options", L"Key"), L"");
}

TEST(Runtime, MessageBoxesGoThroughTheSeamWithTheProgramsTitle) {
    mirolt::test::FakePrompts prompts;
    prompts.AnswerMsgBox(vbNo);
    EXPECT_EQ(MsgBox(L"質問?", vbYesNo + vbInformation, L"題"), vbNo);
    EXPECT_EQ(MsgBox(L"完了"), vbOK);
    ASSERT_EQ(prompts.seen.size(), 2u);
    EXPECT_EQ(prompts.seen[0].buttons, 68);
    EXPECT_EQ(prompts.seen[0].title, L"題");
    EXPECT_EQ(prompts.seen[1].title, L"Mirolt");
}

TEST(Runtime, CommandLineAndUpperCase) {
    EXPECT_EQ(UCase(L"c:\\dir with space\\a.bmp"), L"C:\\DIR WITH SPACE\\A.BMP");
    EXPECT_FALSE(AppPath().empty());
    EXPECT_NE(AppPath().back(), L'\\');
}

TEST(Menus, StatesReachTheWindowsMenu) {
    class Host : public Form {
      public:
        Host() : Form(FormDesign{L"host", 3000, 2000}) {}
        MenuItem File{*this, L"File", L"ファイル"};
        MenuItem Open{File, L"Open", L"開く"};
        MenuItem Sep{File, L"Sep", L"-"};
        MenuItem Save{File, L"Save", L"保存"};
        MenuItem Popup{*this, L"Popup", L"隠れ", false};
        MenuItem PopItem{Popup, L"PopItem", L"項目"};
    };
    FormInstance<Host> host;
    host.Load();
    HMENU bar = GetMenu(host->Hwnd());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 1); // the hidden pop-up is not on the bar
    HMENU file = GetSubMenu(bar, 0);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    host->Save.SetEnabled(false);
    EXPECT_TRUE(GetMenuState(file, 2, MF_BYPOSITION) & MF_GRAYED);
    host->File.SetEnabled(false);
    EXPECT_TRUE(GetMenuState(bar, 0, MF_BYPOSITION) & MF_GRAYED);
    host->Open.SetChecked(true);
    EXPECT_TRUE(GetMenuState(file, 0, MF_BYPOSITION) & MF_CHECKED);

    // Menu commands and the opening of a menu reach the handlers.
    int opened = 0, saved = 0;
    host->File.Click = [&] { ++opened; };
    host->Save.Click = [&] { ++saved; };
    SendMessageW(host->Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    SendMessageW(host->Hwnd(), WM_COMMAND, MAKEWPARAM(host->Save.Id(), 0), 0);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(saved, 1);

    // A pop-up runs the chosen item.
    mirolt::test::FakePrompts prompts;
    int popped = 0;
    host->PopItem.Click = [&] { ++popped; };
    prompts.ChooseMenu(L"PopItem");
    host->PopupMenu(host->Popup);
    EXPECT_EQ(popped, 1);
    host.Unload();
    EXPECT_FALSE(host.IsLoaded());
}

TEST(Forms, TitleBarCloseUnloadsAndTheNextUseStartsFromTheDesign) {
    static int loads = 0;
    class Dialog : public Form {
      public:
        Dialog() : Form(FormDesign{L"dialog", 3000, 2000, BorderStyle::FixedDialog}) {}
        int value = 0;

      protected:
        void Form_Load() override { ++loads; }
    };
    FormInstance<Dialog> dialog;
    dialog.Show();
    dialog->value = 5;
    dialog.Hide();
    dialog.Show();
    EXPECT_EQ(dialog->value, 5); // hiding keeps everything
    SendMessageW(dialog->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(dialog.IsLoaded());
    PumpMessages();
    EXPECT_EQ(dialog->value, 0);
    EXPECT_EQ(loads, 2);
    dialog.Unload();
    PumpMessages();
}
