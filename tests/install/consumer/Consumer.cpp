// Uses the installed headers and libraries the way an outside program would: a form with a
// link label, and an open dialog that takes the form as its sub form.
#include "controls/LtLabel.h"
#include "dialogs/COpenDlg.h"
#include "framework/Application.h"

#include <cstdio>

int main()
{
    Application->Initialize();
    TForm* form = new TForm(Application);
    TLightLabel* label = new TLightLabel(form);
    label->SetParent(form);
    label->SetCaption("consumer");
    label->HandleNeeded();

    CustDlgs::TCOpenDialog* dialog = new CustDlgs::TCOpenDialog(Application);
    dialog->SetSubForm(form);
    dialog->SetSubFormPos(CustDlgs::fpRight);
    FreeObject(form);  // the dialog hears of it and lets the form go
    std::printf("%s %d\n", dialog->GetSubForm() == nullptr ? "released" : "kept",
                static_cast<int>(dialog->GetSubFormPos()));
    return 0;
}
