#include "data_ini.h"
#include "form1.h"
#include "form10.h"
#include "form4.h"
#include "form7.h"
#include "frmtip.h"
#include "module1.h"
#include "runtime.h"

#include "fake_prompts.h"
#include "picture_files.h"
#include "settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mirolt;

namespace {
struct StartupTest : ::testing::Test {
    // Every setting stored, so that the windows' reads show no box.
    void SetUp() override {
        test::WriteCompleteDataIni(settings.Path());
        textart::SetDataIniFolder(settings.Path());
    }
    void TearDown() override {
        platform::SetCommandLineForTesting(L"");
        forms::Form1.Discard();
        forms::Form7.Discard();
        forms::Form10.Discard();
        forms::frmTip.Discard(); // shown at start-up unless the user turned it off
        platform::ReleaseUnloadedForms();
        textart::SetDataIniFolder({});
    }
    test::TempFolder settings;
    test::FakePrompts prompts;
};
} // namespace

TEST_F(StartupTest, LoadingScreenCountsTheWindowsThenGivesWayToTheMainWindow) {
    platform::SetCommandLineForTesting(L"");
    std::vector<std::pair<std::wstring, float>> steps;
    bool loadingShownFirst = false;
    app::Main([&](const std::wstring &window, float progress) {
        if (steps.empty())
            loadingShownFirst = forms::Form4.IsLoaded() && forms::Form4->Visible() &&
                                forms::Form4->ProgressBar1.Max() == 10;
        steps.emplace_back(window, progress);
        EXPECT_FALSE(forms::Form1->Visible()) << "main window shown before the loading ends";
    });
    EXPECT_TRUE(loadingShownFirst);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), std::make_pair(std::wstring(L"Form1"), 1.0f));
    // The editor settings exist before their own step: the Notepad settings' fonts made them.
    const auto form7 =
        std::find(steps.begin(), steps.end(), std::make_pair(std::wstring(L"Form7"), 5.0f));
    EXPECT_NE(form7, steps.end());
    EXPECT_NE(std::find(form7, steps.end(), std::make_pair(std::wstring(L"Form10"), 8.0f)),
              steps.end());
    EXPECT_FALSE(forms::Form7->Visible());
    EXPECT_GT(forms::Form10->Combo1.ListCount(), 0);
    for (size_t i = 1; i < steps.size(); ++i)
        EXPECT_GT(steps[i].second, steps[i - 1].second);
    platform::ReleaseUnloadedForms();
    EXPECT_FALSE(forms::Form4.IsLoaded());
    EXPECT_TRUE(forms::Form1->Visible());
    EXPECT_FALSE(forms::Form1->Syori.Enabled()); // no command line: start state
    EXPECT_TRUE(prompts.seen.empty());
}

TEST_F(StartupTest, CommandLinePictureIsLoadedAfterTheMainWindowShows) {
    test::TempFolder dir;
    const std::wstring path = dir.File(L"lower case.bmp");
    test::WriteBmp(path, 20, 10);
    platform::SetCommandLineForTesting(path);
    app::Main();
    EXPECT_TRUE(forms::Form1->Visible());
    EXPECT_TRUE(forms::Form1->Picture6.Visible());
    EXPECT_GE(forms::Form1->Picture6.ScaleWidth(), 20);
    EXPECT_EQ(forms::Form1->Picture6.Point(19, 9), test::PatternColor(19, 9));
    EXPECT_TRUE(forms::Form1->Save.Enabled());
}

TEST_F(StartupTest, ClosingTheMainWindowEndsTheProgram) {
    forms::Form1.Show();
    EXPECT_THROW(forms::Form1->RunQueryUnload(platform::vbFormControlMenu), platform::ProgramEnded);
    EXPECT_THROW(forms::Form1->RunQueryUnload(platform::vbAppWindows), platform::ProgramEnded);
    EXPECT_THROW(forms::Form1->End_Click(), platform::ProgramEnded);
}
