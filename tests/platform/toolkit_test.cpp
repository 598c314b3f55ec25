// The toolkit as window authors use it: a sample window driven by real key messages
// through the message loop, control arrays, timers and the run-time error box.
#include "toolkit.h"

#include "errors.h"
#include "fake_prompts.h"
#include "keys.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

using namespace mirolt;
using namespace mirolt::platform;
using test::PostKey;
using test::PressKey;
using test::WithShift;

namespace {

// Declared out of focus order on purpose: the designed tab indexes decide.
class Sample : public Form {
  public:
    Sample()
        : Form(FormDesign{
              .caption = L"sample", .clientWidthTwips = 7200, .clientHeightTwips = 5400}) {
        Bind(OK.Click, &Sample::OK_Click);
        Bind(Cancel.Click, &Sample::Cancel_Click);
        Bind(Digits.KeyPress, &Sample::Digits_KeyPress);
        Bind(Cells.Change, &Sample::Cells_Change);
        Bind(Option1.Click, &Sample::Option1_Click);
        Bind(Combo1.Change, &Sample::Combo1_Change);
        Bind(Combo1.Click, &Sample::Combo1_Click);
        Bind(Combo1.KeyDown, &Sample::Combo1_KeyDown);
        Bind(Combo1.KeyUp, &Sample::Combo1_KeyUp);
        Bind(Check1.Click, &Sample::Check1_Click);
        Bind(Timer1.Timer, &Sample::Timer1_Timer);
        Bind(Item.Click, &Sample::Item_Click);
    }

    MenuItem File{*this, L"File", L"ファイル"};
    MenuItem Item{File, L"Item", L"項目"};
    CommandButton Cancel{*this,
                         L"Cancel",
                         {.place = {5880, 4800, 1200, 375},
                          .caption = L"キャンセル",
                          .cancel = true,
                          .tabIndex = 5}};
    Frame Frame1{
        *this, L"Frame1", {.place = {120, 840, 3600, 1200}, .caption = L"枠", .tabIndex = 1}};
    TextBox Digits{Frame1, L"Digits", {.place = {120, 360, 1200, 300}, .tabIndex = 2}};
    TextBox Text1{*this, L"Text1", {.place = {120, 120, 1200, 300}, .tabIndex = 0}};
    TextBox Memo{
        *this, L"Memo", {.place = {120, 2160, 3600, 900}, .multiLine = true, .tabIndex = 3}};
    TextBox Editor{*this,
                   L"Editor",
                   {.place = {3960, 2160, 3000, 900},
                    .multiLine = true,
                    .scrollBars = TextBox::ScrollBars::Both,
                    .locked = true,
                    .tabStop = false}};
    CommandButton OK{
        *this,
        L"OK",
        {.place = {4560, 4800, 1200, 375}, .caption = L"OK", .isDefault = true, .tabIndex = 4}};
    ControlArray<TextBox> Cells{
        *this, L"Cells", 3, [](int i) {
            return TextBox::Design{.place = {3960, 120 + 360.0 * i, 900, 300}, .tabIndex = 10 + i};
        }};
    ControlArray<OptionButton> Option1{*this, L"Option1", 3, [](int i) {
                                           return OptionButton::Design{
                                               .place = {5040, 120 + 360.0 * i, 1500, 300},
                                               .caption = L"選択",
                                               .value = i == 0,
                                               .tabIndex = 20 + i};
                                       }};
    ComboBox Combo1{*this,
                    L"Combo1",
                    {.place = {120, 3240, 2400, 300},
                     .list = {L"DstInvert", L"MergeCopy", L"SrcCopy"},
                     .tabIndex = 30}};
    CheckBox Check1{
        *this, L"Check1", {.place = {120, 3720, 2400, 300}, .caption = L"確認", .tabIndex = 31}};
    TimerControl Timer1{*this, L"Timer1", {.interval = 60000, .enabled = false}};
    ProgressBar Bar{*this, L"Bar", {.place = {120, 4200, 2400, 300}}};

    int ok = 0, cancel = 0, combos = 0, picks = 0, checks = 0, ticks = 0, items = 0;
    bool lockWhileKeyDown = false;
    std::vector<int> cellChanges, optionClicks;
    std::function<void()> onOK;

    void OK_Click() {
        ++ok;
        if (onOK) onOK();
    }
    void Cancel_Click() { ++cancel; }
    void Digits_KeyPress(int &KeyAscii) {
        if (KeyAscii != vbKeyBack && (KeyAscii < L'0' || KeyAscii > L'9')) KeyAscii = 0;
    }
    void Cells_Change(int Index) { cellChanges.push_back(Index); }
    void Option1_Click(int Index) { optionClicks.push_back(Index); }
    void Combo1_Change() { ++combos; }
    void Combo1_Click() { ++picks; }
    void Combo1_KeyDown(int &, int) {
        if (lockWhileKeyDown) Combo1.SetLocked(true);
    }
    void Combo1_KeyUp(int &, int) {
        if (lockWhileKeyDown) Combo1.SetLocked(false);
    }
    void Check1_Click() { ++checks; }
    void Timer1_Timer() { ++ticks; }
    void Item_Click() { ++items; }
};

class ToolkitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sample.Show();
        SetForegroundWindow(sample->Hwnd());
        PumpMessages();
    }
    void TearDown() override {
        sample.Discard();
        ReleaseUnloadedForms();
    }
    Sample &S() { return sample.Get(); }

    static HWND Focus() { return GetFocus(); }

    FormInstance<Sample> sample;
    test::FakePrompts prompts;
};

} // namespace

TEST_F(ToolkitTest, TabFollowsTheDesignedOrderAndEnterEscPressTheDesignatedButtons) {
    Sample &s = S();
    ASSERT_EQ(Focus(), s.Text1.Hwnd()); // the first in the focus order
    PressKey(VK_TAB);
    EXPECT_EQ(Focus(), s.Digits.Hwnd()); // into the frame
    PressKey(VK_TAB);
    EXPECT_EQ(Focus(), s.Memo.Hwnd());
    WithShift([] { PressKey(VK_TAB); });
    EXPECT_EQ(Focus(), s.Digits.Hwnd());

    PressKey(VK_RETURN);
    EXPECT_EQ(s.ok, 1);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(s.cancel, 1);
    // A disabled default button is not pressed.
    s.OK.SetEnabled(false);
    PressKey(VK_RETURN);
    EXPECT_EQ(s.ok, 1);
    s.OK.SetEnabled(true);

    // A multi-line box keeps Enter for a new line.
    s.Memo.SetFocus();
    PressKey(VK_RETURN);
    EXPECT_EQ(s.ok, 1);
    EXPECT_EQ(s.Memo.Text(), L"\r\n");

    // Arrows move among the option buttons of one container, selecting as they go; Tab
    // reaches only the selected one.
    s.Option1(0).SetFocus();
    PressKey(VK_DOWN);
    EXPECT_EQ(Focus(), s.Option1(1).Hwnd());
    EXPECT_TRUE(s.Option1(1).Value());
    EXPECT_FALSE(s.Option1(0).Value());
    s.Cells(2).SetFocus();
    PressKey(VK_TAB);
    EXPECT_EQ(Focus(), s.Option1(1).Hwnd());
    PressKey(VK_TAB);
    EXPECT_EQ(GetParent(Focus()), s.Combo1.Hwnd()); // its text part

    // The menus still take the keyboard: F10, Enter opens the first menu, Enter runs its
    // first item.
    s.Text1.SetFocus();
    PostKey(VK_F10, true);
    PostKey(VK_RETURN);
    PostKey(VK_RETURN);
    PumpMessages();
    EXPECT_EQ(s.items, 1);
}

// As in classic dialogs: the push button with the focus shows the default look and takes
// Enter, however it got the focus; elsewhere the designed default button has both.
TEST_F(ToolkitTest, EnterPressesThePushButtonWithTheFocusElseTheDefaultOne) {
    Sample &s = S();
    const auto looksDefault = [](CommandButton &b) {
        return (GetWindowLongW(b.Hwnd(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    };
    ASSERT_TRUE(looksDefault(s.OK));
    s.Cancel.SetFocus();
    EXPECT_TRUE(looksDefault(s.Cancel));
    EXPECT_FALSE(looksDefault(s.OK));
    PressKey(VK_RETURN);
    EXPECT_EQ(s.cancel, 1);
    EXPECT_EQ(s.ok, 0);
    PressKey(VK_TAB); // to a text box: the default button has it back
    EXPECT_EQ(Focus(), s.Cells(0).Hwnd());
    EXPECT_TRUE(looksDefault(s.OK));
    EXPECT_FALSE(looksDefault(s.Cancel));
    PressKey(VK_RETURN);
    EXPECT_EQ(s.ok, 1);
}

// Showing a form that is shown already brings it up from behind another.
TEST_F(ToolkitTest, ShowingAShownFormActivatesIt) {
    FormInstance<Sample> other;
    other.Show();
    PumpMessages();
    ASSERT_EQ(GetActiveWindow(), other->Hwnd());
    sample.Show();
    PumpMessages();
    EXPECT_EQ(GetActiveWindow(), S().Hwnd());
    EXPECT_EQ(GetForegroundWindow(), S().Hwnd());
    HWND top = GetTopWindow(nullptr);
    while (top && top != S().Hwnd() && top != other->Hwnd())
        top = GetWindow(top, GW_HWNDNEXT);
    EXPECT_EQ(top, S().Hwnd()) << "still behind";
    other.Discard();
}

TEST_F(ToolkitTest, ControlArrayEventsCarryTheMembersIndex) {
    Sample &s = S();
    s.Cells(2).SetText(L"x");
    s.Cells(0).SetText(L"y");
    s.Cells(0).SetText(L"y"); // an equal text raises nothing
    EXPECT_EQ(s.cellChanges, (std::vector<int>{2, 0}));
    EXPECT_EQ(s.Cells(1).Index(), 1);

    s.Option1(2).SetValue(true);                       // by code
    SendMessageW(s.Option1(1).Hwnd(), BM_CLICK, 0, 0); // by the user
    EXPECT_EQ(s.optionClicks, (std::vector<int>{2, 1}));
    EXPECT_TRUE(s.Option1(1).Value());
    EXPECT_FALSE(s.Option1(0).Value() || s.Option1(2).Value());
    EXPECT_THROW(s.Option1(3), RuntimeError);
}

TEST_F(ToolkitTest, TextBoxesDiscardWhatKeyPressRefusesAndHoldLongTexts) {
    Sample &s = S();
    s.Digits.SetFocus();
    for (UINT vk : {UINT('1'), UINT('A'), UINT('2'), UINT(VK_SPACE), UINT(VK_BACK), UINT('3')})
        PressKey(vk);
    EXPECT_EQ(s.Digits.Text(), L"13");
    // No length limit: a box like the editor's holds a text art of half a million characters.
    std::wstring art;
    for (int row = 0; row < 2500; ++row)
        art += std::wstring(198, L'鬱') + L"\r\n";
    s.Editor.SetText(art);
    EXPECT_EQ(s.Editor.Text().size(), art.size());
}

namespace {
// What the user sees of an edit box: caret, scrolling, undo and modified state.
std::vector<LRESULT> EditState(HWND box) {
    DWORD start = 0, end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {LRESULT(start),
            LRESULT(end),
            SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0),
            SendMessageW(box, EM_GETLINECOUNT, 0, 0),
            SendMessageW(box, EM_GETMODIFY, 0, 0),
            SendMessageW(box, EM_CANUNDO, 0, 0),
            GetScrollPos(box, SB_HORZ),
            GetScrollPos(box, SB_VERT)};
}

size_t g_lengthSeenMidway = 0;

// Run by the first pump: notes how much of the text is in and types a key.
void CALLBACK NoteAndType(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_lengthSeenMidway = size_t(GetWindowTextLengthW(GetFocus()));
    INPUT keys[2] = {};
    for (INPUT &k : keys) {
        k.type = INPUT_KEYBOARD;
        k.ki.wVk = 'X';
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}
} // namespace

// A long text handed over in steps leaves the box as setting it at once does; meanwhile the
// window answers (a timer is served) and a key typed waits until the text is whole.
TEST_F(ToolkitTest, ALongTextReplacedInStepsEndsAsSetAtOnceWhileTypingWaits) {
    Sample &s = S();
    std::wstring art;
    for (int row = 0; row < 400; ++row)
        art += std::wstring(300, L"鬱餓樹"[row % 3]) + L"\r\n";
    int changes = 0;
    s.Editor.Change = [&] { ++changes; };
    s.Editor.SetLocked(false);
    auto elsewhere = [&] { // a short text, partly selected and scrolled
        s.Editor.SetText(L"old\r\ntext\r\nmore");
        SendMessageW(s.Editor.Hwnd(), EM_SETSEL, 4, 12);
        SendMessageW(s.Editor.Hwnd(), EM_SCROLLCARET, 0, 0);
        changes = 0;
    };
    elsewhere();
    s.Editor.SetText(L"");
    s.Editor.SetText(art);
    const std::vector<LRESULT> atOnce = EditState(s.Editor.Hwnd());
    const int changesAtOnce = changes;

    elsewhere();
    s.Editor.SetFocus();
    PumpMessages();
    ASSERT_EQ(GetForegroundWindow(), s.Hwnd());
    g_lengthSeenMidway = 0;
    SetTimer(nullptr, 0, 0, NoteAndType);
    Sleep(20); // a pump is due after the first piece
    s.Editor.ReplaceTextInSteps(art);
    EXPECT_GT(g_lengthSeenMidway, 0u);
    EXPECT_LT(g_lengthSeenMidway, art.size());
    EXPECT_TRUE(s.Editor.Text() == art);
    EXPECT_EQ(EditState(s.Editor.Hwnd()), atOnce);
    EXPECT_EQ(changes, changesAtOnce);
    PumpMessages(); // now the key
    EXPECT_TRUE(s.Editor.Text() == L"x" + art);
}

TEST_F(ToolkitTest, ComboChangeComesFromTypingAndCodeClickFromAPick) {
    Sample &s = S();
    s.Combo1.SetFocus();
    PressKey('A');
    EXPECT_EQ(s.combos, 1);
    EXPECT_EQ(s.picks, 0);
    PressKey(VK_DOWN); // picks the first item of the list
    EXPECT_EQ(s.picks, 1);
    EXPECT_EQ(s.combos, 1);
    EXPECT_EQ(s.Combo1.Text(), L"DstInvert");
    EXPECT_EQ(s.Combo1.ListIndex(), 0);
    s.Combo1.SetText(L"NotSrcCopy");
    s.Combo1.SetText(L"NotSrcCopy");
    EXPECT_EQ(s.combos, 2);
    s.Combo1.SetListIndex(2);
    EXPECT_EQ(s.picks, 2);
    EXPECT_EQ(s.Combo1.Text(), L"SrcCopy");

    // Locked while a key is down, no keystroke changes the text.
    s.lockWhileKeyDown = true;
    for (UINT vk : {UINT('B'), UINT(VK_UP), UINT(VK_BACK), UINT(VK_DELETE)})
        PressKey(vk);
    EXPECT_EQ(s.Combo1.Text(), L"SrcCopy");
    EXPECT_EQ(s.picks, 2);
    EXPECT_FALSE(s.Combo1.Locked());
}

TEST_F(ToolkitTest, CheckBoxClickFollowsEveryChangeOfValue) {
    Sample &s = S();
    s.Check1.SetValue(vbChecked);
    s.Check1.SetValue(vbChecked);
    EXPECT_EQ(s.checks, 1);
    SendMessageW(s.Check1.Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(s.Check1.Value(), vbUnchecked);
    EXPECT_EQ(s.checks, 2);
    EXPECT_THROW(s.Check1.SetValue(3), RuntimeError);
}

TEST_F(ToolkitTest, TimerFiresThroughTheYieldAndANewIntervalTakesEffectAtOnce) {
    Sample &s = S();
    auto pumpUntil = [](const std::function<bool()> &done) {
        const DWORD start = GetTickCount();
        while (!done() && GetTickCount() - start < 5000) {
            DoEvents();
            Sleep(1);
        }
    };
    s.Timer1.SetEnabled(true); // a minute away
    s.Timer1.SetInterval(1);
    pumpUntil([&] { return s.ticks >= 2; });
    EXPECT_GE(s.ticks, 2);
    s.Timer1.SetEnabled(false);
    const int stopped = s.ticks;
    for (int i = 0; i < 20; ++i) {
        Sleep(2);
        PumpMessages();
    }
    EXPECT_EQ(s.ticks, stopped);
}

// A shown bar hears of its value at a pump; the last value reaches it once it is hidden.
TEST_F(ToolkitTest, AProgressBarsWindowCatchesUpWithItsValue) {
    ProgressBar &bar = S().Bar;
    auto pos = [&] { return int(SendMessageW(bar.Hwnd(), PBM_GETPOS, 0, 0)); };
    const int range = int(SendMessageW(bar.Hwnd(), PBM_GETRANGE, FALSE, 0));
    bar.SetValue(50);
    Sleep(50);
    PumpMessages();
    EXPECT_NEAR(pos(), range / 2, 1);
    bar.SetValue(100);
    bar.SetVisible(false);
    EXPECT_EQ(pos(), range);
}

TEST_F(ToolkitTest, AnUncaughtErrorShowsTheRunTimeErrorBoxAndEndsTheProgram) {
    Sample &s = S();
    int ends = 0;
    SetEndHook([&] { ++ends; });
    s.onOK = [] { throw RuntimeError(kTypeMismatch); };
    SendMessageW(s.OK.Hwnd(), BM_CLICK, 0, 0);
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].text, L"実行時エラー '13':\n\n型が一致しません。");
    EXPECT_EQ(prompts.seen[0].buttons, vbCritical);
    EXPECT_EQ(prompts.seen[0].title, L"Mirolt");
    EXPECT_EQ(ends, 1);
    // The end reaches the caller once control is back in the message loop.
    EXPECT_THROW(PumpMessages(), ProgramEnded);

    // Any other exception is reported too: out of memory as 7.
    s.onOK = [] { throw std::bad_alloc(); };
    EXPECT_THROW(PressKey(VK_RETURN), ProgramEnded);
    EXPECT_EQ(prompts.Messages().back(), UncaughtErrorMessage(kOutOfMemory));
    EXPECT_EQ(ends, 2);
    SetEndHook([] {});
}
