#include "dialogs/CFindDlg.h"

#include "framework/DesignRegistry.h"

namespace CustDlgs {

namespace {
// Control identifiers of the platform's find and replace dialog templates.
constexpr int DirectionGroupId = 1072;  // grp1: the find dialog has it, the replace dialog not
constexpr int FindEditId = 1152;        // edt1

// Fits the fixed customizer to the find and replace dialogs' layout.
class TFixedFindDialogCustomizer : public TFixedDialogCustomizer {
public:
    void InitializeDialog() override;
    // A quarter of the way across the find-text box, at the dialog's lower edge: the box and
    // whatever spans that point widen, what starts right of it moves, and nothing ever grows
    // or moves vertically.
    bool CalcDialogCenterLine(TPoint& point) override;
    ~TFixedFindDialogCustomizer() override = default;
};

void TFixedFindDialogCustomizer::InitializeDialog()
{
    TFixedDialogCustomizer::InitializeDialog();
    // The direction group box leaves its inside to the dialog's background; clipping the
    // children would leave that area unpainted when the dialog is resized.
    HWND group = GetDlgItem(FHandle, DirectionGroupId);
    if (group != nullptr && (GetWindowLongA(group, GWL_STYLE) & WS_VISIBLE))
        SetWindowLongA(FHandle, GWL_STYLE, GetWindowLongA(FHandle, GWL_STYLE) & ~WS_CLIPCHILDREN);
}

bool TFixedFindDialogCustomizer::CalcDialogCenterLine(TPoint& point)
{
    HWND edit = GetDlgItem(FHandle, FindEditId);
    if (edit == nullptr)
        return false;
    RECT box, dialog;
    GetWindowRect(edit, &box);
    GetWindowRect(FHandle, &dialog);
    point.x = (3 * box.left + box.right) / 4;
    point.y = dialog.bottom;
    return true;
}

// Before a new window embeds the sub form: its window goes to the bottom of the z-order, unmoved.
void SubFormToBottom(TCustomDlgsUnit* unit)
{
    if (TForm* form = unit->GetSubForm())
        SetWindowPos(form->GetHandle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCustomizableFindDialog

template <class TBase>
bool TCustomizableFindDialog<TBase>::Execute()
{
    if (this->GetHandle() == nullptr)
        SubFormToBottom(this->FDlgsUnit);
    return TBase::Execute();
}

template <class TBase>
void TCustomizableFindDialog<TBase>::DoShow()
{
    // The window is initialised: a new customizer takes it over and sizes and places it.
    this->AttachCustomizer(this->GetHandle(), new TFixedFindDialogCustomizer);
    this->FDlgsUnit->StartCustomize();
    TBase::DoShow();
}

template class TCustomizableFindDialog<TFindDialog>;
template class TCustomizableFindDialog<TReplaceDialog>;

// ---------------------------------------------------------------------------------------------
// Registration

void CFindDlg::Register()
{
    RegisterComponents("Dialogs", {ComponentClass<TCFindDialog>("TCFindDialog"),
                                   ComponentClass<TCReplaceDialog>("TCReplaceDialog")});
    for (const char* className : {"TCFindDialog", "TCReplaceDialog"})
        RegisterPropertiesInCategory(sVisualCategoryName, className, {"SubFormPos", "SubFormAnchors", "MinEdgeSpace"});
}

}  // namespace CustDlgs
