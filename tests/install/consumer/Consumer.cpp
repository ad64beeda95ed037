// Uses the installed headers and libraries the way an outside program would: a form with a
// link label, and a dialog settings object that takes the form as its sub form.
#include "controls/LtLabel.h"
#include "dialogs/DlgsUnit.h"
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

    CustDlgs::TCustomDlgsUnit* settings = new CustDlgs::TCustomDlgsUnit(Application);
    settings->SetSubForm(form);
    settings->SetSubFormPos(CustDlgs::fpRight);
    delete form;  // the settings hear of it and let the form go
    std::printf("%s %d\n", settings->GetSubForm() == nullptr ? "released" : "kept",
                static_cast<int>(settings->GetSubFormPos()));
    return 0;
}
