#include "app/Engine.h"

#include "app/InputPort.h"
#include "app/Mainform.h"

const DWORD LockKeyCodes[LockKeyCount] = {
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B,  // F1..F12
    0x24,                                                                    // Home
    0x23,                                                                    // End
    0x21,                                                                    // Page Up
    0x22,                                                                    // Page Down
    0x91,                                                                    // Scroll Lock
    0x13,                                                                    // Pause
};

const DWORD ButtonDownFlags[ButtonCount] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN};
const DWORD ButtonUpFlags[ButtonCount] = {MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEUP};

POINT LockPoint = {0, 0};

const char* const ModeTextToggle = "Lock";
const char* const ModeTextHold = "On";
const char* const PaceFormat = "%d m-sec.";

namespace {
constexpr int ModePanel = 1;

bool InRange(int index, int count)
{
    return index >= 0 && index < count;
}

bool KeyDown(int key)
{
    return (static_cast<unsigned short>(Input()->GetAsyncKeyState(key)) & 0x8000) != 0;
}

// One press and one release of the chosen button at the cursor.
void ClickStep()
{
    if (MForm->CursorLock->GetChecked()) {
        Input()->SetCursorPos(LockPoint.x, LockPoint.y);
        Input()->ProcessMessages();
    }
    // The index is read for each transition: a handler run in between may have changed it.
    int index = MForm->Renda->GetItemIndex();
    if (InRange(index, ButtonCount))
        Input()->MouseEvent(ButtonDownFlags[index], 0, 0, 0, 0);
    index = MForm->Renda->GetItemIndex();
    if (InRange(index, ButtonCount))
        Input()->MouseEvent(ButtonUpFlags[index], 0, 0, 0, 0);
    Input()->ProcessMessages();
}
}  // namespace

void RegisterLockKey(HWND window, int index)
{
    if (!InRange(index, LockKeyCount))
        return;
    if (!Input()->RegisterHotKey(window, HotKeyId, HotKeyNoRepeat, LockKeyCodes[index]))
        Input()->RegisterHotKey(window, HotKeyId, 0, LockKeyCodes[index]);
}

void TMForm::MainControl(TObject* sender)
{
    auto* component = dynamic_cast<TComponent*>(sender);
    if (component == nullptr)
        return;
    switch (component->GetTag()) {
    case 1: {  // the pace
        int position = MForm->RendaSpeed->GetPosition();
        MForm->Speed->SetCaption(Format(PaceFormat, position));
        MForm->Timer1->SetInterval(static_cast<unsigned>(position));
        MForm->Timer3->SetInterval(static_cast<unsigned>(position));
        break;
    }
    case 2: {  // the lock key
        int index = MForm->LockKey->GetItemIndex();
        if (!InRange(index, LockKeyCount))
            break;
        Input()->UnregisterHotKey(MForm->GetHandle(), HotKeyId);
        RegisterLockKey(MForm->GetHandle(), index);
        break;
    }
    case 3:  // a click
        ClickStep();
        break;
    default:
        break;
    }
}

void TMForm::WMHotKey(TMessage& message)
{
    if (message.Msg != WM_HOTKEY || static_cast<int>(message.WParam) != HotKeyId)
        return;
    if (MForm->Timer1->GetEnabled()) {
        MForm->EnableChoices();
        MForm->Timer1->SetEnabled(false);
        MForm->StatusBar1->SetPanelText(ModePanel, "");
    } else {
        Input()->GetCursorPos(&LockPoint);
        MForm->DisableChoices();
        MForm->Timer1->SetEnabled(true);
        MForm->StatusBar1->SetPanelText(ModePanel, ModeTextToggle);
    }
}

void TMForm::Timer2Timer(TObject* sender)
{
    bool shift = KeyDown(VK_SHIFT);
    bool control = KeyDown(VK_CONTROL);
    if (shift && control) {
        MForm->DisableChoices();
        Input()->GetCursorPos(&LockPoint);
        MForm->Timer1->SetEnabled(false);
        MForm->Timer3->SetEnabled(true);
        MForm->StatusBar1->SetPanelText(ModePanel, ModeTextHold);
    } else if (MForm->Timer3->GetEnabled()) {
        if (MForm->Timer1->GetEnabled()) {
            // The lock key came between the release and this poll: toggle mode goes on, and
            // the window keeps saying so.
            MForm->Timer3->SetEnabled(false);
            MForm->StatusBar1->SetPanelText(ModePanel, ModeTextToggle);
        } else {
            MForm->EnableChoices();
            MForm->Timer3->SetEnabled(false);
            MForm->StatusBar1->SetPanelText(ModePanel, "");
        }
    }
}

void TMForm::DisableChoices()
{
    MForm->Label1->SetEnabled(false);
    MForm->Renda->SetEnabled(false);
    MForm->Label3->SetEnabled(false);
    MForm->LockKey->SetEnabled(false);
}

void TMForm::EnableChoices()
{
    MForm->Label1->SetEnabled(true);
    MForm->Renda->SetEnabled(true);
    MForm->Label3->SetEnabled(true);
    MForm->LockKey->SetEnabled(true);
}
