#include "framework/StdCtrls.h"

#include <algorithm>

#include <commctrl.h>

// ---------------------------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TComponent* owner) : TWinControl(owner)
{
    FCaptureMouse = true;
}

void TLabel::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = params.BaseClassName = "STATIC";
    // SS_NOTIFY: the label takes part in mouse input (enter, leave, press, click).
    params.Style |= SS_NOTIFY | (FWordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
}

void TLabel::SetWordWrap(bool value)
{
    FWordWrap = value;
    if (FHandle != nullptr) {
        LONG style = GetWindowLongA(FHandle, GWL_STYLE) & ~SS_TYPEMASK;
        SetWindowLongA(FHandle, GWL_STYLE, style | (value ? SS_LEFT : SS_LEFTNOWORDWRAP));
        InvalidateRect(FHandle, nullptr, TRUE);
    }
}

void TLabel::SetAutoSize(bool value)
{
    FAutoSize = value;
    if (value)
        FMinSize = SIZE{GetWidth(), GetHeight()};
    AdjustSize();
}

void TLabel::SetText(const AnsiString& value)
{
    TWinControl::SetText(value);
    AdjustSize();
}

SIZE TLabel::TextSize()
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, GetFont()->GetHandle());
    SIZE size = {0, 0};
    // Measured in Unicode: the ANSI graphics calls decode with the system's code page (or the
    // font's), which need not be the process's code page the text is in.
    const WideString text = AnsiToWide(GetText());
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return SIZE{size.cx, metrics.tmHeight};
}

void TLabel::AdjustSize()
{
    if (FWordWrap || (!FAutoSize && FPixelsPerInch == DesignPixelsPerInch))
        return;
    const SIZE size = TextSize();
    if (!FAutoSize) {
        // Scaled: a font runs a little wider or narrower than its design size times the scale,
        // so the box grows where the text would be cut, and no further than that.
        const int box = FBoxWidth >= 0 ? FBoxWidth : GetWidth();
        const int width = std::max<int>(size.cx, box);
        if (width != GetWidth()) {
            FWidening = true;
            SetBounds(GetLeft(), GetTop(), width, GetHeight());
            FWidening = false;
        }
        FBoxWidth = width > box ? box : -1;
        return;
    }
    int width = std::max<int>(size.cx, FMinSize.cx);
    int height = std::max<int>(size.cy, FMinSize.cy);
    if (width != GetWidth() || height != GetHeight())
        SetBounds(GetLeft(), GetTop(), width, height);
}

void TLabel::SetBounds(int left, int top, int width, int height)
{
    if (!FWidening)
        FBoxWidth = -1;
    TWinControl::SetBounds(left, top, width, height);
}

void TLabel::ChangeScale(int m, int d)
{
    FMinSize = SIZE{ScalePixels(FMinSize.cx, m, d), ScalePixels(FMinSize.cy, m, d)};
    // The own box is scaled, not the width the last resolution's font needed.
    const int box = FBoxWidth;
    TWinControl::ChangeScale(m, d);
    if (box >= 0)
        SetBounds(GetLeft(), GetTop(), ScalePixels(box, m, d), GetHeight());
    AdjustSize();
}

void TLabel::FontChanged()
{
    AdjustSize();
    TWinControl::FontChanged();
    // A STATIC paints its text in full on the next paint; the colour change needs one too.
    if (FHandle != nullptr)
        UpdateWindow(FHandle);
}

void TLabel::ColorChanged()
{
    TWinControl::ColorChanged();
    if (FHandle != nullptr)
        UpdateWindow(FHandle);
}

// ---------------------------------------------------------------------------------------------
// TComboBox

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner)
{
    FTabStop = true;
    FColor = clWindow;
    FParentColor = false;
}

void TComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = params.BaseClassName = "COMBOBOX";
    params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
    switch (FStyle) {
    case csDropDown: params.Style |= CBS_DROPDOWN; break;
    case csSimple: params.Style |= CBS_SIMPLE; break;
    case csDropDownList: params.Style |= CBS_DROPDOWNLIST; break;
    }
}

void TComboBox::InitializeHandle()
{
    TWinControl::InitializeHandle();
    for (const AnsiString& item : FItems)
        SendMessageA(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    if (FItemHeight > 0)
        SendMessageA(FHandle, CB_SETITEMHEIGHT, 0, FItemHeight);
    SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    ApplyDropDownHeight();
}

void TComboBox::ChangeScale(int m, int d)
{
    FItemHeight = ScalePixels(FItemHeight, m, d);
    TWinControl::ChangeScale(m, d);
    if (FHandle == nullptr)
        return;
    if (FItemHeight > 0)
        SendMessageA(FHandle, CB_SETITEMHEIGHT, 0, FItemHeight);
    ApplyDropDownHeight();
}

void TComboBox::ScaleBounds(int m, int d)
{
    // The window's height is the open list's; the closed height is the one it was given.
    SetBounds(ScalePixels(GetLeft(), m, d), ScalePixels(GetTop(), m, d), ScalePixels(GetWidth(), m, d),
              ScalePixels(FHeight, m, d));
}

void TComboBox::ApplyFieldHeight()
{
    // The closed list is as tall as its selection field; let the field take up the difference
    // so the control stands at the height it was placed with.
    // Platforms differ in what the field height they report counts (Wine reports two pixels more
    // than it was given), so measure, correct by what the last setting did, and measure again.
    int offset = 0;
    for (int attempt = 0; attempt < 3 && FHeight > 0; ++attempt) {
        RECT r;
        GetWindowRect(FHandle, &r);
        int difference = FHeight - (r.bottom - r.top);
        int field = static_cast<int>(SendMessageA(FHandle, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
        int value = field + difference - offset;
        if (difference == 0 || value <= 0)
            return;
        SendMessageA(FHandle, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), value);
        offset = static_cast<int>(SendMessageA(FHandle, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0)) - value;
    }
}

void TComboBox::AddItem(const AnsiString& item)
{
    FItems.push_back(item);
    if (FHandle != nullptr)
        SendMessageA(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void TComboBox::SetItems(const std::vector<AnsiString>& items)
{
    FItems.clear();
    FItemIndex = -1;
    if (FHandle != nullptr)
        SendMessageA(FHandle, CB_RESETCONTENT, 0, 0);
    for (const AnsiString& item : items)
        AddItem(item);
}

int TComboBox::ItemCount() const
{
    return static_cast<int>(FItems.size());
}

AnsiString TComboBox::Item(int index) const
{
    return FItems.at(static_cast<size_t>(index));
}

int TComboBox::GetItemIndex() const
{
    if (FHandle != nullptr)
        return static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0));
    return FItemIndex;
}

void TComboBox::SetItemIndex(int value)
{
    if (value == GetItemIndex())
        return;
    // Outside the list (including -1) leaves no item selected.
    FItemIndex = value >= 0 && value < ItemCount() ? value : -1;
    if (FHandle != nullptr)
        SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

void TComboBox::SetItemHeight(int value)
{
    FItemHeight = value;
    if (FHandle != nullptr && value > 0) {
        SendMessageA(FHandle, CB_SETITEMHEIGHT, 0, value);
        ApplyDropDownHeight();
    }
}

void TComboBox::SetDropDownCount(int value)
{
    FDropDownCount = value;
    ApplyDropDownHeight();
}

void TComboBox::ApplyDropDownHeight()
{
    if (FHandle == nullptr)
        return;
    // The window height of a drop-down combo box is the height of its open list.
    SendMessageA(FHandle, CB_SETMINVISIBLE, static_cast<WPARAM>(FDropDownCount), 0);
    int itemHeight = static_cast<int>(SendMessageA(FHandle, CB_GETITEMHEIGHT, 0, 0));
    int fieldHeight = static_cast<int>(SendMessageA(FHandle, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    int listHeight = fieldHeight + 8 + itemHeight * FDropDownCount;
    RECT r;
    GetWindowRect(FHandle, &r);
    SetWindowPos(FHandle, nullptr, 0, 0, r.right - r.left, listHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyFieldHeight();
}

void TComboBox::Dispatch(TMessage& message)
{
    if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == CBN_SELCHANGE) {
        FItemIndex = static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0));
        Change();
        return;
    }
    TWinControl::Dispatch(message);
}

void TComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner)
{
    FTabStop = true;
}

void TCheckBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = params.BaseClassName = "BUTTON";
    params.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::InitializeHandle()
{
    TWinControl::InitializeHandle();
    SendMessageA(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::GetChecked() const
{
    if (FHandle != nullptr)
        return SendMessageA(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return FChecked;
}

void TCheckBox::SetChecked(bool value)
{
    FChecked = value;
    if (FHandle != nullptr)
        SendMessageA(FHandle, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::Dispatch(TMessage& message)
{
    if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) {
        FChecked = GetChecked();
        Click();
        return;
    }
    TWinControl::Dispatch(message);
}

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
