// Stand-in until the settings file is read: the values a missing file gives.
#include "app/Mainform.h"

void TMForm::LoadSettings()
{
    SetLeft(0);
    SetTop(0);
    Renda->SetItemIndex(0);
    RendaSpeed->SetPosition(500);
    LockKey->SetItemIndex(0);
    CursorLock->SetChecked(false);
    Timer2->SetInterval(100);
}

void TMForm::SaveSettings() {}
