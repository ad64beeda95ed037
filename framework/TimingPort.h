// The platform's timing calls the timers wait with: waitable timers, waits, the fine sleep and the
// process's opt-out of power throttling. The program always uses the real calls; tests put a port
// in their place that plays another platform (one that coarsens a hidden program's waits, say).
#pragma once

#include <windows.h>

class TTimingPort {
public:
    virtual ~TTimingPort() = default;
    // A one-shot waitable timer; with `highResolution` one the system fires on time whatever its
    // timer resolution (Windows 10 1803 and later), null where the system has none.
    virtual HANDLE CreateWaitTimer(bool highResolution);
    virtual BOOL SetWaitTimer(HANDLE timer, LARGE_INTEGER due);
    virtual void CloseWaitTimer(HANDLE timer);
    // Waits for one of `handles`, for input matching `wakeMask` (0: none ends the wait) or for
    // `timeoutMs`; returns as WaitForMultipleObjects does. Without `wakeMask` it needs a handle.
    virtual DWORD Wait(DWORD count, const HANDLE* handles, DWORD timeoutMs, DWORD wakeMask);
    // Sleeps `hundredNs` (100 ns units) without giving up the processor first where it can.
    virtual void FineSleep(LONGLONG hundredNs);
    // Asks the system to leave the process its timer resolution and full speed when its windows
    // are hidden (`hold`), or to manage both again. Returns whether the system agreed.
    virtual bool HoldFullSpeed(bool hold);
};

// The port in use; never null.
TTimingPort* Timing();
// Puts `port` in place (null puts the real one back); returns the previous port. A thread makes
// its wait timer again through the new port on its next wait.
TTimingPort* SetTiming(TTimingPort* port);
// Counts the SetTiming calls, so that what was made through an earlier port can be told.
unsigned TimingChanges();
