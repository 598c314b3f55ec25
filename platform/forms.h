#pragma once
// Forms: windows with global instances and the Load/Show/Hide/Unload lifecycle, the
// containers that controls are placed in, and the base of every control.
//
// Every window of the toolkit is bound to its object the same way: the object is passed
// through CreateWindowExW, bound at WM_NCCREATE and found again through GWLP_USERDATA.
// The standard controls are superclassed so that they are bound, and their messages
// (keys included) reach their objects, like the toolkit's own windows.
#include "events.h"
#include "handles.h"
#include "menu.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mirolt::platform {

class Control;
class Form;

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

// The Shift argument of key and mouse events: vbShiftMask, vbCtrlMask, vbAltMask.
int ShiftState();

// A control's place in its container's units (twips or pixels).
struct Place {
    double left = 0, top = 0, width = 0, height = 0;
};

// The window classes of the toolkit: its own, and the standard ones superclassed.
enum class WindowClass {
    Form,
    PictureBox,
    Frame,
    Button,
    Edit,
    ComboBox,
    ListBox,
    ScrollBar,
    ProgressBar,
    StatusBar
};

// What a toolkit window is bound to.
class WindowTarget {
  public:
    // The window being created, at its WM_NCCREATE.
    virtual void AttachWindow(HWND hwnd) = 0;
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;

  protected:
    ~WindowTarget() = default;
};

// The registered class name of a toolkit window class, and the procedure of the system
// class it is based on (DefWindowProcW for the toolkit's own classes).
const wchar_t *ClassName(WindowClass cls);
WNDPROC BaseProc(WindowClass cls);

// Anything controls are placed in: a form, a frame or a picture box. Positions of the
// children are in the container's scale units.
class Container {
  public:
    virtual ~Container() = default;
    virtual HWND Hwnd() const = 0;
    virtual ScaleMode Scale() const = 0;
    virtual Form &OwnerForm() = 0;
    double UnitsPerPixelX() const;
    double UnitsPerPixelY() const;

    void AddChild(Control *control) { children_.push_back(control); }
    void RemoveChild(Control *control);
    const std::vector<Control *> &Children() const { return children_; }
    // Controls without a window of their own (labels, shapes) are painted by their container.
    void PaintWindowless(HDC dc) const;
    // Puts the children's windows in their designed focus order, whatever the order they
    // were declared in, and makes each run of option buttons one arrow-key group.
    void ApplyDesignedOrder();

  private:
    std::vector<Control *> children_;
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

// The program's dialogs: a fixed single border without a maximise button, centred.
inline FormDesign FixedDialog(std::wstring caption, int clientWidthTwips, int clientHeightTwips) {
    return {.caption = std::move(caption),
            .clientWidthTwips = clientWidthTwips,
            .clientHeightTwips = clientHeightTwips,
            .border = BorderStyle::FixedSingle,
            .maxButton = false};
}

class Form : public Container, public MenuHost, public WindowTarget {
  public:
    explicit Form(const FormDesign &design);
    ~Form() override;
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    // The form a top-level window of the toolkit belongs to; null for any other window.
    static Form *FromHwnd(HWND hwnd);

    HWND Hwnd() const override { return hwnd_; }
    ScaleMode Scale() const override { return design_.scale; }
    Form &OwnerForm() override { return *this; }

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

    // The control that has the keyboard focus in this form, or null.
    Control *ActiveControl() const;

    // The default look, as in classic dialogs: the push button that has the focus shows it
    // (Enter presses it); with the focus anywhere else, the designed default button does.
    bool HasDefaultLook(const Control &button, HWND focus) const;
    // Gives every push button of the form its look for the focus at `focus`.
    void ShowDefaultLook(HWND focus);
    // A control with the focus that is disabled gets the focus back when it is enabled
    // again, if the form has no other by then: at once while the form is active, else at
    // its next activation.
    void NoteDisabling(HWND control);
    void NoteEnabled(HWND control);

    // Shows a hidden top-level menu as a pop-up at the mouse pointer, and runs the chosen item.
    void PopupMenu(MenuItem &menu);

    // Binds a member function of the derived form to an event: a pop-up item and its
    // menu-bar twin bind the same handler; a control array's event takes one with Index.
    template <class F, class... Args>
    void Bind(Event<Args...> &event, void (F::*handler)(Args...)) {
        F *self = static_cast<F *>(this);
        event = [self, handler](Args... args) { (self->*handler)(std::forward<Args>(args)...); };
    }

    // Internal wiring of the lifecycle, called once the derived form is constructed: the
    // menu bar, and the designed focus order of the controls.
    void FinishDesign();
    void RunLoad() { Form_Load(); }
    // What lets go of the form once it is unloaded (its global instance).
    void SetRelease(std::function<void()> release) { release_ = std::move(release); }
    // QueryUnload with the reason; false when the form cancelled its unloading.
    bool RunQueryUnload(int unloadMode);
    // QueryUnload, Unload, then the form is let go of: the one unloading sequence, for
    // the title-bar close, a shutdown and Unload from code alike.
    void Unload(int unloadMode);

    // Internal: control identifiers, and the buttons Enter and Esc press.
    int RegisterControl(Control *control);
    void UnregisterControl(Control *control);
    void SetDefaultButton(Control *button) { default_ = button; }
    void SetCancelButton(Control *button) { cancel_ = button; }
    void ForgetButton(Control *button);

  protected:
    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_QueryUnload(int & /*cancel*/, int /*unloadMode*/) {}
    virtual void Form_Unload(int & /*cancel*/) {}

  private:
    void AttachWindow(HWND hwnd) override { hwnd_ = hwnd; }
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void PressButton(Control *button);
    void FocusNext(HWND from, bool previous);
    void RestoreFocus();
    Control *ControlOf(HWND hwnd) const;

    FormDesign design_;
    int32_t backColor_ = design_.backColor;
    HWND hwnd_ = nullptr;
    unique_hbrush background_;
    bool shownOnce_ = false;
    bool designFinished_ = false;
    std::function<void()> release_;
    std::map<int, Control *> controls_;
    int nextControlId_ = 100; // below the menus' identifiers, above IDOK and IDCANCEL
    Control *default_ = nullptr;
    Control *cancel_ = nullptr;
    HWND lastFocus_ = nullptr; // the focus when the form was left, or disabled under it
};

// An error raised while a window handles a message that the system sent it cannot unwind
// through the system's code. While a toolkit call that sizes or shows a window (inside a
// SizingScope) waits for it, the window keeps it (the first one kept wins) and the call
// raises it again once the system has returned; otherwise Keep... returns false and the
// error ends at the window procedure's boundary like any other.
bool KeepWindowProcedureError(std::exception_ptr error);
void RaiseWindowProcedureError();
struct SizingScope {
    SizingScope();
    ~SizingScope();
    SizingScope(const SizingScope &) = delete;
    SizingScope &operator=(const SizingScope &) = delete;
};

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
            form_->FinishDesign();
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

// Base of every control: a child window (or a place painted by its container) with a
// name, a place in its container's units, the Visible and Enabled flags, a font and its
// place in the focus order. Each control type takes one Design struct.
class Control : public WindowTarget {
  public:
    Control(Container &parent, std::wstring name);
    virtual ~Control();
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    HWND Hwnd() const { return hwnd_; }
    const std::wstring &Name() const { return name_; }
    Container &Parent() const { return parent_; }
    // The member's index in its control array; -1 for a control of its own.
    int Index() const { return index_; }
    void SetIndex(int index) { index_ = index; }
    int Id() const { return id_; }

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
    const FontSpec &Font() const { return font_; }
    void SetFont(const FontSpec &font);
    std::wstring FontName() const { return font_.name; }
    void SetFontName(const std::wstring &name);
    double FontSize() const { return font_.points; }
    // A size outside what a font can take (above 0, at most 2048 points) raises 380.
    void SetFontSize(double points);
    void SetFocus();
    // The designed place in the focus order; -1 keeps the order of declaration.
    int TabIndex() const { return tabIndex_; }

    // Windowless controls draw themselves here, in the container's client pixels.
    virtual void Paint(HDC /*dc*/) const {}
    const RECT &PixelRect() const { return rect_; }

    // A notification this control sent to its parent window.
    virtual bool OnNotify(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, LRESULT & /*result*/) {
        return false;
    }
    // The container's client area changed size.
    virtual void ParentResized() {}
    // Whether this control takes part in arrow-key groups of option buttons.
    virtual bool IsOptionButton() const { return false; }
    // Push buttons take the default look (ShowAsDefault) from their form.
    virtual bool IsPushButton() const { return false; }
    virtual void ShowAsDefault(bool /*on*/) {}

  protected:
    // Creates the window at the designed place, with the design's common properties:
    // place, visible, and where the design has them enabled, tabStop, tabIndex and font.
    template <class D>
    void Create(WindowClass cls, DWORD style, DWORD exStyle, const std::wstring &text,
                const D &design) {
        bool hasFont = false;
        if constexpr (requires { design.font; }) {
            font_ = design.font;
            hasFont = true;
        }
        if constexpr (requires { design.tabIndex; }) tabIndex_ = design.tabIndex;
        if constexpr (requires { design.tabStop; })
            if (design.tabStop) style |= WS_TABSTOP;
        bool enabled = true;
        if constexpr (requires { design.enabled; }) enabled = design.enabled;
        CreateWindowed(cls, style, exStyle, text, design.place, design.visible, enabled);
        if (hasFont) ApplyFont();
    }
    // A control painted by its container: no window, a place only.
    void CreateWindowless(const Place &place, bool visible);

    // Messages of the control's own window; the default is its class's procedure.
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    LRESULT CallBaseProc(UINT msg, WPARAM wp, LPARAM lp);

    void ApplyRect(int x, int y, int w, int h);
    void InvalidateInParent() const;
    int ToPixelsX(double v) const;
    int ToPixelsY(double v) const;
    RECT PixelRectOf(const Place &place) const;
    void ApplyFont();

    Container &parent_;
    std::wstring name_;
    HWND hwnd_ = nullptr;
    WNDPROC baseProc_ = DefWindowProcW;
    RECT rect_{}; // outer rectangle in the container's client pixels
    bool visible_ = true;
    bool enabled_ = true;
    FontSpec font_;
    int tabIndex_ = -1;
    int index_ = -1;
    int id_ = 0;

  private:
    void AttachWindow(HWND hwnd) override { hwnd_ = hwnd; }
    void CreateWindowed(WindowClass cls, DWORD style, DWORD exStyle, const std::wstring &text,
                        const Place &place, bool visible, bool enabled);
};

// The key events of controls that take typing. Raises KeyDown/KeyUp (key code by
// reference, shift state) or KeyPress (character code by reference) for a keyboard
// message; false when a handler set the code to 0, discarding the key. A changed
// character is passed on in `wp`.
bool RaiseKeyEvents(UINT msg, WPARAM &wp, Event<int &, int> &keyDown, Event<int &, int> &keyUp,
                    Event<int &> &keyPress);

} // namespace mirolt::platform
