#include "frame.h"

namespace mirolt::platform {

// WS_EX_CONTROLPARENT: Tab and the arrow keys go on into the frame's controls.
Frame::Frame(Container &parent, std::wstring name, const Design &d)
    : Control(parent, std::move(name)), caption_(d.caption), backColor_(d.backColor) {
    Create(WindowClass::Frame, WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, d.caption, d);
}

void Frame::SetCaption(const std::wstring &caption) {
    caption_ = caption;
    SetWindowTextW(hwnd_, caption.c_str());
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Frame::PaintFrame(HDC dc) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    unique_hbrush back(CreateSolidBrush(COLORREF(ResolveColor(backColor_))));
    FillRect(dc, &client, back.get());
    ScopedSelectObject font(dc, GetFont(font_));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    // The border runs through the middle of the caption's line; the caption interrupts it.
    RECT border = client;
    border.top += tm.tmHeight / 2;
    DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
    if (caption_.empty()) return;
    RECT text{8, 0, client.right - 8, tm.tmHeight};
    DrawTextW(dc, caption_.c_str(), int(caption_.size()), &text,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    text.left -= 2;
    text.right += 2;
    FillRect(dc, &text, back.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled_ ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    text.left += 2;
    DrawTextW(dc, caption_.c_str(), int(caption_.size()), &text, DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT Frame::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (DispatchToControl(msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        PaintFrame(dc);
        PaintWindowless(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    default:
        return CallBaseProc(msg, wp, lp);
    }
}

} // namespace mirolt::platform
