#include "framework/ComCtrls.h"

#include <algorithm>
#include <commctrl.h>

// ---------------------------------------------------------------------------------------------
// TTrackBar

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner)
{
    FTabStop = true;
}

void TTrackBar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = params.BaseClassName = TRACKBAR_CLASSA;
    params.Style |= TBS_HORZ | TBS_FIXEDLENGTH;
    switch (FTickMarks) {
    case tmBottomRight: params.Style |= TBS_BOTTOM; break;
    case tmTopLeft: params.Style |= TBS_TOP; break;
    case tmBoth: params.Style |= TBS_BOTH; break;
    }
    switch (FTickStyle) {
    case tsNone: params.Style |= TBS_NOTICKS; break;
    case tsAuto: params.Style |= TBS_AUTOTICKS; break;
    case tsManual: break;
    }
}

void TTrackBar::InitializeHandle()
{
    TWinControl::InitializeHandle();
    SendMessageA(FHandle, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(FThumbLength), 0);
    SendMessageA(FHandle, TBM_SETLINESIZE, 0, FLineSize);
    SendMessageA(FHandle, TBM_SETPAGESIZE, 0, FPageSize);
    SendMessageA(FHandle, TBM_SETRANGEMIN, FALSE, FMin);
    SendMessageA(FHandle, TBM_SETRANGEMAX, FALSE, FMax);
    SendMessageA(FHandle, TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
    SendMessageA(FHandle, TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::ChangeScale(int m, int d)
{
    TWinControl::ChangeScale(m, d);
    SetThumbLength(ScalePixels(FThumbLength, m, d));
}

void TTrackBar::SetMin(int value)
{
    SetRange(value, std::max(value, FMax));
}

void TTrackBar::SetMax(int value)
{
    SetRange(std::min(value, FMin), value);
}

void TTrackBar::SetRange(int minValue, int maxValue)
{
    FMin = minValue;
    FMax = maxValue;
    if (FHandle != nullptr) {
        SendMessageA(FHandle, TBM_SETRANGEMIN, FALSE, FMin);
        SendMessageA(FHandle, TBM_SETRANGEMAX, TRUE, FMax);
    }
    SetPosition(FPosition);
}

void TTrackBar::SetPosition(int value)
{
    value = std::max(FMin, std::min(FMax, value));
    if (value == FPosition)
        return;
    FPosition = value;
    if (FHandle != nullptr)
        SendMessageA(FHandle, TBM_SETPOS, TRUE, value);
    Changed();
}

void TTrackBar::SetPageSize(int value)
{
    FPageSize = value;
    if (FHandle != nullptr)
        SendMessageA(FHandle, TBM_SETPAGESIZE, 0, value);
}

void TTrackBar::SetLineSize(int value)
{
    FLineSize = value;
    if (FHandle != nullptr)
        SendMessageA(FHandle, TBM_SETLINESIZE, 0, value);
}

void TTrackBar::SetFrequency(int value)
{
    FFrequency = value;
    if (FHandle != nullptr)
        SendMessageA(FHandle, TBM_SETTICFREQ, static_cast<WPARAM>(value), 0);
}

void TTrackBar::SetThumbLength(int value)
{
    FThumbLength = value;
    if (FHandle != nullptr)
        SendMessageA(FHandle, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(value), 0);
}

void TTrackBar::PositionFromWindow()
{
    int value = static_cast<int>(SendMessageA(FHandle, TBM_GETPOS, 0, 0));
    if (value == FPosition)
        return;
    FPosition = value;
    Changed();
}

void TTrackBar::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
        // Drag, keyboard and wheel all end here.
        PositionFromWindow();
        message.Result = 0;
        return;
    default:
        TWinControl::Dispatch(message);
        return;
    }
}

void TTrackBar::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TStatusBar

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {}

void TStatusBar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = params.BaseClassName = STATUSCLASSNAMEA;
    params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_BOTTOM;
}

void TStatusBar::InitializeHandle()
{
    TWinControl::InitializeHandle();
    SendMessageA(FHandle, SB_SIMPLE, FALSE, 0);
    UpdatePanels();
}

void TStatusBar::ChangeScale(int m, int d)
{
    TWinControl::ChangeScale(m, d);
    for (TStatusPanel& panel : FPanels)
        panel.Width = ScalePixels(panel.Width, m, d);
    UpdatePanels();
}

void TStatusBar::AddPanel(const AnsiString& text, int width)
{
    FPanels.push_back({text, width});
    UpdatePanels();
}

AnsiString TStatusBar::GetPanelText(int index) const
{
    return FPanels.at(static_cast<size_t>(index)).Text;
}

void TStatusBar::SetPanelText(int index, const AnsiString& text)
{
    TStatusPanel& panel = FPanels.at(static_cast<size_t>(index));
    if (panel.Text == text)
        return;
    panel.Text = text;
    if (FHandle != nullptr)
        SendMessageA(FHandle, SB_SETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

int TStatusBar::GetPanelWidth(int index) const
{
    return FPanels.at(static_cast<size_t>(index)).Width;
}

void TStatusBar::SetPanelWidth(int index, int width)
{
    FPanels.at(static_cast<size_t>(index)).Width = width;
    UpdatePanels();
}

void TStatusBar::UpdatePanels()
{
    if (FHandle == nullptr || FPanels.empty())
        return;
    // The platform takes right edges; the last panel runs to the end of the bar.
    std::vector<int> edges;
    int right = 0;
    for (size_t i = 0; i < FPanels.size(); ++i) {
        right += FPanels[i].Width;
        edges.push_back(i + 1 == FPanels.size() ? -1 : right);
    }
    SendMessageA(FHandle, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < FPanels.size(); ++i)
        SendMessageA(FHandle, SB_SETTEXTA, i, reinterpret_cast<LPARAM>(FPanels[i].Text.c_str()));
}
