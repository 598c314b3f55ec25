#pragma once
// A fresh main window for each test, shown as the program shows it, with every prompt
// scripted through the fake.
#include "form1.h"

#include "fake_prompts.h"
#include "picture_files.h"

#include <gtest/gtest.h>

namespace mirolt::test {

// The flags of the main window's state table: menus enabled, views shown.
struct WindowState {
    bool save, jpegSave, syori, filter, copy, idou, picture6, picture3;
    bool operator==(const WindowState &) const = default;
};

inline WindowState StateOf(app::Form1 &f) {
    return {f.Save.Enabled(), f.JPEGSave.Enabled(), f.Syori.Enabled(),    f.Filter.Enabled(),
            f.Copy.Enabled(), f.Idou.Enabled(),     f.Picture6.Visible(), f.Picture3.Visible()};
}

inline constexpr WindowState kStartUp{false, false, false, false, false, false, false, false};
inline constexpr WindowState kPictureLoaded{true, true, true, true, false, false, true, false};
inline constexpr WindowState kPublished{true, true, true, true, true, true, true, true};
inline constexpr WindowState kAfterMove{false, false, true, true, false, false, true, false};
inline constexpr WindowState kAfterClipboardOpen{false, false, true, true,
                                                 false, false, true, false};

class Form1Test : public ::testing::Test {
  protected:
    void SetUp() override {
        forms::Form1.Load();
        forms::Form1.Show();
    }
    void TearDown() override {
        forms::Form1.Discard();
        platform::ReleaseUnloadedForms();
    }
    app::Form1 &F() { return forms::Form1.Get(); }

    FakePrompts prompts;
    TempFolder dir;
};

} // namespace mirolt::test
