#include "app/Engine.h"

#include "app/InputPort.h"
#include "app/Mainform.h"

#include <algorithm>

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
}  // namespace

void AbsoluteInputPosition(POINT point, DWORD& dx, DWORD& dy)
{
    // The system maps a coordinate n back to the pixel n * size / 65536 (rounded down), so each
    // pixel's smallest n is taken: rounded up.
    const auto normalise = [](LONG pixel, int origin, int size) -> DWORD {
        if (size <= 0)
            return 0;
        const long long offset = std::max<long long>(0, static_cast<long long>(pixel) - origin);
        return static_cast<DWORD>(std::min<long long>((offset * 65536 + size - 1) / size, 65535));
    };
    dx = normalise(point.x, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    dy = normalise(point.y, GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

void ApplyPace(TMForm& form)
{
    int position = form.RendaSpeed->GetPosition();
    form.Speed->SetCaption(Format(PaceFormat, position));
    form.Timer1->SetInterval(static_cast<unsigned>(position));
    form.Timer3->SetInterval(static_cast<unsigned>(position));
}

void ApplyLockKey(TMForm& form)
{
    int index = form.LockKey->GetItemIndex();
    if (!InRange(index, LockKeyCount))
        return;
    Input()->UnregisterHotKey(form.GetHandle(), HotKeyId);
    RegisterLockKey(form.GetHandle(), index);
}

void ClickStep(TMForm& form)
{
    if (form.CursorLock->GetChecked()) {
        Input()->SetCursorPos(LockPoint.x, LockPoint.y);
        Input()->ProcessMessages();
    }
    // Handling messages may take in real mouse movement, so with the lock on each transition
    // carries the lock point itself: nothing can come between placing the cursor and pressing.
    DWORD position = 0, dx = 0, dy = 0;
    if (form.CursorLock->GetChecked()) {
        position = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
        AbsoluteInputPosition(LockPoint, dx, dy);
    }
    // The index is read for each transition: a handler run in between may have changed it.
    int index = form.Renda->GetItemIndex();
    if (InRange(index, ButtonCount))
        Input()->MouseEvent(position | ButtonDownFlags[index], dx, dy, 0, 0);
    index = form.Renda->GetItemIndex();
    if (InRange(index, ButtonCount))
        Input()->MouseEvent(position | ButtonUpFlags[index], dx, dy, 0, 0);
    Input()->ProcessMessages();
}

void ToggleClicking(TMForm& form)
{
    if (form.Timer1->GetEnabled()) {
        SetChoicesEnabled(form, true);
        form.Timer1->SetEnabled(false);
        form.StatusBar1->SetPanelText(ModePanel, "");
    } else {
        Input()->GetCursorPos(&LockPoint);
        SetChoicesEnabled(form, false);
        form.Timer1->SetEnabled(true);
        form.StatusBar1->SetPanelText(ModePanel, ModeTextToggle);
    }
}

void PollHoldKeys(TMForm& form)
{
    bool shift = KeyDown(VK_SHIFT);
    bool control = KeyDown(VK_CONTROL);
    if (shift && control) {
        SetChoicesEnabled(form, false);
        Input()->GetCursorPos(&LockPoint);
        form.Timer1->SetEnabled(false);
        form.Timer3->SetEnabled(true);
        form.StatusBar1->SetPanelText(ModePanel, ModeTextHold);
    } else if (form.Timer3->GetEnabled()) {
        if (form.Timer1->GetEnabled()) {
            // The lock key came between the release and this poll: toggle mode goes on, and
            // the window keeps saying so.
            form.Timer3->SetEnabled(false);
            form.StatusBar1->SetPanelText(ModePanel, ModeTextToggle);
        } else {
            SetChoicesEnabled(form, true);
            form.Timer3->SetEnabled(false);
            form.StatusBar1->SetPanelText(ModePanel, "");
        }
    }
}

void SetChoicesEnabled(TMForm& form, bool enabled)
{
    form.Label1->SetEnabled(enabled);
    form.Renda->SetEnabled(enabled);
    form.Label3->SetEnabled(enabled);
    form.LockKey->SetEnabled(enabled);
}

void RegisterLockKey(HWND window, int index)
{
    if (!InRange(index, LockKeyCount))
        return;
    if (!Input()->RegisterHotKey(window, HotKeyId, HotKeyNoRepeat, LockKeyCodes[index]))
        Input()->RegisterHotKey(window, HotKeyId, 0, LockKeyCodes[index]);
}
