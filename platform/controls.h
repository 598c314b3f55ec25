#pragma once
// The simple controls: labels and shapes (windowless, painted by their container), scroll
// bars, and the common controls' progress bar and status bar.
#include "forms.h"

namespace mirolt::platform {

// A windowless label, painted by its container over the container's background.
class Label : public Control {
  public:
    enum class Alignment { Left, Right, Center };
    struct Design {
        Place place;
        std::wstring caption;
        Alignment alignment = Alignment::Left;
        bool autoSize = false;
        bool transparent = false;
        int32_t foreColor = SystemColor(COLOR_BTNTEXT);
        int32_t backColor = SystemColor(COLOR_BTNFACE);
        FontSpec font;
        bool visible = true;
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

// A windowless shape: a rectangle or a square (centred in its place) drawn by its border.
class Shape : public Control {
  public:
    enum class Kind { Rectangle, Square };
    struct Design {
        Place place;
        Kind kind = Kind::Rectangle;
        int32_t borderColor = SystemColor(COLOR_WINDOWTEXT);
        int borderWidth = 1;
        bool visible = true;
    };
    Shape(Container &parent, std::wstring name, const Design &design);
    void Paint(HDC dc) const override;

  private:
    Design design_;
};

class ScrollBar : public Control {
  public:
    enum class Orientation { Horizontal, Vertical };
    struct Design {
        Place place;
        Orientation orientation = Orientation::Horizontal;
        int min = 0, max = 32767, value = 0;
        int smallChange = 1, largeChange = 1;
        bool visible = true;
        bool enabled = true;
        bool tabStop = true;
        int tabIndex = -1;
    };
    ScrollBar(Container &parent, std::wstring name, const Design &design);

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

    // Raised by a new value: an arrow or track click, the end of a thumb drag, or code.
    Event<> Change;
    struct Indexed {
        Event<int> Change;
    };
    void ForwardEvents(Indexed &to, int index) { ForwardIndexed(Change, to.Change, index); }

    bool OnNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) override;

  private:
    void Sync();
    void SetValueClamped(int v);
    int min_, max_, value_;
    int smallChange_, largeChange_;
};

// Progress bar of the common controls; its values are single-precision numbers.
class ProgressBar : public Control {
  public:
    struct Design {
        Place place;
        float min = 0, max = 100;
        bool visible = true;
    };
    ProgressBar(Container &parent, std::wstring name, const Design &design);
    float Min() const { return min_; }
    float Max() const { return max_; }
    float Value() const { return value_; }
    void SetMin(float v);
    void SetMax(float v);
    // A value outside Min..Max raises 380.
    void SetValue(float v);
    ~ProgressBar() override;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void Sync();
    void Show();
    static void ShowPending();
    static void CALLBACK ShowHeldBack(HWND, UINT, UINT_PTR timer, DWORD);
    static inline UINT_PTR heldBackTimer_ = 0;
    float min_, max_, value_;
    // The position in the window's units: Min..Max mapped onto the bar's width in pixels.
    struct Position {
        int range = -1, pos = -1;
        bool operator==(const Position &) const = default;
    };
    Position Wanted() const;
    Position shown_; // what the window was last told, and when
    DWORD shownAt_ = 0;
};

// Status bar of the common controls, showing one fixed text along the bottom.
class StatusBar : public Control {
  public:
    struct Design {
        std::wstring text;
        double height = 0; // container units
        bool visible = true;
    };
    StatusBar(Container &parent, std::wstring name, const Design &design);
    std::wstring Text() const;
    void ParentResized() override;
};

} // namespace mirolt::platform
