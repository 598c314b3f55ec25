#include "form4.h"

#include "color.h"

namespace mirolt::app {
namespace {

using platform::FontSpec;
using platform::Label;

constexpr int32_t kWhite = Rgb(255, 255, 255);
constexpr int32_t kDarkNavy = Rgb(0, 0, 64);
constexpr int32_t kBlack = Rgb(0, 0, 0);
constexpr int32_t kDefaultText = platform::SystemColor(COLOR_BTNTEXT);

const platform::FormDesign kForm4Design = {.caption = L"",
                                           .clientWidthTwips = 7350,
                                           .clientHeightTwips = 2250,
                                           .border = platform::BorderStyle::None,
                                           .backColor = kWhite,
                                           .controlBox = false,
                                           .minButton = false,
                                           .maxButton = false,
                                           .showInTaskbar = false};

// One staggered letter: transparent, sized to its text, in the designed face.
Label::Design Letter(const wchar_t *caption, double left, double top, double points, bool bold,
                     int32_t color = kDefaultText) {
    Label::Design d;
    d.place = {left, top, 0, 0};
    d.caption = caption;
    d.font = FontSpec{L"ＭＳ Ｐゴシック", points, bold};
    d.autoSize = true;
    d.transparent = true;
    d.foreColor = color;
    return d;
}

} // namespace

Form4::Form4()
    : Form(kForm4Design), Label1(*this, L"Label1", Letter(L"N", 0, 120, 72, true)),
      Label2(*this, L"Label2", Letter(L"o", 720, 480, 48, true)),
      Label3(*this, L"Label3", Letter(L"w", 960, 0, 72, true)),
      Label4(*this, L"Label4", Letter(L"L", 1560, 120, 72, false)),
      Label5(*this, L"Label5", Letter(L"o", 1920, 240, 72, false)),
      Label6(*this, L"Label6", Letter(L"a", 2280, 0, 72, false)),
      Label7(*this, L"Label7", Letter(L"d", 2760, 360, 72, false)),
      Label8(*this, L"Label8", Letter(L"i", 3360, 840, 48, true)),
      Label9(*this, L"Label9", Letter(L"n", 3480, 480, 48, true, kBlack)),
      Label10(*this, L"Label10", Letter(L"g", 3720, 360, 72, false, kDarkNavy)),
      Label11(*this, L"Label11", Letter(L"……･……･", 4560, 840, 48, false, kDarkNavy)),
      ProgressBar1(*this, L"ProgressBar1", {.place = {0, 1800, 7350, 240}}) {}

} // namespace mirolt::app
