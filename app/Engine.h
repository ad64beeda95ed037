// The clicking engine's tables and process-wide state.
#pragma once

#include <windows.h>

constexpr int HotKeyId = 101;
// Registered without modifiers; MOD_NOREPEAT keeps keyboard auto-repeat from toggling again.
constexpr UINT HotKeyNoRepeat = 0x4000;

constexpr int LockKeyCount = 18;
constexpr int ButtonCount = 3;

// Virtual-key codes by the item index of LockKey.
extern const DWORD LockKeyCodes[LockKeyCount];
// mouse_event flags by the item index of Renda.
extern const DWORD ButtonDownFlags[ButtonCount];
extern const DWORD ButtonUpFlags[ButtonCount];

// Where clicking began (screen coordinates); the cursor lock puts the cursor back here.
extern POINT LockPoint;

// Registers the lock key at `index` of LockKeyCodes as hot key 101; no selection registers nothing.
void RegisterLockKey(HWND window, int index);

class TMForm;

// The engine's steps, each on the main window's state; TMForm's handlers call them for MForm.
// The pace rule: the Speed caption and both click timers from RendaSpeed.
void ApplyPace(TMForm& form);
// The lock-key rule: hot key 101 moves to the key chosen in LockKey.
void ApplyLockKey(TMForm& form);
// One press and one release of the chosen button: at the lock point while the cursor lock is on,
// at the cursor otherwise; while a mode runs and has fallen behind its pace, two, never three
// within one interval.
void ClickStep(TMForm& form);
// The lock key: starts the toggle mode, or stops it.
void ToggleClicking(TMForm& form);
// The Shift+Ctrl poll: starts, renews or ends the hold mode.
void PollHoldKeys(TMForm& form);
// Enables or disables Label1, Renda, Label3 and LockKey, in this order.
void SetChoicesEnabled(TMForm& form, bool enabled);

// How far behind the clicks may fall and still be made up: a longer hold-up (a stop, a suspended
// machine, a modal loop that held the ticks) is forgiven, and the pace resumes from then.
constexpr int DebtWindowMs = 50;
// The catch-up: how many clicks a tick makes. `due`: clicks due since clicking began, this tick's
// own included; `made`: clicks made so far; `window`: how many clicks owed beyond the tick's own
// are still made up. Two while behind within the window, else one; `made` becomes the count the
// tick goes on from (a debt beyond the window forgiven, a count ahead taken as on time).
int CatchUpClicks(LONGLONG due, LONGLONG& made, LONGLONG window);

// `point` (screen pixels) as mouse_event's absolute coordinates: 0..65535 across the virtual
// screen, each the smallest value the system maps back to that pixel.
void AbsoluteInputPosition(POINT point, DWORD& dx, DWORD& dy);

// The panel-1 texts and the pace caption.
extern const char* const ModeTextToggle;
extern const char* const ModeTextHold;
extern const char* const PaceFormat;
