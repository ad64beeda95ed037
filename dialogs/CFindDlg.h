// The find and replace dialogs with the library's customization: a sub form embedded in the
// dialog, optional resizing with a size grip, minimum edge spaces, caption, icon, and a place
// and size remembered from one opening to the next.
#pragma once

#include "dialogs/DlgsCust.h"
#include "framework/Dialogs.h"

namespace CustDlgs {

// The framework's find dialog, customizable.
class TCFindDialog : public TFindDialog {
public:
    explicit TCFindDialog(TComponent* owner);
    ~TCFindDialog() override;

    const char* ClassName() const override { return "TCFindDialog"; }

    bool Execute() override;

    TForm* GetSubForm() const;
    // The form embedded in the dialog (null for none); it is not owned.
    void SetSubForm(TForm* value);

    // Published.
    TSubFormPos GetSubFormPos() const;
    void SetSubFormPos(TSubFormPos value);
    TSubFormAnchors GetSubFormAnchors() const;
    void SetSubFormAnchors(TSubFormAnchors value);
    TDialogEdgeSpace* GetMinEdgeSpace() const;
    void SetMinEdgeSpace(TDialogEdgeSpace* value);
    bool GetDialogSizing() const;
    void SetDialogSizing(bool value);
    AnsiString GetCaption() const;
    void SetCaption(const AnsiString& value);
    TIcon* GetIcon() const;
    void SetIcon(TIcon* value);

    // The customizer of the open dialog window; null while closed.
    TDialogCustomizer* GetCustomizer() const { return FCustomizer; }

protected:
    void DoShow() override;
    void DoClose() override;

private:
    TCustomDlgsUnit* FDlgsUnit;
    TDialogCustomizer* FCustomizer;
};

// The framework's replace dialog, customizable. The same added code as TCFindDialog.
class TCReplaceDialog : public TReplaceDialog {
public:
    explicit TCReplaceDialog(TComponent* owner);
    ~TCReplaceDialog() override;

    const char* ClassName() const override { return "TCReplaceDialog"; }

    bool Execute() override;

    TForm* GetSubForm() const;
    // The form embedded in the dialog (null for none); it is not owned.
    void SetSubForm(TForm* value);

    // Published.
    TSubFormPos GetSubFormPos() const;
    void SetSubFormPos(TSubFormPos value);
    TSubFormAnchors GetSubFormAnchors() const;
    void SetSubFormAnchors(TSubFormAnchors value);
    TDialogEdgeSpace* GetMinEdgeSpace() const;
    void SetMinEdgeSpace(TDialogEdgeSpace* value);
    bool GetDialogSizing() const;
    void SetDialogSizing(bool value);
    AnsiString GetCaption() const;
    void SetCaption(const AnsiString& value);
    TIcon* GetIcon() const;
    void SetIcon(TIcon* value);

    // The customizer of the open dialog window; null while closed.
    TDialogCustomizer* GetCustomizer() const { return FCustomizer; }

protected:
    void DoShow() override;
    void DoClose() override;

private:
    TCustomDlgsUnit* FDlgsUnit;
    TDialogCustomizer* FCustomizer;
};

namespace CFindDlg {
// Puts TCFindDialog and TCReplaceDialog on the designer's "Dialogs" page and files their
// sub-form properties under the visual category.
void Register();
}  // namespace CFindDlg

}  // namespace CustDlgs
