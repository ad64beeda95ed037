#include "framework/Forms.h"

#include "framework/Application.h"
#include "framework/Screen.h"

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    FVisible = false;
    FParentFont = false;
    FParentColor = false;
    FWidth = 320;
    FHeight = 240;
}

TForm::~TForm() = default;

void TForm::BeforeDestruction()
{
    TWinControl::BeforeDestruction();
    if (FHandle != nullptr)
        ShowWindow(FHandle, SW_HIDE);
    DoDestroy();
    DestroyHandle();
}

void TForm::Release()
{
    Application->Release(this);
}

void TForm::DoDestroy()
{
    if (FDestroyed)
        return;
    FDestroyed = true;
    if (OnDestroy)
        GuardedCall(this, [this] { OnDestroy(this); });
}

void TForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = WS_EX_CONTROLPARENT;
    switch (FBorderStyle) {
    case bsNone:
        params.Style |= WS_POPUP;
        break;
    case bsSingle:
    case bsToolWindow:
        params.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
        params.ExStyle |= WS_EX_TOOLWINDOW;
    if (FBorderStyle != bsNone && (FBorderIcons & biSystemMenu)) {
        params.Style |= WS_SYSMENU;
        if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
            if (FBorderIcons & biMinimize)
                params.Style |= WS_MINIMIZEBOX;
            if (FBorderIcons & biMaximize)
                params.Style |= WS_MAXIMIZEBOX;
        }
    }
    params.WndParent = nullptr;
    if (FParentWindow != nullptr) {
        // Embedded in a window of someone else's: a child with the same frame.
        params.Style = (params.Style & ~WS_POPUP) | WS_CHILD;
        params.WndParent = FParentWindow;
    }
    if (FClientWidth >= 0 || FClientHeight >= 0) {
        RECT r = {0, 0, FClientWidth >= 0 ? FClientWidth : 0, FClientHeight >= 0 ? FClientHeight : 0};
        AdjustWindowRectForPPI(r, params.Style, params.ExStyle, FramePixelsPerInch());
        if (FClientWidth >= 0)
            params.Width = r.right - r.left;
        if (FClientHeight >= 0)
            params.Height = r.bottom - r.top;
    }
    if (FPosition == poDefault || FPosition == poDefaultPosOnly) {
        params.X = static_cast<int>(CW_USEDEFAULT);
        params.Y = static_cast<int>(CW_USEDEFAULT);
    }
}

int TForm::TargetPixelsPerInch() const
{
    if (!FScaled)
        return FPixelsPerInch;
    if (FParent != nullptr || FParentWindow != nullptr)
        return TWinControl::TargetPixelsPerInch();
    return ScreenPixelsPerInch();
}

int TForm::FramePixelsPerInch() const
{
    // A scaled form is at the resolution it was last scaled to: while it follows a change, the
    // one the change names, which the system may not report for the window yet.
    if (FScaled)
        return FHandle != nullptr ? FPixelsPerInch : TargetPixelsPerInch();
    return FHandle != nullptr ? WindowPixelsPerInch(FHandle) : ScreenPixelsPerInch();
}

void TForm::InitializeHandle()
{
    TWinControl::InitializeHandle();
    // Made on a monitor whose resolution is not the screen's: its controls are made for that one.
    if (FScaled)
        ScaleForPPI(WindowPixelsPerInch(FHandle));
}

void TForm::ScaleBounds(int m, int d)
{
    if (FHandle == nullptr) {
        // Not made yet: the client size it was given, or else its outer size.
        if (FClientWidth >= 0)
            FClientWidth = ScalePixels(FClientWidth, m, d);
        else
            FWidth = ScalePixels(FWidth, m, d);
        if (FClientHeight >= 0)
            FClientHeight = ScalePixels(FClientHeight, m, d);
        else
            FHeight = ScalePixels(FHeight, m, d);
        return;
    }
    FClientWidth = ScalePixels(GetClientWidth(), m, d);
    FClientHeight = ScalePixels(GetClientHeight(), m, d);
    const SIZE size = WindowSizeForClient(FClientWidth, FClientHeight);
    FWidth = size.cx;
    FHeight = size.cy;
    SetWindowPos(FHandle, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::WMDpiChanged(TMessage& message)
{
    if (!FScaled || FParentWindow != nullptr) {
        DefaultHandler(message);
        return;
    }
    ScaleForPPI(LOWORD(message.WParam));
    const RECT* suggested = reinterpret_cast<const RECT*>(message.LParam);
    SetWindowPos(FHandle, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    message.Result = 0;
}

SIZE TForm::WindowSizeForClient(int clientWidth, int clientHeight) const
{
    RECT r = {0, 0, clientWidth, clientHeight};
    if (FHandle != nullptr) {
        AdjustWindowRectForPPI(r, static_cast<DWORD>(GetWindowLongA(FHandle, GWL_STYLE)),
                               static_cast<DWORD>(GetWindowLongA(FHandle, GWL_EXSTYLE)), FramePixelsPerInch());
    } else {
        TCreateParams params;
        const_cast<TForm*>(this)->CreateParams(params);
        AdjustWindowRectForPPI(r, params.Style, params.ExStyle, FramePixelsPerInch());
    }
    SIZE size = {r.right - r.left, r.bottom - r.top};
    return size;
}

int TForm::GetClientWidth() const
{
    if (FHandle != nullptr)
        return GetClientRect().right;
    return FClientWidth >= 0 ? FClientWidth : FWidth;
}

int TForm::GetClientHeight() const
{
    if (FHandle != nullptr)
        return GetClientRect().bottom;
    return FClientHeight >= 0 ? FClientHeight : FHeight;
}

void TForm::SetClientWidth(int value)
{
    const int height = GetClientHeight();
    FClientWidth = value;
    ApplyClientSize(value, height);
}

void TForm::SetClientHeight(int value)
{
    const int width = GetClientWidth();
    FClientHeight = value;
    ApplyClientSize(width, value);
}

void TForm::ApplyClientSize(int clientWidth, int clientHeight)
{
    // The size asked for, not the window's current one: the other side keeps what it has now.
    SIZE size = WindowSizeForClient(clientWidth, clientHeight);
    FWidth = size.cx;
    FHeight = size.cy;
    if (FHandle != nullptr)
        SetWindowPos(FHandle, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetBorderStyle(TBorderStyle value)
{
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    ApplyStyles();
}

void TForm::SetBorderIcons(TBorderIcons value)
{
    if (value == FBorderIcons)
        return;
    FBorderIcons = value;
    ApplyStyles();
}

void TForm::ApplyStyles()
{
    if (FHandle == nullptr)
        return;
    TCreateParams params;
    CreateParams(params);
    // Keep what the window's state owns: shown, disabled, minimised, maximised.
    const DWORD stateBits = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE;
    DWORD style = (params.Style & ~stateBits) | (static_cast<DWORD>(GetWindowLongA(FHandle, GWL_STYLE)) & stateBits);
    SetWindowLongA(FHandle, GWL_STYLE, static_cast<LONG>(style));
    SetWindowLongA(FHandle, GWL_EXSTYLE, static_cast<LONG>(params.ExStyle));
    // The outer size stays; the frame and with it the client area change.
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TForm::SetParentWindow(HWND value)
{
    if (FParent != nullptr || value == FParentWindow)
        return;
    FParentWindow = value;
    if (FHandle == nullptr)
        return;
    // A child gets its child style before it moves in; a window leaving gets it after.
    if (value != nullptr) {
        ApplyStyles();
        ::SetParent(FHandle, value);
        // Under the host's own controls, where a child created in it would start: a form
        // around them must neither cover them nor take their clicks.
        SetWindowPos(FHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
        ::SetParent(FHandle, nullptr);
        ApplyStyles();
    }
}

TWindowState TForm::GetWindowState() const
{
    if (FHandle == nullptr || !IsWindowVisible(FHandle))
        return FWindowState;
    if (IsIconic(FHandle))
        return wsMinimized;
    if (IsZoomed(FHandle))
        return wsMaximized;
    return wsNormal;
}

void TForm::SetWindowState(TWindowState value)
{
    FWindowState = value;
    if (FHandle == nullptr)
        return;
    if (IsWindowVisible(FHandle)) {
        ShowWindow(FHandle, value == wsMinimized ? SW_MINIMIZE : value == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
    } else if (value == wsNormal && (IsIconic(FHandle) || IsZoomed(FHandle))) {
        // A hidden window cannot be restored without showing it; keep that as short as can be.
        ShowWindow(FHandle, SW_SHOWNOACTIVATE);
        ShowWindow(FHandle, SW_RESTORE);
        ShowWindow(FHandle, SW_HIDE);
    }
}

TMonitor* TForm::GetMonitor() const
{
    if (FHandle == nullptr)
        return Screen->Monitors(0);
    return Screen->MonitorFromWindow(FHandle);
}

void TForm::SetVisible(bool value)
{
    FVisible = value;
    if (value)
        HandleNeeded();
    if (FHandle == nullptr)
        return;
    if (!value) {
        FWindowState = GetWindowState();
        ShowWindow(FHandle, SW_HIDE);
    }
    else
        ShowWindow(FHandle, FWindowState == wsMinimized   ? SW_SHOWMINIMIZED
                            : FWindowState == wsMaximized ? SW_SHOWMAXIMIZED
                                                          : SW_SHOW);
}

void TForm::Close()
{
    if (Application->GetMainForm() == this)
        Application->Terminate();
    else
        Hide();
}

void TForm::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        message.Result = 0;
        return;
    case WM_DPICHANGED:
        WMDpiChanged(message);
        return;
    case WM_ERASEBKGND: {
        RECT r;
        ::GetClientRect(FHandle, &r);
        FillRect(reinterpret_cast<HDC>(message.WParam), &r, ColorBrush());
        message.Result = 1;
        return;
    }
    default:
        TWinControl::Dispatch(message);
        return;
    }
}
