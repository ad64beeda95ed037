// The find and replace dialogs with the library's customization: a sub form embedded in the
// dialog, optional resizing with a size grip, minimum edge spaces, caption, icon, and a place
// and size remembered from one opening to the next.
#pragma once

#include "dialogs/DlgsCust.h"
#include "framework/Dialogs.h"

namespace CustDlgs {

// The customization the find and replace dialogs share, on either framework dialog.
template <class TBase>
class TCustomizableFindDialog : public TCustomizableDialog<TBase> {
public:
    using TCustomizableDialog<TBase>::TCustomizableDialog;

    bool Execute() override;

protected:
    ~TCustomizableFindDialog() override = default;
    void DoShow() override;
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
