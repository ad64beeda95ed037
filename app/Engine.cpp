#include "app/Engine.h"

#include "app/InputPort.h"
#include "app/Mainform.h"
#include "framework/Clock.h"

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

// The clicks counted against the pace of the running mode, on the timers' clock. The timers drop
// deadlines they missed; the engine makes those clicks up.
struct TClickPace {
    unsigned Run = 0;  // changes with every start and stop
    bool Running = false;
    LONGLONG Start = 0;   // where the count began, no later than the click timer's start
    LONGLONG Period = 1;  // counts per click
    LONGLONG Made = 0;    // clicks made since Start
    LONGLONG Clicked[2] = {};  // when the last two clicks were made, the older first
    int Recent = 0;            // how many of those there are
};
TClickPace Pace;

// A tick waits this long at most for room for its click; a longer wait is left to a later tick.
constexpr LONGLONG RoomWaitMs = 2;

// Counted before the timer starts, so that each tick finds its own deadline due.
void StartPace(unsigned intervalMs)
{
    ++Pace.Run;
    Pace.Running = true;
    Pace.Start = Input()->Now();
    Pace.Period = std::max<LONGLONG>(1, MsToCounts(intervalMs));
    Pace.Made = 0;
    Pace.Recent = 0;
}

// After a click timer stopped: the count ends once neither runs.
void StopPaceUnlessRunning(TMForm& form)
{
    if (form.Timer1->GetEnabled() || form.Timer3->GetEnabled())
        return;
    ++Pace.Run;
    Pace.Running = false;
}

// No interval holds three clicks: a click comes one interval after the click two before it at the
// soonest. Returns whether there is room now, after a short wait if need be.
bool RoomForClick()
{
    if (Pace.Recent < 2)
        return true;
    const LONGLONG wait = Pace.Clicked[0] + Pace.Period - Input()->Now();
    if (wait <= 0)
        return true;
    if (wait > MsToCounts(RoomWaitMs))
        return false;
    Input()->SleepFor(wait);
    return true;
}

void CountClick()
{
    Pace.Clicked[0] = Pace.Recent == 0 ? Input()->Now() : Pace.Clicked[1];
    Pace.Clicked[1] = Input()->Now();
    Pace.Recent = std::min(Pace.Recent + 1, 2);
    ++Pace.Made;
}

void ClickOnce(TMForm& form)
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
}
}  // namespace

int CatchUpClicks(LONGLONG due, LONGLONG& made, LONGLONG window)
{
    const LONGLONG owed = due - made - 1;
    if (owed < 0 || owed > window) {
        made = due - 1;
        return 1;
    }
    return owed > 0 ? 2 : 1;
}

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
    // A new interval starts the running timer's period afresh, and the count with it.
    if (Pace.Running && form.Timer1->GetInterval() != static_cast<unsigned>(position))
        StartPace(static_cast<unsigned>(position));
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
    // The count belongs to a running mode; a tick from elsewhere clicks once.
    if (!Pace.Running || !(form.Timer1->GetEnabled() || form.Timer3->GetEnabled())) {
        ClickOnce(form);
        Input()->ProcessMessages();
        return;
    }
    const unsigned run = Pace.Run;
    const LONGLONG due = (Input()->Now() - Pace.Start) / Pace.Period;
    const int clicks = CatchUpClicks(due, Pace.Made, MsToCounts(DebtWindowMs) / Pace.Period);
    // Messages handled after a click may stop or restart clicking: no click of the old run follows.
    for (int click = 0; click < clicks && Pace.Run == run && RoomForClick(); ++click) {
        ClickOnce(form);
        CountClick();
        Input()->ProcessMessages();
    }
}

void ToggleClicking(TMForm& form)
{
    if (form.Timer1->GetEnabled()) {
        SetChoicesEnabled(form, true);
        form.Timer1->SetEnabled(false);
        StopPaceUnlessRunning(form);
        form.StatusBar1->SetPanelText(ModePanel, "");
    } else {
        Input()->GetCursorPos(&LockPoint);
        SetChoicesEnabled(form, false);
        StartPace(form.Timer1->GetInterval());
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
        // Polls while the keys stay down leave the running timer and its count alone.
        if (!form.Timer3->GetEnabled())
            StartPace(form.Timer3->GetInterval());
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
            StopPaceUnlessRunning(form);
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
