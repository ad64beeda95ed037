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

// The window is initialised: a new customizer takes it over and sizes and places it.
void Customize(TCustomDlgsUnit* unit, HWND window, TDialogCustomizer*& customizer)
{
    customizer = new TFixedFindDialogCustomizer;
    unit->RegistDialog(window, customizer);
    unit->StartCustomize();
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// TCFindDialog

TCFindDialog::TCFindDialog(TComponent* owner) : TFindDialog(owner)
{
    FDlgsUnit = new TCustomDlgsUnit(this);
    FCustomizer = nullptr;
}

TCFindDialog::~TCFindDialog()
{
    // Off the still-open window first, so the window's destruction that follows finds no
    // customizer.
    delete FCustomizer;
    FCustomizer = nullptr;
}

bool TCFindDialog::Execute()
{
    if (GetHandle() == nullptr)
        SubFormToBottom(FDlgsUnit);
    return TFindDialog::Execute();
}

void TCFindDialog::DoShow()
{
    Customize(FDlgsUnit, GetHandle(), FCustomizer);
    TFindDialog::DoShow();
}

void TCFindDialog::DoClose()
{
    CustomizerRelease release{FCustomizer};
    TFindDialog::DoClose();
}

TForm* TCFindDialog::GetSubForm() const { return FDlgsUnit->GetSubForm(); }
void TCFindDialog::SetSubForm(TForm* value) { FDlgsUnit->SetSubForm(value); }
TSubFormPos TCFindDialog::GetSubFormPos() const { return FDlgsUnit->GetSubFormPos(); }
void TCFindDialog::SetSubFormPos(TSubFormPos value) { FDlgsUnit->SetSubFormPos(value); }
TSubFormAnchors TCFindDialog::GetSubFormAnchors() const { return FDlgsUnit->GetSubFormAnchors(); }
void TCFindDialog::SetSubFormAnchors(TSubFormAnchors value) { FDlgsUnit->SetSubFormAnchors(value); }
TDialogEdgeSpace* TCFindDialog::GetMinEdgeSpace() const { return FDlgsUnit->GetMinEdgeSpace(); }
void TCFindDialog::SetMinEdgeSpace(TDialogEdgeSpace* value) { FDlgsUnit->SetMinEdgeSpace(value); }
bool TCFindDialog::GetDialogSizing() const { return FDlgsUnit->GetDialogSizing(); }
void TCFindDialog::SetDialogSizing(bool value) { FDlgsUnit->SetDialogSizing(value); }
AnsiString TCFindDialog::GetCaption() const { return FDlgsUnit->GetCaption(); }
void TCFindDialog::SetCaption(const AnsiString& value) { FDlgsUnit->SetCaption(value); }
TIcon* TCFindDialog::GetIcon() const { return FDlgsUnit->GetIcon(); }
void TCFindDialog::SetIcon(TIcon* value) { FDlgsUnit->SetIcon(value); }

// ---------------------------------------------------------------------------------------------
// TCReplaceDialog

TCReplaceDialog::TCReplaceDialog(TComponent* owner) : TReplaceDialog(owner)
{
    FDlgsUnit = new TCustomDlgsUnit(this);
    FCustomizer = nullptr;
}

TCReplaceDialog::~TCReplaceDialog()
{
    // Off the still-open window first, so the window's destruction that follows finds no
    // customizer.
    delete FCustomizer;
    FCustomizer = nullptr;
}

bool TCReplaceDialog::Execute()
{
    if (GetHandle() == nullptr)
        SubFormToBottom(FDlgsUnit);
    return TReplaceDialog::Execute();
}

void TCReplaceDialog::DoShow()
{
    Customize(FDlgsUnit, GetHandle(), FCustomizer);
    TReplaceDialog::DoShow();
}

void TCReplaceDialog::DoClose()
{
    CustomizerRelease release{FCustomizer};
    TReplaceDialog::DoClose();
}

TForm* TCReplaceDialog::GetSubForm() const { return FDlgsUnit->GetSubForm(); }
void TCReplaceDialog::SetSubForm(TForm* value) { FDlgsUnit->SetSubForm(value); }
TSubFormPos TCReplaceDialog::GetSubFormPos() const { return FDlgsUnit->GetSubFormPos(); }
void TCReplaceDialog::SetSubFormPos(TSubFormPos value) { FDlgsUnit->SetSubFormPos(value); }
TSubFormAnchors TCReplaceDialog::GetSubFormAnchors() const { return FDlgsUnit->GetSubFormAnchors(); }
void TCReplaceDialog::SetSubFormAnchors(TSubFormAnchors value) { FDlgsUnit->SetSubFormAnchors(value); }
TDialogEdgeSpace* TCReplaceDialog::GetMinEdgeSpace() const { return FDlgsUnit->GetMinEdgeSpace(); }
void TCReplaceDialog::SetMinEdgeSpace(TDialogEdgeSpace* value) { FDlgsUnit->SetMinEdgeSpace(value); }
bool TCReplaceDialog::GetDialogSizing() const { return FDlgsUnit->GetDialogSizing(); }
void TCReplaceDialog::SetDialogSizing(bool value) { FDlgsUnit->SetDialogSizing(value); }
AnsiString TCReplaceDialog::GetCaption() const { return FDlgsUnit->GetCaption(); }
void TCReplaceDialog::SetCaption(const AnsiString& value) { FDlgsUnit->SetCaption(value); }
TIcon* TCReplaceDialog::GetIcon() const { return FDlgsUnit->GetIcon(); }
void TCReplaceDialog::SetIcon(TIcon* value) { FDlgsUnit->SetIcon(value); }

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
