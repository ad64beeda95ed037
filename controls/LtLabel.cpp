#include "controls/LtLabel.h"

#include "framework/Application.h"
#include "framework/DesignRegistry.h"
#include "framework/ModulePath.h"

#include <shellapi.h>

namespace {

LtLabel::TShellExecute& ShellCall()
{
    static LtLabel::TShellExecute call;
    return call;
}

HINSTANCE RealShellExecute(HWND owner, const char* verb, const char* file, const char* parameters,
                           const char* directory, int show)
{
    return ShellExecuteA(owner, verb, file, parameters, directory, show);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TLightLabel

TLightLabel::TLightLabel(TComponent* owner) : TLabel(owner)
{
    FJumpType = jtCust;
    FLightEnabled = true;
    FDefaultEnabled = true;
    FClickEnabled = true;

    FLightColor = clBtnFace;
    // The hover font starts from the framework's defaults, not from the label's font.
    FLightFont.reset(new TFont);
    FLightFont->SetColor(clBlue);
    FLightFont->SetStyle(fsUnderline);

    FDefaultColor = clBtnFace;
    FDefaultFont.reset(new TFont);
    FDefaultFont->Assign(GetFont());
    FDefaultFont->SetColor(clBlue);
    FDefaultFont->SetStyle(0);

    SetColor(FDefaultColor);
    GetFont()->Assign(FDefaultFont.get());

    FClickColor = clBtnFace;
    FClickFont.reset(new TFont);
    FClickFont->Assign(GetFont());
    FClickFont->SetColor(clRed);
    FClickFont->SetStyle(0);

    FMouseInside = false;
}

TLightLabel::~TLightLabel() = default;

void TLightLabel::SetLightFont(TFont* value)
{
    if (value != FLightFont.get())
        FLightFont->Assign(value);
}

void TLightLabel::SetDefaultFont(TFont* value)
{
    if (value == FDefaultFont.get())
        return;
    FDefaultFont->Assign(value);
    if (FDefaultEnabled)
        GetFont()->Assign(value);
}

void TLightLabel::SetClickFont(TFont* value)
{
    if (value != FClickFont.get())
        FClickFont->Assign(value);
}

void TLightLabel::SetDefaultColor(TColor value)
{
    if (value == FDefaultColor)
        return;
    FDefaultColor = value;
    if (FDefaultEnabled)
        SetColor(value);
}

void TLightLabel::Light()
{
    SetColor(FLightColor);
    GetFont()->Assign(FLightFont.get());
}

void TLightLabel::Default()
{
    SetColor(FDefaultColor);
    GetFont()->Assign(FDefaultFont.get());
}

void TLightLabel::Jump()
{
    if (!FJumpTo.empty()) {
        switch (FJumpType) {
        case jtCust:
        case jtHome:
            LtLabel::OpenTarget(FJumpTo);
            break;
        case jtMail:
            LtLabel::OpenTarget("mailto:" + FJumpTo);
            break;
        case jtFile:
            LtLabel::OpenTarget("file:///" + FJumpTo);
            break;
        case jtNone:
        case jtCaption:
            break;
        }
    }
    if (FJumpType == jtCaption) {
        AnsiString caption = GetCaption();
        if (!caption.empty())
            LtLabel::OpenTarget(caption);
    }
}

void TLightLabel::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_MOUSEENTER:
        CMMouseEnter(message);
        break;
    case CM_MOUSELEAVE:
        CMMouseLeave(message);
        break;
    default:
        TLabel::Dispatch(message);
        break;
    }
}

void TLightLabel::CMMouseEnter(TMessage& message)
{
    TLabel::Dispatch(message);
    FMouseInside = true;
    if (FLightEnabled)
        Light();
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TLightLabel::CMMouseLeave(TMessage& message)
{
    TLabel::Dispatch(message);
    FMouseInside = false;
    if (FDefaultEnabled)
        Default();
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TLightLabel::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TLabel::MouseDown(button, shift, x, y);
    if (FClickEnabled) {
        SetColor(FClickColor);
        GetFont()->Assign(FClickFont.get());
    }
}

void TLightLabel::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TLabel::MouseUp(button, shift, x, y);
    // Whatever the switches say, a release always leaves the hover or the normal look.
    if (FMouseInside)
        Light();
    else
        Default();
}

void TLightLabel::ChangeScale(int m, int d)
{
    for (TFont* font : {FLightFont.get(), FDefaultFont.get(), FClickFont.get()})
        font->SetPixelsPerInch(GetPixelsPerInch());
    TLabel::ChangeScale(m, d);
}

void TLightLabel::Click()
{
    Jump();
    TLabel::Click();
}

// ---------------------------------------------------------------------------------------------
// Module routines

namespace LtLabel {

TShellExecute SetShellExecute(TShellExecute call)
{
    TShellExecute previous = ShellCall() ? ShellCall() : TShellExecute(RealShellExecute);
    ShellCall() = std::move(call);
    return previous;
}

void OpenTarget(const AnsiString& target)
{
    AnsiString folder = ModuleFolder();
    HWND owner = Application->GetHandle();
    if (ShellCall())
        ShellCall()(owner, "Open", target.c_str(), nullptr, folder.c_str(), SW_SHOW);
    else
        RealShellExecute(owner, "Open", target.c_str(), nullptr, folder.c_str(), SW_SHOW);
}

void Register()
{
    RegisterComponents("Standard", {ComponentClass<TLightLabel>("TLightLabel")});
}

}  // namespace LtLabel
