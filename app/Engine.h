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

// The panel-1 texts and the pace caption.
extern const char* const ModeTextToggle;
extern const char* const ModeTextHold;
extern const char* const PaceFormat;
