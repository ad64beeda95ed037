// Controls: the base of everything with a window, its window procedure and message dispatch.
#pragma once

#include "framework/Classes.h"
#include "framework/Graphics.h"

#include <windows.h>

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateFlag : unsigned {
    ssShift = 0x01, ssAlt = 0x02, ssCtrl = 0x04, ssLeft = 0x08, ssRight = 0x10, ssMiddle = 0x20,
};
using TShiftState = unsigned;

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeNWSE = -8;

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;

struct TCreateParams {
    AnsiString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    // The class the window is registered under, and the platform class it is built on (empty:
    // a class of the framework's own). When both name the same class, the platform class is
    // used as it is and subclassed after creation.
    AnsiString WinClassName;
    AnsiString BaseClassName;
    UINT ClassStyle = CS_DBLCLKS;
};

class TWinControl;

// A window's title text.
AnsiString WindowText(HWND window);
// The same as the window holds it, in Unicode (no character lost to the code page); empty for
// no window.
WideString WindowTextW(HWND window);

// The resolution a window is shown at: its monitor's where the platform scales per monitor,
// else the screen's.
int WindowPixelsPerInch(HWND window);

// Widens a client rectangle to the window rectangle under those styles (no menu), with the
// frame at `ppi` where the platform sizes frames per resolution, else at the system's.
void AdjustWindowRectForPPI(RECT& rect, DWORD style, DWORD exStyle, int ppi);

// The platform's SetDialogControlDpiChangeBehavior (Windows 10 1703 and later), found at run
// time; null where there is none. A test may put a recorder in its place.
using TDialogControlDpiBehaviorCall = BOOL(WINAPI*)(HWND window, DWORD mask, DWORD values);
TDialogControlDpiBehaviorCall& DialogControlDpiBehaviorCall();
// A window of ours inside a dialog the platform rescales on a change of resolution: kept out of
// that (no new place, no new font; we scale it ourselves), or given back to it.
void KeepOutOfDialogRescale(HWND window, bool keepOut);

// A control with bounds, caption, font, colour and mouse handling. Every control here has a
// window of its own (TWinControl); this layer keeps what does not depend on the handle.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);

    const char* ClassName() const override { return "TControl"; }

    TWinControl* GetParent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);

    virtual int GetLeft() const;
    virtual int GetTop() const;
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    void SetLeft(int value);
    void SetTop(int value);
    void SetWidth(int value);
    void SetHeight(int value);
    virtual void SetBounds(int left, int top, int width, int height);
    RECT GetBoundsRect() const;
    void SetBoundsRect(const RECT& rect);
    virtual RECT GetClientRect() const;

    AnsiString GetCaption() const { return GetText(); }
    void SetCaption(const AnsiString& value) { SetText(value); }
    virtual AnsiString GetText() const;
    virtual void SetText(const AnsiString& value);

    bool GetEnabled() const { return FEnabled; }
    virtual void SetEnabled(bool value);
    bool GetVisible() const { return FVisible; }
    virtual void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    TFont* GetFont() const { return FFont; }
    void SetFont(TFont* value) { FFont->Assign(value); }
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool value);
    TColor GetColor() const { return FColor; }
    virtual void SetColor(TColor value);
    bool GetParentColor() const { return FParentColor; }
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor value) { FCursor = value; }

    // The resolution the control's sizes and font are for: the design resolution until the
    // control is scaled, which happens when its window is made (see TWinControl).
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    // Scales every size and the font from the current resolution to `value`.
    void ScaleForPPI(int value);
    // Design pixels at the control's resolution: what a size given in design pixels is once
    // its window is made (from then on sizes are the window's pixels).
    int ScaledFromDesign(int designPixels) const
    {
        return ScalePixels(designPixels, FPixelsPerInch, DesignPixelsPerInch);
    }

    // Sends a message straight to this control's own handling (not through the platform).
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);

    // The virtual window procedure: WndProc -> Dispatch -> DefaultHandler.
    virtual void WndProc(TMessage& message);
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

protected:
    ~TControl() override;
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Click();
    virtual void FontChanged();
    virtual void ColorChanged() {}
    // Scales by m / d: the bounds (ScaleBounds), the font and whatever else a control keeps in
    // pixels. Overrides add their own pixel sizes and call the inherited one.
    virtual void ChangeScale(int m, int d);
    virtual void ScaleBounds(int m, int d);
    // A parent's font or colour changed: follow it where this control takes its parent's.
    void ParentFontChanged();
    void ParentColorChanged();

    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TWinControl* FParent = nullptr;
    AnsiString FText;
    bool FEnabled = true;
    bool FVisible = true;
    TFont* FFont;
    bool FParentFont = true;
    TColor FColor = clBtnFace;
    bool FParentColor = true;
    TCursor FCursor = crDefault;
    bool FSyncingFont = false;
    bool FMouseInControl = false;
    int FPixelsPerInch = DesignPixelsPerInch;

    friend class TWinControl;
};

// A control backed by a platform window. Sizes given before the window is made are design
// pixels (96 per inch): making the window scales the control to the resolution it is shown at
// (TargetPixelsPerInch). From then on sizes are the window's own pixels.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);

    const char* ClassName() const override { return "TWinControl"; }

    // The window handle, created on first use.
    HWND GetHandle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { GetHandle(); }

    // A platform window to live in when the control has no framework parent.
    HWND GetParentWindow() const { return FParentWindow; }
    virtual void SetParentWindow(HWND value);
    int GetLeft() const override;
    int GetTop() const override;
    int GetWidth() const override;
    int GetHeight() const override;
    void SetBounds(int left, int top, int width, int height) override;
    RECT GetClientRect() const override;
    AnsiString GetText() const override;
    void SetText(const AnsiString& value) override;
    void SetEnabled(bool value) override;
    void SetVisible(bool value) override;

    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool value);
    virtual void SetFocus();

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const { return FControls[static_cast<size_t>(index)]; }

    // The framework object attached to a window, if any.
    static TWinControl* FindControl(HWND window);

    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

protected:
    ~TWinControl() override;
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    // The resolution the window is made for: its framework parent's, or that of the platform
    // window it lives in; a control with neither keeps its own.
    virtual int TargetPixelsPerInch() const;
    void ChangeScale(int m, int d) override;
    // Called once the handle exists: push the stored state into the window.
    virtual void InitializeHandle();
    void DestroyHandle();
    HBRUSH ColorBrush();
    void FontChanged() override;
    void ColorChanged() override;
    // Paints a reflected WM_CTLCOLOR* for this control: its font colour on its background.
    void ControlColor(TMessage& message);

    HWND FHandle = nullptr;
    HWND FParentWindow = nullptr;
    WNDPROC FDefWndProc = nullptr;
    bool FTabStop = false;
    // Keep the mouse while a button is held on this control (labels), so the release arrives.
    bool FCaptureMouse = false;

private:
    static LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // One message for this control: WndProc with exceptions stopped, and letting go of the
    // window at its last message.
    void Deliver(HWND window, TMessage& message);
    // Ties `window` to this control; false when the platform refused the tie.
    bool Attach(HWND window);
    void Detach();
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void CreateChildHandles();
    // The window rectangle, in the parent's client coordinates for a child window.
    RECT WindowRectInParent() const;
    // Raises CM_MOUSEENTER / CM_MOUSELEAVE when the pointer comes onto or leaves this window.
    void UpdateMouseInside();

    std::vector<TControl*> FControls;
    HBRUSH FBrush = nullptr;
    TColor FBrushColor = 0;
    // The thunk a window of a platform class is subclassed with; null for the framework's own
    // classes, whose class procedure is StdWndProc.
    void* FObjectInstance = nullptr;
    bool FTracking = false;
    bool FClicked = false;

    friend class TControl;
};

// Makes a control of class T owned by `parent` and placed on it: bounds in design pixels, and
// the name and caption where given. Everything a control needs before its window is made (a
// style, say) rules this out: such a control is set up by hand.
template <class T>
T* PlaceControl(TWinControl* parent, int left, int top, int width, int height,
                const AnsiString& caption = AnsiString(), const AnsiString& name = AnsiString())
{
    T* control = new T(parent);
    if (!name.empty())
        control->SetName(name);
    control->SetBounds(left, top, width, height);
    if (!caption.empty())
        control->SetCaption(caption);
    control->SetParent(parent);
    return control;
}
