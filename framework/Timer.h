// Window timers: OnTimer delivered as messages on the GUI thread.
#pragma once

#include "framework/Classes.h"

#include <windows.h>

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    const char* ClassName() const override { return "TTimer"; }

    bool GetEnabled() const { return FEnabled; }
    // Setting the current value does nothing; another value restarts the timer.
    void SetEnabled(bool value);
    unsigned GetInterval() const { return FInterval; }
    void SetInterval(unsigned value);

    TNotifyEvent OnTimer;
    // Assigning OnTimer after construction: call this so a running timer starts.
    void SetOnTimer(TNotifyEvent handler);

protected:
    virtual void Timer();

private:
    static LRESULT CALLBACK TimerWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void UpdateTimer();

    bool FEnabled = true;
    unsigned FInterval = 1000;
    HWND FWindow = nullptr;
    bool FInTimer = false;
};
