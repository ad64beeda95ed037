// Timers: OnTimer delivered as messages on the GUI thread, at intervals down to 1 ms.
#pragma once

#include "framework/Classes.h"

#include <windows.h>

struct TTimerSlot;

// A periodic timer. While it is enabled, has a non-zero interval and a handler, OnTimer runs on
// the thread that created it about every Interval milliseconds, also inside modal loops (message
// boxes, window moves, dropped-down lists), where ticks arrive as posted messages. While the
// application's own loop waits, it runs the ticks itself.
// Ticks keep to a fixed grid of deadlines, so the rate does not drift. At most one tick is
// waiting at any time: a handler that runs late is followed by one tick, not by a burst. A tick
// is never delivered into its own handler; one that falls due while the handler processes
// messages is held back and delivered once, right after the handler returns.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);

    const char* ClassName() const override { return "TTimer"; }

    bool GetEnabled() const { return FEnabled; }
    // Setting the current value does nothing; another value restarts the timer, so the next
    // tick comes one full interval later.
    void SetEnabled(bool value);
    unsigned GetInterval() const { return FInterval; }
    void SetInterval(unsigned value);

    TNotifyEvent OnTimer;
    // Assigning OnTimer after construction: call this so a running timer starts.
    void SetOnTimer(TNotifyEvent handler);

    // For the application loop's wait (LoopWait): claims the calling thread's running timers and
    // runs one tick whose deadline has come. Returns whether a tick ran; otherwise `next` is the
    // earliest deadline (a performance-counter value) and `any` whether a timer of the thread runs.
    static bool RunDueTick(LONGLONG& next, bool& any);

    // Stops the timer: no tick reaches a timer on its way out.
    void BeforeDestruction() override;

protected:
    ~TTimer() override;
    virtual void Timer();

private:
    static LRESULT CALLBACK TimerWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void UpdateTimer();
    void Tick(WPARAM generation);

    bool FEnabled = true;
    unsigned FInterval = 1000;
    HWND FWindow = nullptr;
    TTimerSlot* FSlot = nullptr;
    bool FInTimer = false;
    // A tick fell due while the handler ran; it is delivered when the handler returns.
    bool FTickHeld = false;
    // Set while the handler runs; the destructor marks it, so a handler may free its own timer.
    bool* FFreed = nullptr;
    // Running with a fine interval, the timer holds the process's fine timing (HoldFineTiming).
    bool FHoldsFineTiming = false;
};
