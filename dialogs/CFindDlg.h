// The find and replace dialogs with the library's customization: a sub form embedded in the
// dialog, optional resizing with a size grip, minimum edge spaces, caption, icon, and a place
// and size remembered from one opening to the next.
#pragma once

#include "dialogs/DlgsCust.h"
#include "framework/Dialogs.h"

namespace CustDlgs {

// The customization the find and replace dialogs share, on either framework dialog.
template <class TBase>
class TCustomizableFindDialog : public TBase {
public:
    explicit TCustomizableFindDialog(TComponent* owner);

    bool Execute() override;

    TForm* GetSubForm() const { return FDlgsUnit->GetSubForm(); }
    // The form embedded in the dialog (null for none); it is not owned.
    void SetSubForm(TForm* value) { FDlgsUnit->SetSubForm(value); }

    // Published.
    TSubFormPos GetSubFormPos() const { return FDlgsUnit->GetSubFormPos(); }
    void SetSubFormPos(TSubFormPos value) { FDlgsUnit->SetSubFormPos(value); }
    TSubFormAnchors GetSubFormAnchors() const { return FDlgsUnit->GetSubFormAnchors(); }
    void SetSubFormAnchors(TSubFormAnchors value) { FDlgsUnit->SetSubFormAnchors(value); }
    TDialogEdgeSpace* GetMinEdgeSpace() const { return FDlgsUnit->GetMinEdgeSpace(); }
    void SetMinEdgeSpace(TDialogEdgeSpace* value) { FDlgsUnit->SetMinEdgeSpace(value); }
    bool GetDialogSizing() const { return FDlgsUnit->GetDialogSizing(); }
    void SetDialogSizing(bool value) { FDlgsUnit->SetDialogSizing(value); }
    AnsiString GetCaption() const { return FDlgsUnit->GetCaption(); }
    void SetCaption(const AnsiString& value) { FDlgsUnit->SetCaption(value); }
    TIcon* GetIcon() const { return FDlgsUnit->GetIcon(); }
    void SetIcon(TIcon* value) { FDlgsUnit->SetIcon(value); }

    // The customizer of the open dialog window; null while closed.
    TDialogCustomizer* GetCustomizer() const { return FCustomizer; }

protected:
    ~TCustomizableFindDialog() override;
    void DoShow() override;
    void DoClose() override;

private:
    TCustomDlgsUnit* FDlgsUnit;
    TDialogCustomizer* FCustomizer = nullptr;
};

// Both kinds are built once, with the library.
extern template class TCustomizableFindDialog<TFindDialog>;
extern template class TCustomizableFindDialog<TReplaceDialog>;

// The framework's find dialog, customizable.
class TCFindDialog : public TCustomizableFindDialog<TFindDialog> {
public:
    using TCustomizableFindDialog::TCustomizableFindDialog;

    const char* ClassName() const override { return "TCFindDialog"; }

protected:
    ~TCFindDialog() override = default;
};

// The framework's replace dialog, customizable.
class TCReplaceDialog : public TCustomizableFindDialog<TReplaceDialog> {
public:
    using TCustomizableFindDialog::TCustomizableFindDialog;

    const char* ClassName() const override { return "TCReplaceDialog"; }

protected:
    ~TCReplaceDialog() override = default;
};

namespace CFindDlg {
// Puts TCFindDialog and TCReplaceDialog on the designer's "Dialogs" page and files their
// sub-form properties under the visual category.
void Register();
}  // namespace CFindDlg

}  // namespace CustDlgs
