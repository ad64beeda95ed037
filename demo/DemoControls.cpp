#include "demo/DemoControls.h"

// ---------------------------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* owner) : TWinControl(owner)
{
    FTabStop = true;
}

void TButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = params.BaseClassName = "BUTTON";
    params.Style |= BS_PUSHBUTTON;
}

void TButton::Dispatch(TMessage& message)
{
    if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) {
        Click();
        return;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------
// TEdit

TEdit::TEdit(TComponent* owner) : TWinControl(owner)
{
    FTabStop = true;
    FColor = clWindow;
    FParentColor = false;
}

void TEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = params.BaseClassName = "EDIT";
    params.ExStyle |= WS_EX_CLIENTEDGE;
    params.Style |= FMultiLine ? (ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL) : ES_AUTOHSCROLL;
    if (FReadOnly)
        params.Style |= ES_READONLY;
}

void TEdit::Dispatch(TMessage& message)
{
    if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == EN_CHANGE) {
        if (OnChange)
            OnChange(this);
        return;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------
// TListBox

TListBox::TListBox(TComponent* owner) : TWinControl(owner)
{
    FTabStop = true;
    FColor = clWindow;
    FParentColor = false;
}

void TListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = params.BaseClassName = "LISTBOX";
    params.ExStyle |= WS_EX_CLIENTEDGE;
    params.Style |= WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT;
}

void TListBox::AddLine(const AnsiString& line)
{
    HWND list = GetHandle();
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0)
        SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void TListBox::Clear()
{
    SendMessageA(GetHandle(), LB_RESETCONTENT, 0, 0);
}
