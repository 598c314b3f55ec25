#pragma once
// The standard controls the windows are written with.
#include "forms.h"

namespace mirolt::platform {

struct Place {
    double left = 0, top = 0, width = 0, height = 0; // container units
};

class ScrollBar : public Control {
  public:
    enum class Orientation { Horizontal, Vertical };
    ScrollBar(Container &parent, std::wstring name, Orientation orientation, const Place &place,
              bool visible = true);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const { return value_; }
    void SetMin(int v);
    void SetMax(int v);
    // A value outside Min..Max raises 380; a new value fires Change.
    void SetValue(int v);
    int SmallChange() const { return smallChange_; }
    int LargeChange() const { return largeChange_; }
    void SetSmallChange(int v) { smallChange_ = v; }
    void SetLargeChange(int v) { largeChange_ = v; }

    std::function<void()> Change;

    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;

  private:
    void Sync();
    void SetValueClamped(int v);
    int min_ = 0, max_ = 32767, value_ = 0;
    int smallChange_ = 1, largeChange_ = 1;
};

// A windowless label, painted by its container over the container's background.
class Label : public Control {
  public:
    enum class Alignment { Left, Right, Center };
    struct Design {
        Place place;
        std::wstring caption;
        FontSpec font;
        bool autoSize = false;
        bool transparent = false;
        int32_t foreColor = SystemColor(COLOR_BTNTEXT);
        int32_t backColor = SystemColor(COLOR_BTNFACE);
        bool visible = true;
        Alignment alignment = Alignment::Left;
    };
    Label(Container &parent, std::wstring name, const Design &design);
    std::wstring Caption() const { return caption_; }
    void SetCaption(const std::wstring &caption);
    void Paint(HDC dc) const override;

  private:
    void FitToText();
    Design design_;
    std::wstring caption_;
};

class CommandButton : public Control {
  public:
    CommandButton(Container &parent, std::wstring name, const std::wstring &caption,
                  const Place &place, const FontSpec &font = {}, bool visible = true);
    std::wstring Caption() const;
    void SetCaption(const std::wstring &caption);
    std::function<void()> Click;
    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;
};

// Progress bar of the common controls; its values are single-precision numbers.
class ProgressBar : public Control {
  public:
    ProgressBar(Container &parent, std::wstring name, const Place &place, bool visible = true);
    float Min() const { return min_; }
    float Max() const { return max_; }
    float Value() const { return value_; }
    void SetMin(float v);
    void SetMax(float v);
    // A value outside Min..Max raises 380.
    void SetValue(float v);

  private:
    void Sync();
    float min_ = 0, max_ = 100, value_ = 0;
    int shownRange_ = -1, shownPos_ = -1; // what the window was last told, and when
    DWORD shownAt_ = 0;
};

// Status bar of the common controls, showing one fixed text along the bottom.
class StatusBar : public Control {
  public:
    StatusBar(Container &parent, std::wstring name, const std::wstring &text, double heightUnits);
    std::wstring Text() const;
};

} // namespace mirolt::platform
