#pragma once
// The main window with a source picture in place, for the filters and their dialogs.
#include "form1_fixture.h"
#include "form2.h"
#include "form3.h"

#include "color.h"
#include "picture.h"
#include "runtime.h"

#include <functional>
#include <memory>

namespace mirolt::test {

class FiltersTest : public Form1Test {
  protected:
    void TearDown() override {
        platform::SetYieldHook({});
        platform::SetMousePointer(0);
        forms::Form2.Discard();
        forms::Form3.Discard();
        Form1Test::TearDown();
    }

    static platform::Picture MakePicture(int w, int h,
                                         const std::function<int32_t(int, int)> &color) {
        auto bitmap = std::make_shared<platform::Bitmap32>(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                bitmap->Bits()[size_t(y) * w + x] = BgrxFromColor(color(x, y));
        return platform::Picture(std::move(bitmap));
    }

    // Exactly w x h working pictures: the source holds the picture, the result its size.
    void SetSource(int w, int h, const std::function<int32_t(int, int)> &color = PatternColor) {
        F().Picture1.SetPicture(MakePicture(w, h, color));
        F().Picture2.SetWidth(w);
        F().Picture2.SetHeight(h);
    }

    // A picture opened as the user opens one: the picture-loaded state, with the working
    // pictures grown by the view's border.
    void OpenSource(int w, int h) {
        F().Picture1.SetPicture(MakePicture(w, h, PatternColor));
        F().EnterPictureLoadedState();
    }

    int W() { return int(F().Picture1.Width()); }
    int H() { return int(F().Picture1.Height()); }
    int32_t Background() { return platform::ResolveColor(F().Picture2.BackColor()); }

    // Calls `action` at the n-th yield (1-based) and counts every yield; the loops that do
    // their items in batches end one there, and otherwise run as they do for the user.
    void AtYield(int n, std::function<void()> action) {
        yields = 0;
        platform::SetYieldHook(
            [this, n, action = std::move(action)](uint64_t made) -> uint64_t {
                const int before = yields;
                yields += int(made);
                if (before < n && yields >= n) {
                    EXPECT_EQ(yields, n) << "a batch ran past the yield watched";
                    action();
                }
                return yields < n ? uint64_t(n - yields) : UINT64_MAX;
            },
            n > 0 ? uint64_t(n) : UINT64_MAX);
    }
    // The Cancel button clicked as the user clicks it.
    void ClickCancel() { SendMessageW(F().Command1.Hwnd(), BM_CLICK, 0, 0); }

    int yields = 0;
};

} // namespace mirolt::test
