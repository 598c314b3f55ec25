#pragma once
// Forms: windows with global instances and the Load/Show/Hide/Unload lifecycle, the
// containers that controls are placed in, and the base of every control.
#include "handles.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mirolt::platform {

class Control;
class MenuItem;

enum class ScaleMode { Twips, Pixels };

// System colours as stored in colour properties (0x80000000 | index).
constexpr int32_t SystemColor(int index) {
    return int32_t(0x80000000u | uint32_t(index));
}
// The colour value (0x00BBGGRR) a stored colour property stands for.
int32_t ResolveColor(int32_t color);

struct FontSpec {
    std::wstring name = L"ＭＳ Ｐゴシック";
    double points = 9;
    bool bold = false;
};
HFONT GetFont(const FontSpec &spec); // cached for the life of the program

// Anything controls are placed in: a form or a picture box. Positions of the children
// are in the container's scale units.
class Container {
  public:
    virtual ~Container() = default;
    virtual HWND Hwnd() const = 0;
    virtual ScaleMode Scale() const = 0;
    double UnitsPerPixelX() const;
    double UnitsPerPixelY() const;

    // Controls without a window of their own (labels) are painted by their container.
    void AddWindowless(Control *control) { windowless_.push_back(control); }
    void RemoveWindowless(Control *control);
    void PaintWindowless(HDC dc) const;

  private:
    std::vector<Control *> windowless_;
};

// Routes notifications that child controls send to their parent window.
bool DispatchToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result);

enum class BorderStyle { None, FixedSingle, Sizable, FixedDialog, FixedToolWindow };
// QueryUnload's reasons.
enum : int { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2, vbAppTaskManager = 3 };

struct FormDesign {
    std::wstring caption;
    int clientWidthTwips = 4800;
    int clientHeightTwips = 3600;
    BorderStyle border = BorderStyle::Sizable;
    ScaleMode scale = ScaleMode::Twips;
    int32_t backColor = SystemColor(COLOR_BTNFACE);
    bool centred = true;
    bool controlBox = true;
    bool minButton = true;
    bool maxButton = true;
    bool showInTaskbar = true;
};

class Form : public Container {
  public:
    explicit Form(const FormDesign &design);
    ~Form() override;
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    HWND Hwnd() const override { return hwnd_; }
    ScaleMode Scale() const override { return design_.scale; }

    void Show();
    void Hide();
    void Refresh();
    bool Visible() const;
    // Closes the form as its title-bar close button does (QueryUnload, Unload, gone).
    void Close();

    // Outer size and place, always in twips. Sizing a minimised or maximised form raises 384.
    double Width() const;
    double Height() const;
    void SetWidth(double twips);
    void SetHeight(double twips);
    double Left() const;
    double Top() const;
    void Move(double leftTwips, double topTwips);
    // Inner size in the form's scale units, read afresh from the window.
    double ScaleWidth() const;
    double ScaleHeight() const;

    std::wstring Caption() const;
    void SetCaption(const std::wstring &caption);
    const FormDesign &Design() const { return design_; }

    // The colour the client area is cleared to (a stored colour property); setting it
    // repaints the form with the controls it holds.
    int32_t BackColor() const { return backColor_; }
    void SetBackColor(int32_t color);

    // Shows a hidden top-level menu as a pop-up at the mouse pointer, and runs the chosen item.
    void PopupMenu(MenuItem &menu);

    // Internal wiring of the lifecycle and menus.
    void RegisterMenu(MenuItem *top) { topMenus_.push_back(top); }
    void BuildMenus();
    void RebuildMenuBar();
    void RunLoad() { Form_Load(); }
    // What lets go of the form once it is unloaded (its global instance).
    void SetRelease(std::function<void()> release) { release_ = std::move(release); }
    MenuItem *FindMenuById(UINT id) const;
    void RegisterMenuId(UINT id, MenuItem *item) { menuIds_.emplace_back(id, item); }
    // QueryUnload with the reason; false when the form cancelled its unloading.
    bool RunQueryUnload(int unloadMode);
    // QueryUnload, Unload, then the form is let go of: the one unloading sequence, for
    // the title-bar close, a shutdown and Unload from code alike.
    void Unload(int unloadMode);

  protected:
    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_QueryUnload(int & /*cancel*/, int /*unloadMode*/) {}
    virtual void Form_Unload(int & /*cancel*/) {}

  private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);

    FormDesign design_;
    int32_t backColor_ = design_.backColor;
    HWND hwnd_ = nullptr;
    unique_hbrush background_;
    bool shownOnce_ = false;
    std::vector<MenuItem *> topMenus_;
    std::vector<std::pair<UINT, MenuItem *>> menuIds_;
    HMENU menuBar_ = nullptr;
    std::function<void()> release_;
};

// An error raised while a window handles a message that the system sent it cannot unwind
// through the system's code: the window keeps it, and it is raised again once the call
// that sent the message has returned to the toolkit (the first one kept wins).
void KeepWindowProcedureError(std::exception_ptr error);
void RaiseWindowProcedureError();

// Unloaded forms wait here until the top-level message loop deletes them: an unload may
// come from inside one of their own handlers.
void ReleaseUnloadedForms();
void DeferFormDeletion(std::unique_ptr<Form> form);

// The global instance of one form class: created (with Form_Load) on first use.
template <class T> class FormInstance {
  public:
    T *operator->() { return &Get(); }
    T &Get() {
        if (!form_) {
            form_ = std::make_unique<T>();
            form_->SetRelease([this] { Release(); });
            form_->BuildMenus();
            T &f = *form_;
            f.RunLoad();
            return f;
        }
        return *form_;
    }
    bool IsLoaded() const { return form_ != nullptr; }
    void Load() { Get(); }
    void Show() { Get().Show(); }
    void Hide() {
        if (form_) form_->Hide();
    }
    // Unload from code: QueryUnload and Unload run, then the form is gone; the next use
    // creates it again with its designed values.
    void Unload() {
        if (form_) form_->Unload(vbFormCode);
    }

    // Drops the form without its unload events, so that a test starts afresh.
    void Discard() { Release(); }

  private:
    void Release() {
        if (form_) DeferFormDeletion(std::move(form_));
    }
    std::unique_ptr<T> form_;
};

// Base of every control: a child window with a name, a place in its container's units,
// and the Visible and Enabled flags.
class Control {
  public:
    Control(Container &parent, std::wstring name);
    virtual ~Control();
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    HWND Hwnd() const { return hwnd_; }
    const std::wstring &Name() const { return name_; }
    Container &Parent() const { return parent_; }

    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void SetLeft(double v);
    void SetTop(double v);
    void SetWidth(double v);
    void SetHeight(double v);
    void Move(double left, double top, double width, double height);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    void SetFont(const FontSpec &font);

    // Windowless controls draw themselves here, in the container's client pixels.
    virtual void Paint(HDC /*dc*/) const {}
    const RECT &PixelRect() const { return rect_; }

    // A notification this control sent to its parent window.
    virtual bool OnNotify(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, LRESULT & /*result*/) {
        return false;
    }

  protected:
    // Creates the window at the designed place (container units).
    void Create(const wchar_t *windowClass, DWORD style, DWORD exStyle, const std::wstring &text,
                double left, double top, double width, double height, bool visible);
    // A control painted by its container: no window, a place only.
    void CreateWindowless(double left, double top, double width, double height, bool visible);
    void ApplyRect(int x, int y, int w, int h);
    void InvalidateInParent() const;
    int ToPixelsX(double v) const;
    int ToPixelsY(double v) const;
    RECT PixelRectOf(double left, double top, double width, double height) const;

    Container &parent_;
    std::wstring name_;
    HWND hwnd_ = nullptr;
    RECT rect_{}; // outer rectangle in the container's client pixels
    bool visible_ = true;
    bool enabled_ = true;
};

} // namespace mirolt::platform
