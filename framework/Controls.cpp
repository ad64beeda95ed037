#include "framework/Controls.h"

#include "framework/WindowObject.h"
#include "framework/WndThunk.h"

#include <algorithm>
#include <map>
#include <windowsx.h>

namespace {
// The window property that ties a window to its framework object.
const TWindowObject<TWinControl> WindowControl("TapstormControl");

// The control whose window is being created right now, so the first message can attach it.
thread_local TWinControl* CreationControl = nullptr;

// Window procedures of the platform classes that framework classes are built on.
std::map<ATOM, WNDPROC>& BaseProcs()
{
    static std::map<ATOM, WNDPROC> procs;
    return procs;
}

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState shift = 0;
    if (keys & MK_SHIFT) shift |= ssShift;
    if (keys & MK_CONTROL) shift |= ssCtrl;
    if (keys & MK_LBUTTON) shift |= ssLeft;
    if (keys & MK_RBUTTON) shift |= ssRight;
    if (keys & MK_MBUTTON) shift |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}
}  // namespace

AnsiString WindowText(HWND window)
{
    int length = GetWindowTextLengthA(window);
    AnsiString text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

WideString WindowTextW(HWND window)
{
    const int length = window != nullptr ? GetWindowTextLengthW(window) : 0;
    if (length <= 0)
        return WideString();
    WideString text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

int WindowPixelsPerInch(HWND window)
{
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<TGetDpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (window != nullptr && getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi > 0)
            return static_cast<int>(dpi);
    }
    return ScreenPixelsPerInch();
}

void AdjustWindowRectForPPI(RECT& rect, DWORD style, DWORD exStyle, int ppi)
{
    // Found at run time, as the awareness is: older systems size every frame at the system's.
    using TAdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<TAdjustForDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    if (adjustForDpi != nullptr && ppi > 0 && adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(ppi)))
        return;
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

TDialogControlDpiBehaviorCall& DialogControlDpiBehaviorCall()
{
    static TDialogControlDpiBehaviorCall call = reinterpret_cast<TDialogControlDpiBehaviorCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetDialogControlDpiChangeBehavior")));
    return call;
}

void KeepOutOfDialogRescale(HWND window, bool keepOut)
{
    // DCDC_DISABLE_FONT_UPDATE | DCDC_DISABLE_RELAYOUT: older headers lack the names.
    const DWORD both = 0x0001 | 0x0002;
    if (const TDialogControlDpiBehaviorCall call = DialogControlDpiBehaviorCall(); call != nullptr && window != nullptr)
        call(window, both, keepOut ? both : 0);
}

// ---------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(new TFont)
{
    FFont->OnChange = [this](TObject*) {
        if (!FSyncingFont)
            FParentFont = false;
        FontChanged();
    };
}

TControl::~TControl()
{
    Destroying();
    if (FParent != nullptr)
        FParent->RemoveControl(this);
    delete FFont;
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == FParent)
        return;
    if (FParent != nullptr)
        FParent->RemoveControl(this);
    if (parent != nullptr)
        parent->InsertControl(this);
}

int TControl::GetLeft() const { return FLeft; }
int TControl::GetTop() const { return FTop; }
int TControl::GetWidth() const { return FWidth; }
int TControl::GetHeight() const { return FHeight; }

void TControl::SetLeft(int value) { SetBounds(value, GetTop(), GetWidth(), GetHeight()); }
void TControl::SetTop(int value) { SetBounds(GetLeft(), value, GetWidth(), GetHeight()); }
void TControl::SetWidth(int value) { SetBounds(GetLeft(), GetTop(), value, GetHeight()); }
void TControl::SetHeight(int value) { SetBounds(GetLeft(), GetTop(), GetWidth(), value); }

void TControl::SetBounds(int left, int top, int width, int height)
{
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
}

RECT TControl::GetBoundsRect() const
{
    RECT r = {GetLeft(), GetTop(), GetLeft() + GetWidth(), GetTop() + GetHeight()};
    return r;
}

void TControl::SetBoundsRect(const RECT& rect)
{
    SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

RECT TControl::GetClientRect() const
{
    RECT r = {0, 0, GetWidth(), GetHeight()};
    return r;
}

AnsiString TControl::GetText() const { return FText; }
void TControl::SetText(const AnsiString& value) { FText = value; }
void TControl::SetEnabled(bool value) { FEnabled = value; }
void TControl::SetVisible(bool value) { FVisible = value; }

void TControl::SetParentFont(bool value)
{
    FParentFont = value;
    if (value)
        ParentFontChanged();
}

void TControl::SetColor(TColor value)
{
    FParentColor = false;
    if (value == FColor)
        return;
    FColor = value;
    ColorChanged();
}

void TControl::ParentFontChanged()
{
    if (!FParentFont || FParent == nullptr)
        return;
    FSyncingFont = true;
    FFont->Assign(FParent->GetFont());
    FSyncingFont = false;
}

void TControl::ParentColorChanged()
{
    if (!FParentColor || FParent == nullptr || FParent->GetColor() == FColor)
        return;
    FColor = FParent->GetColor();
    ColorChanged();
}

void TControl::FontChanged() {}

void TControl::ScaleForPPI(int value)
{
    if (value <= 0 || value == FPixelsPerInch)
        return;
    const int old = FPixelsPerInch;
    FPixelsPerInch = value;
    ChangeScale(value, old);
}

void TControl::ChangeScale(int m, int d)
{
    ScaleBounds(m, d);
    // The control's own font, whether or not it follows its parent's.
    FSyncingFont = true;
    FFont->SetPixelsPerInch(FPixelsPerInch);
    FSyncingFont = false;
}

void TControl::ScaleBounds(int m, int d)
{
    SetBounds(ScalePixels(GetLeft(), m, d), ScalePixels(GetTop(), m, d), ScalePixels(GetWidth(), m, d),
              ScalePixels(GetHeight(), m, d));
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message = {msg, wParam, lParam, 0};
    WndProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message)
{
    Dispatch(message);
}

void TControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        // Tell the parent which of its controls the pointer came to or left.
        if (FParent != nullptr)
            FParent->Perform(message.Msg, 0, message.LParam != 0 ? message.LParam : reinterpret_cast<LPARAM>(this));
        break;
    default:
        DefaultHandler(message);
        break;
    }
}

void TControl::DefaultHandler(TMessage& message) {}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

// ---------------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    Destroying();
    // Children this control does not own lose their parent before the window goes.
    while (!FControls.empty())
        FControls.back()->SetParent(nullptr);
    DestroyHandle();
    if (FBrush != nullptr)
        DeleteObject(FBrush);
}

HWND TWinControl::GetHandle()
{
    if (FHandle == nullptr)
        CreateWnd();
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = FText;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FVisible)
        params.Style |= WS_VISIBLE;
    if (!FEnabled)
        params.Style |= WS_DISABLED;
    if (FTabStop)
        params.Style |= WS_TABSTOP;
    params.X = FLeft;
    params.Y = FTop;
    params.Width = FWidth;
    params.Height = FHeight;
    params.WndParent = FParent != nullptr ? FParent->GetHandle() : FParentWindow;
    params.WinClassName = ClassName();
}

int TWinControl::TargetPixelsPerInch() const
{
    if (FParent != nullptr)
        return FParent->GetPixelsPerInch();
    if (FParentWindow != nullptr)
        return WindowPixelsPerInch(FParentWindow);
    return FPixelsPerInch;
}

void TWinControl::ChangeScale(int m, int d)
{
    TControl::ChangeScale(m, d);
    for (TControl* control : FControls)
        control->ScaleForPPI(FPixelsPerInch);
}

void TWinControl::CreateWnd()
{
    ScaleForPPI(TargetPixelsPerInch());
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && params.WndParent == nullptr)
        throw Exception(Format("Control '%s' has no parent window", GetName().c_str()));

    HINSTANCE instance = GetModuleHandleA(nullptr);
    const bool platformClass = !params.BaseClassName.empty() && params.BaseClassName == params.WinClassName;
    if (!platformClass) {
        WNDCLASSEXA existing = {};
        existing.cbSize = sizeof(existing);
        if (!GetClassInfoExA(instance, params.WinClassName.c_str(), &existing)) {
            WNDCLASSEXA wc = {};
            wc.cbSize = sizeof(wc);
            WNDPROC baseProc = DefWindowProcA;
            if (!params.BaseClassName.empty()) {
                // A platform class under a name of our own: same look and behaviour, our procedure.
                if (!GetClassInfoExA(nullptr, params.BaseClassName.c_str(), &wc))
                    throw Exception(Format("Window class %s not found", params.BaseClassName.c_str()));
                wc.cbSize = sizeof(wc);
                baseProc = wc.lpfnWndProc;
            } else {
                wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
                wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
                wc.style = params.ClassStyle;
            }
            wc.lpfnWndProc = StdWndProc;
            wc.hInstance = instance;
            wc.lpszClassName = params.WinClassName.c_str();
            ATOM atom = RegisterClassExA(&wc);
            if (atom == 0)
                throw Exception(Format("Cannot register window class %s", params.WinClassName.c_str()));
            BaseProcs()[atom] = baseProc;
        }
        CreationControl = this;
    }

    HMENU id = nullptr;
    // A control put into a window of someone else's takes no identifier that could clash
    // with that window's own controls. Within a framework parent, the first free one: a
    // control removed earlier leaves a gap, and counting would hand out a taken one again.
    if ((params.Style & WS_CHILD) && FParent != nullptr) {
        int next = 100 + FParent->ControlCount();
        while (GetDlgItem(params.WndParent, next) != nullptr)
            ++next;
        id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(next));
    }
    HWND window = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                                  params.X, params.Y, params.Width, params.Height, params.WndParent, id, instance,
                                  nullptr);
    CreationControl = nullptr;
    if (window == nullptr)
        throw Exception(Format("Cannot create window of class %s", params.WinClassName.c_str()));
    // A window this control is not tied to would never reach it.
    const auto bindFailed = [&] {
        DestroyWindow(window);
        return Exception(Format("Cannot bind window of class %s to its control", params.WinClassName.c_str()));
    };
    if (!platformClass && FHandle != window)
        throw bindFailed();
    if (platformClass) {
        // Subclassed through a thunk, like every other layer on a window: taken off while a
        // later layer sits above it, it keeps passing messages to the class's procedure.
        if (!Attach(window))
            throw bindFailed();
        FObjectInstance = MakeObjectInstance([this](TMessage& message) { Deliver(FHandle, message); });
        FDefWndProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FObjectInstance)));
    }
    InitializeHandle();
    CreateChildHandles();
}

bool TWinControl::Attach(HWND window)
{
    if (!WindowControl.Bind(window, this))
        return false;
    FHandle = window;
    if (FObjectInstance == nullptr) {
        auto it = BaseProcs().find(static_cast<ATOM>(GetClassLongPtrA(window, GCW_ATOM)));
        FDefWndProc = it != BaseProcs().end() ? it->second : DefWindowProcA;
    }
    return true;
}

void TWinControl::Detach()
{
    if (FHandle == nullptr)
        return;
    WindowControl.Unbind(FHandle);
    if (FObjectInstance != nullptr) {
        UnhookObjectInstance(FHandle, FObjectInstance, FDefWndProc);
        FreeObjectInstance(FObjectInstance);
        FObjectInstance = nullptr;
    }
    FHandle = nullptr;
}

void TWinControl::InitializeHandle()
{
    SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->GetHandle()), FALSE);
}

void TWinControl::CreateChildHandles()
{
    for (TControl* control : FControls) {
        if (auto* child = dynamic_cast<TWinControl*>(control))
            child->HandleNeeded();
    }
}

void TWinControl::DestroyHandle()
{
    if (FHandle == nullptr)
        return;
    // Stop dispatching to this object and take the subclass off while the window is valid,
    // then destroy it: the object is already partly gone when this runs from a destructor.
    HWND window = FHandle;
    Detach();
    DestroyWindow(window);
}

TWinControl* TWinControl::FindControl(HWND window)
{
    return WindowControl.Find(window);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWinControl* control = FindControl(window);
    if (control == nullptr) {
        if (CreationControl == nullptr) {
            auto it = BaseProcs().find(static_cast<ATOM>(GetClassLongPtrA(window, GCW_ATOM)));
            WNDPROC base = it != BaseProcs().end() ? it->second : DefWindowProcA;
            return CallWindowProcA(base, window, msg, wParam, lParam);
        }
        control = CreationControl;
        CreationControl = nullptr;
        // Refused: the window stays unbound, and CreateWnd destroys it and throws.
        if (!control->Attach(window))
            return CallWindowProcA(DefWindowProcA, window, msg, wParam, lParam);
    }
    TMessage message = {msg, wParam, lParam, 0};
    control->Deliver(window, message);
    return message.Result;
}

void TWinControl::Deliver(HWND window, TMessage& message)
{
    GuardedCall(this, [&] { WndProc(message); });
    // The handler may have freed this control: only compare the pointer.
    if (message.Msg == WM_NCDESTROY && FindControl(window) == this)
        Detach();
}

void TWinControl::DefaultHandler(TMessage& message)
{
    if (FHandle == nullptr) {
        message.Result = 0;
        return;
    }
    message.Result = CallWindowProcA(FDefWndProc != nullptr ? FDefWndProc : DefWindowProcA, FHandle, message.Msg,
                                     message.WParam, message.LParam);
}

void TWinControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        // Reflect a control's notification to the control it concerns.
        if (TWinControl* child = FindControl(reinterpret_cast<HWND>(message.LParam)); child != nullptr && child != this) {
            message.Result = child->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
            return;
        }
        DefaultHandler(message);
        return;
    case WM_NOTIFY:
        if (TWinControl* child = FindControl(reinterpret_cast<NMHDR*>(message.LParam)->hwndFrom);
            child != nullptr && child != this) {
            message.Result = child->Perform(CN_NOTIFY, message.WParam, message.LParam);
            return;
        }
        DefaultHandler(message);
        return;
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
        ControlColor(message);
        return;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(message.WParam) == FHandle && LOWORD(message.LParam) == HTCLIENT &&
            FCursor != crDefault) {
            ::SetCursor(LoadCursor(nullptr, FCursor == crHandPoint ? IDC_HAND : FCursor == crSizeNWSE ? IDC_SIZENWSE : IDC_ARROW));
            message.Result = TRUE;
            return;
        }
        DefaultHandler(message);
        return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        DefaultHandler(message);
        TMouseButton button = message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK   ? mbLeft
                              : message.Msg == WM_RBUTTONDOWN || message.Msg == WM_RBUTTONDBLCLK ? mbRight
                                                                                                 : mbMiddle;
        // Take the mouse first: taking it raises WM_CAPTURECHANGED, which cancels a pending click.
        if (FCaptureMouse && GetCapture() != FHandle)
            SetCapture(FHandle);
        // The second press of a double click is a press, not the start of another click.
        if (message.Msg == WM_LBUTTONDOWN)
            FClicked = true;
        MouseDown(button, KeysToShiftState(message.WParam), GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        DefaultHandler(message);
        TMouseButton button = message.Msg == WM_LBUTTONUP ? mbLeft : message.Msg == WM_RBUTTONUP ? mbRight : mbMiddle;
        POINT pt = {GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
        // Decide the click before letting the mouse go: releasing it cancels a pending click.
        bool clicked = button == mbLeft && FClicked;
        if (button == mbLeft)
            FClicked = false;
        if (FCaptureMouse && GetCapture() == FHandle && (message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0)
            ReleaseCapture();
        if (clicked) {
            RECT client = GetClientRect();
            if (PtInRect(&client, pt))
                Click();
        }
        if (FHandle != nullptr)
            MouseUp(button, KeysToShiftState(message.WParam), pt.x, pt.y);
        UpdateMouseInside();
        return;
    }
    case WM_MOUSEMOVE:
        DefaultHandler(message);
        UpdateMouseInside();
        return;
    case WM_MOUSELEAVE:
        FTracking = false;
        DefaultHandler(message);
        UpdateMouseInside();
        return;
    case WM_CAPTURECHANGED:
        FClicked = false;
        DefaultHandler(message);
        return;
    default:
        TControl::Dispatch(message);
        return;
    }
}

void TWinControl::UpdateMouseInside()
{
    if (FHandle == nullptr)
        return;
    POINT pt;
    GetCursorPos(&pt);
    bool inside = WindowFromPoint(pt) == FHandle || (GetCapture() == FHandle && [&] {
        RECT r;
        GetWindowRect(FHandle, &r);
        return PtInRect(&r, pt) != FALSE;
    }());
    if (inside && !FTracking) {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, FHandle, 0};
        FTracking = TrackMouseEvent(&tme) != FALSE;
    }
    if (inside == FMouseInControl)
        return;
    FMouseInControl = inside;
    Perform(inside ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
}

void TWinControl::ControlColor(TMessage& message)
{
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    SetTextColor(dc, ColorToRGB(FFont->GetColor()));
    SetBkColor(dc, ColorToRGB(FColor));
    message.Result = reinterpret_cast<LRESULT>(ColorBrush());
}

HBRUSH TWinControl::ColorBrush()
{
    if (FBrush == nullptr || FBrushColor != FColor) {
        if (FBrush != nullptr)
            DeleteObject(FBrush);
        FBrush = CreateSolidBrush(ColorToRGB(FColor));
        FBrushColor = FColor;
    }
    return FBrush;
}

void TWinControl::FontChanged()
{
    if (FHandle != nullptr) {
        SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->GetHandle()), TRUE);
        InvalidateRect(FHandle, nullptr, TRUE);
    }
    for (TControl* control : FControls)
        control->ParentFontChanged();
}

void TWinControl::ColorChanged()
{
    if (FHandle != nullptr)
        InvalidateRect(FHandle, nullptr, TRUE);
    for (TControl* control : FControls)
        control->ParentColorChanged();
}

void TWinControl::InsertControl(TControl* control)
{
    FControls.push_back(control);
    control->FParent = this;
    control->ParentFontChanged();
    control->ParentColorChanged();
    auto* win = dynamic_cast<TWinControl*>(control);
    if (win == nullptr)
        return;
    if (win->FHandle != nullptr) {
        ::SetParent(win->FHandle, FHandle != nullptr ? FHandle : GetHandle());
    } else if (FHandle != nullptr) {
        win->HandleNeeded();
    }
}

void TWinControl::RemoveControl(TControl* control)
{
    auto it = std::find(FControls.begin(), FControls.end(), control);
    if (it != FControls.end())
        FControls.erase(it);
    control->FParent = nullptr;
    auto* win = dynamic_cast<TWinControl*>(control);
    if (win != nullptr && win->FHandle != nullptr && (GetWindowLongA(win->FHandle, GWL_STYLE) & WS_CHILD))
        win->DestroyHandle();
}

void TWinControl::SetParentWindow(HWND value)
{
    if (FParent != nullptr || value == FParentWindow)
        return;
    FParentWindow = value;
    if (FHandle != nullptr)
        ::SetParent(FHandle, value);
}

RECT TWinControl::WindowRectInParent() const
{
    RECT r;
    GetWindowRect(FHandle, &r);
    if (HWND parent = ::GetParent(FHandle); parent != nullptr && (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int TWinControl::GetLeft() const
{
    return FHandle != nullptr ? WindowRectInParent().left : FLeft;
}

int TWinControl::GetTop() const
{
    return FHandle != nullptr ? WindowRectInParent().top : FTop;
}

int TWinControl::GetWidth() const
{
    if (FHandle == nullptr)
        return FWidth;
    RECT r;
    GetWindowRect(FHandle, &r);
    return r.right - r.left;
}

int TWinControl::GetHeight() const
{
    if (FHandle == nullptr)
        return FHeight;
    RECT r;
    GetWindowRect(FHandle, &r);
    return r.bottom - r.top;
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    TControl::SetBounds(left, top, width, height);
    if (FHandle != nullptr)
        SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TWinControl::GetClientRect() const
{
    if (FHandle == nullptr)
        return TControl::GetClientRect();
    RECT r;
    ::GetClientRect(FHandle, &r);
    return r;
}

AnsiString TWinControl::GetText() const
{
    return FHandle != nullptr ? WindowText(FHandle) : FText;
}

void TWinControl::SetText(const AnsiString& value)
{
    FText = value;
    if (FHandle != nullptr)
        SetWindowTextA(FHandle, value.c_str());
}

void TWinControl::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    if (FHandle != nullptr)
        EnableWindow(FHandle, value ? TRUE : FALSE);
}

void TWinControl::SetVisible(bool value)
{
    FVisible = value;
    if (FHandle != nullptr)
        ShowWindow(FHandle, value ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetTabStop(bool value)
{
    FTabStop = value;
    if (FHandle != nullptr) {
        LONG style = GetWindowLongA(FHandle, GWL_STYLE);
        SetWindowLongA(FHandle, GWL_STYLE, value ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
}

void TWinControl::SetFocus()
{
    ::SetFocus(GetHandle());
}
