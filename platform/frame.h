#pragma once
// The frame: a captioned border that holds controls, placed in its own coordinates (in
// the units of the frame's container).
#include "forms.h"

namespace mirolt::platform {

class Frame : public Control, public Container {
  public:
    struct Design {
        Place place;
        std::wstring caption;
        int32_t backColor = SystemColor(COLOR_BTNFACE);
        FontSpec font;
        bool visible = true;
        bool enabled = true;
        int tabIndex = -1;
    };
    Frame(Container &parent, std::wstring name, const Design &design);

    HWND Hwnd() const override { return Control::Hwnd(); }
    ScaleMode Scale() const override { return parent_.Scale(); }
    Form &OwnerForm() override { return parent_.OwnerForm(); }

    std::wstring Caption() const { return caption_; }
    void SetCaption(const std::wstring &caption);

    struct Indexed {};
    void ForwardEvents(Indexed &, int) {}

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void PaintFrame(HDC dc) const;
    std::wstring caption_;
    int32_t backColor_;
};

} // namespace mirolt::platform
