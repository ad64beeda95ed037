#include "framework/Forms.h"

#include "framework/Application.h"

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    FVisible = false;
    FParentFont = false;
    FParentColor = false;
    FWidth = 320;
    FHeight = 240;
}

TForm::~TForm()
{
    Destroying();
    if (FHandle != nullptr)
        ShowWindow(FHandle, SW_HIDE);
    DoDestroy();
}

void TForm::DoDestroy()
{
    if (FDestroyed)
        return;
    FDestroyed = true;
    try {
        if (OnDestroy)
            OnDestroy(this);
    } catch (...) {
        Application->HandleException(this);
    }
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
    if (FClientWidth >= 0 || FClientHeight >= 0) {
        RECT r = {0, 0, FClientWidth >= 0 ? FClientWidth : 0, FClientHeight >= 0 ? FClientHeight : 0};
        AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
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

SIZE TForm::WindowSizeForClient(int clientWidth, int clientHeight) const
{
    RECT r = {0, 0, clientWidth, clientHeight};
    if (FHandle != nullptr) {
        AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(FHandle, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongA(FHandle, GWL_EXSTYLE)));
    } else {
        TCreateParams params;
        const_cast<TForm*>(this)->CreateParams(params);
        AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
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
    FClientWidth = value;
    ApplyClientSize();
}

void TForm::SetClientHeight(int value)
{
    FClientHeight = value;
    ApplyClientSize();
}

void TForm::ApplyClientSize()
{
    SIZE size = WindowSizeForClient(GetClientWidth(), GetClientHeight());
    FWidth = size.cx;
    FHeight = size.cy;
    if (FHandle != nullptr)
        SetWindowPos(FHandle, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetBorderStyle(TBorderStyle value)
{
    FBorderStyle = value;
}

void TForm::SetBorderIcons(TBorderIcons value)
{
    FBorderIcons = value;
}

void TForm::SetVisible(bool value)
{
    FVisible = value;
    if (value)
        HandleNeeded();
    if (FHandle != nullptr)
        ShowWindow(FHandle, value ? SW_SHOW : SW_HIDE);
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
