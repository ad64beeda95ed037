// The main window: the clicker's choices, its status bar and the three timers that drive it.
#pragma once

#include "controls/LtLabel.h"
#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/Timer.h"

class TMForm : public TForm {
public:
    explicit TMForm(TComponent* owner);

    const char* ClassName() const override { return "TMForm"; }

    TLabel* Label1;
    TLabel* Label2;
    TLabel* Speed;
    TLightLabel* SiteURL;
    TLabel* Label3;
    TComboBox* Renda;
    TStatusBar* StatusBar1;
    TTrackBar* RendaSpeed;
    TComboBox* LockKey;
    TCheckBox* CursorLock;
    TTimer* Timer1;
    TTimer* Timer2;
    TTimer* Timer3;

    // OnDestroy: store the settings, then free the hot key.
    void FormDestroy(TObject* sender);
    // Shared handler of the pace, the lock key and the two click timers, by the sender's Tag.
    void MainControl(TObject* sender);
    // The Shift+Ctrl hold poll.
    void Timer2Timer(TObject* sender);
    // The lock key toggle.
    void WMHotKey(TMessage& message);
    void DisableChoices();
    void EnableChoices();
    void LoadSettings();
    void SaveSettings();

    void Dispatch(TMessage& message) override;

private:
    void CreateControls();
};

// The one main window, set before its constructor body runs its handlers.
extern TMForm* MForm;
