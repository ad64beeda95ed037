#include "dialogs/DlgsUnit.h"

#include "dialogs/DlgsCust.h"
#include "framework/Screen.h"

namespace CustDlgs {

// ---------------------------------------------------------------------------------------------
// TDialogEdgeSpace

TDialogEdgeSpace::TDialogEdgeSpace(unsigned left, unsigned top, unsigned right, unsigned bottom)
{
    SetAllEdgeSpace(left, top, right, bottom);
}

void TDialogEdgeSpace::SetEdgeSpace(int index, unsigned value)
{
    switch (index) {
    case 0: FLeftSpace = value; break;
    case 1: FTopSpace = value; break;
    case 2: FRightSpace = value; break;
    case 3: FBottomSpace = value; break;
    default: break;
    }
}

void TDialogEdgeSpace::SetAllEdgeSpace(unsigned left, unsigned top, unsigned right, unsigned bottom)
{
    FLeftSpace = left;
    FTopSpace = top;
    FRightSpace = right;
    FBottomSpace = bottom;
}

void TDialogEdgeSpace::Assign(TPersistent* source)
{
    if (auto* space = dynamic_cast<TDialogEdgeSpace*>(source)) {
        SetAllEdgeSpace(space->FLeftSpace, space->FTopSpace, space->FRightSpace, space->FBottomSpace);
        return;
    }
    TPersistent::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// TDialogMinEdgeSpace

TDialogMinEdgeSpace::TDialogMinEdgeSpace(TCustomDlgsUnit* owner) : FOwner(owner) {}

void TDialogMinEdgeSpace::SetEdgeSpace(int index, unsigned value)
{
    // One side goes through the same vetting as all four.
    unsigned spaces[4] = {FLeftSpace, FTopSpace, FRightSpace, FBottomSpace};
    if (index >= 0 && index < 4)
        spaces[index] = value;
    SetAllEdgeSpace(spaces[0], spaces[1], spaces[2], spaces[3]);
}

void TDialogMinEdgeSpace::SetAllEdgeSpace(unsigned left, unsigned top, unsigned right, unsigned bottom)
{
    if (FOwner == nullptr)
        return;
    if (FOwner->GetHandle() == nullptr) {
        TDialogEdgeSpace::SetAllEdgeSpace(left, top, right, bottom);
        return;
    }
    TDialogCustomizer* customizer = FOwner->GetCustomizer();
    if (!customizer->GetCanChangeProperties())
        return;
    TDialogEdgeSpace::SetAllEdgeSpace(left, top, right, bottom);
    customizer->UpdateProperty();
}

// ---------------------------------------------------------------------------------------------
// TCustomDlgsUnit

TCustomDlgsUnit::TCustomDlgsUnit(TComponent* owner) : TComponent(owner)
{
    FIcon = new TIcon;
    FIcon->OnChange = [this](TObject* sender) { SysIconChange(sender); };
    FMinEdgeSpace = new TDialogMinEdgeSpace(this);
    FNowEdgeSpace = new TDialogEdgeSpace;
    FPosition = TPoint{-1, -1};
    FDialogSize = TPoint{-1, -1};
}

void TCustomDlgsUnit::BeforeDestruction()
{
    if (FCustomizer != nullptr)
        FCustomizer->DlgsUnitDestroying();
    FCustomizer = nullptr;
    TComponent::BeforeDestruction();
}

TCustomDlgsUnit::~TCustomDlgsUnit()
{
    delete FIcon;
    FIcon = nullptr;
    delete FMinEdgeSpace;
    FMinEdgeSpace = nullptr;
    delete FNowEdgeSpace;
    FNowEdgeSpace = nullptr;
    FCaption.clear();
}

void TCustomDlgsUnit::RegistDialog(HWND window, TDialogCustomizer* customizer)
{
    if (window == nullptr)
        return;
    FCustomizer = customizer;
    if (FCustomizer != nullptr)
        FCustomizer->RegistDialog(window, *this);
    // The icon's change handler (SysIconChange unless rebound) applies it to the window.
    if (FIcon->OnChange)
        FIcon->OnChange(FIcon);
}

void TCustomDlgsUnit::StartCustomize()
{
    if (FCustomizer != nullptr)
        FCustomizer->StartCustomize(FPosition, FDialogSize);
    if (!FCaption.empty() && GetHandle() != nullptr)
        SetWindowTextA(GetHandle(), FCaption.c_str());
}

HWND TCustomDlgsUnit::GetHandle() const
{
    return FCustomizer != nullptr ? FCustomizer->GetHandle() : nullptr;
}

void TCustomDlgsUnit::DialogDestroy(TDialogCustomizer* customizer)
{
    if (customizer != FCustomizer)
        return;
    FNowEdgeSpace->SetAllEdgeSpace(0, 0, 0, 0);
    ReleaseClassIcon(GetHandle());
    if (HWND window = GetHandle(); window != nullptr && IsWindow(window)) {
        // The normal place: a dialog closed minimised opens where the user had it.
        const RECT r = NormalWindowRect(window);
        FPosition = TPoint{r.left, r.top};
        // A dialog the user could not resize keeps no size.
        if (customizer->GetRemembersDialogSize())
            FDialogSize = TPoint{r.right - r.left, r.bottom - r.top};
    }
    FCustomizer = nullptr;
}

void TCustomDlgsUnit::SetSubForm(TForm* value)
{
    SetSubFormAllProperties(value, FSubFormPos, FSubFormAnchors);
}

void TCustomDlgsUnit::SetSubFormPos(TSubFormPos value)
{
    SetSubFormAllProperties(FSubForm, value, FSubFormAnchors);
}

void TCustomDlgsUnit::SetSubFormAnchors(TSubFormAnchors value)
{
    SetSubFormAllProperties(FSubForm, FSubFormPos, value);
}

void TCustomDlgsUnit::SetSubFormAllProperties(TForm* form, TSubFormPos pos, TSubFormAnchors anchors)
{
    // A form already being destroyed would never report its end: it is not taken.
    if (form != nullptr && (form->ComponentState() & csDestroying))
        form = nullptr;
    if (form == FSubForm && pos == FSubFormPos && anchors == FSubFormAnchors)
        return;
    if (GetHandle() != nullptr && !FCustomizer->GetCanChangeProperties())
        return;
    FSubFormAnchors = anchors;
    FSubFormPos = pos;
    if (FSubForm == nullptr && form == nullptr)
        return;
    if (form != FSubForm) {
        if (FSubForm != nullptr)
            FSubForm->RemoveFreeNotification(this);
        if (form != nullptr)
            form->FreeNotification(this);
        FSubForm = form;
    }
    if (GetHandle() != nullptr)
        FCustomizer->UpdateProperty();
}

void TCustomDlgsUnit::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove || component == nullptr || component != FSubForm)
        return;
    if (dynamic_cast<TForm*>(component) == nullptr)
        return;
    FSubForm = nullptr;
    if (GetHandle() != nullptr)
        FCustomizer->UpdateProperty();
}

void TCustomDlgsUnit::SetDialogSizing(bool value)
{
    if (GetHandle() == nullptr)
        FDialogSizing = value;
}

void TCustomDlgsUnit::SetMinEdgeSpace(TDialogEdgeSpace* value)
{
    FMinEdgeSpace->Assign(value);
}

TPoint TCustomDlgsUnit::GetPosition() const
{
    RECT r;
    if (HWND window = GetHandle(); window != nullptr && GetWindowRect(window, &r))
        return TPoint{r.left, r.top};
    return FPosition;
}

void TCustomDlgsUnit::SetPosition(const TPoint& value)
{
    if (value.x == FPosition.x && value.y == FPosition.y)
        return;
    if (GetHandle() != nullptr) {
        // The stored place follows when the window closes.
        FCustomizer->MoveTo(value);
        return;
    }
    FPosition = value;
}

void TCustomDlgsUnit::SetLeft(int value)
{
    SetPosition(TPoint{value, GetTop()});
}

void TCustomDlgsUnit::SetTop(int value)
{
    SetPosition(TPoint{GetLeft(), value});
}

AnsiString TCustomDlgsUnit::GetCaption() const
{
    HWND window = GetHandle();
    return window != nullptr ? WindowText(window) : FCaption;
}

void TCustomDlgsUnit::SetCaption(const AnsiString& value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    if (HWND window = GetHandle(); window != nullptr)
        SetWindowTextA(window, value.c_str());
}

void TCustomDlgsUnit::SetIcon(TIcon* value)
{
    FIcon->Assign(value);
}

void TCustomDlgsUnit::SysIconChange(TObject* sender)
{
    HWND window = GetHandle();
    if (window == nullptr || FIcon == nullptr)
        return;
    HICON classIcon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON));
    if (classIcon == nullptr) {
        if (FIcon->Empty())
            return;
        // Every window of the class shows it, message boxes included: a copy of this unit's,
        // which outlives every change of the unit's icon and leaves with the dialog.
        ReleaseClassIcon(window);
        FClassIcon = CopyIcon(FIcon->GetHandle());
        SetClassLongPtrA(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(FClassIcon));
        DrawMenuBar(window);
        return;
    }
    if (FIcon->Empty()) {
        SetClassLongPtrA(window, GCLP_HICON, 0);
        SendMessageA(window, WM_SETICON, ICON_BIG, 0);
        DrawMenuBar(window);
        ReleaseClassIcon(window);
        return;
    }
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon->GetHandle()));
}

void TCustomDlgsUnit::ReleaseClassIcon(HWND window)
{
    if (FClassIcon == nullptr)
        return;
    if (window != nullptr && reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON)) == FClassIcon)
        SetClassLongPtrA(window, GCLP_HICON, 0);
    DestroyIcon(FClassIcon);
    FClassIcon = nullptr;
}

}  // namespace CustDlgs
