// A timing port that plays Windows 11 with the program's windows hidden: every wait whose timer
// is not high-resolution lasts at least the default resolution (15.6 ms), whatever
// timeBeginPeriod asked, unless the process opted out of timer-resolution throttling.
#pragma once

#include "framework/TimingPort.h"

#include <atomic>
#include <mutex>
#include <set>

class HiddenWindows11 : public TTimingPort {
public:
    static constexpr LONGLONG DefaultResolution = 156250;  // 100 ns units
    // Whether the system agrees to the opt-out, and whether it has high-resolution timers.
    std::atomic<bool> GrantsOptOut{true};
    std::atomic<bool> HasHighResolution{true};
    // Waits held to the default resolution since the last Reset.
    std::atomic<int> Coarsened{0};

    // One instance for the process: the timers' threads may still be inside it, or close their timers
// through it, after a test ends.
    static HiddenWindows11& Instance()
    {
        static HiddenWindows11* port = new HiddenWindows11;
        return *port;
    }
    void Reset(bool grantsOptOut, bool hasHighResolution)
    {
        GrantsOptOut = grantsOptOut;
        HasHighResolution = hasHighResolution;
        FOptedOut = false;
        Coarsened = 0;
    }

    bool OptedOut() const { return FOptedOut; }

    HANDLE CreateWaitTimer(bool highResolution) override
    {
        if (highResolution && !HasHighResolution)
            return nullptr;
        HANDLE timer = TTimingPort::CreateWaitTimer(highResolution);
        if (timer != nullptr && highResolution) {
            std::lock_guard<std::mutex> lock(FMutex);
            FFine.insert(timer);
        }
        return timer;
    }
    BOOL SetWaitTimer(HANDLE timer, LARGE_INTEGER due) override
    {
        if (!IsFine(timer) && Coarse() && due.QuadPart < 0 && -due.QuadPart < DefaultResolution) {
            ++Coarsened;
            due.QuadPart = -DefaultResolution;
        }
        return TTimingPort::SetWaitTimer(timer, due);
    }
    void CloseWaitTimer(HANDLE timer) override
    {
        {
            std::lock_guard<std::mutex> lock(FMutex);
            FFine.erase(timer);
        }
        TTimingPort::CloseWaitTimer(timer);
    }
    DWORD Wait(DWORD count, const HANDLE* handles, DWORD timeoutMs, DWORD wakeMask) override
    {
        if (Coarse() && timeoutMs != 0 && timeoutMs < 16) {
            ++Coarsened;
            timeoutMs = 16;
        }
        return TTimingPort::Wait(count, handles, timeoutMs, wakeMask);
    }
    void FineSleep(LONGLONG hundredNs) override
    {
        if (Coarse() && hundredNs > 0 && hundredNs < DefaultResolution) {
            ++Coarsened;
            hundredNs = DefaultResolution;
        }
        TTimingPort::FineSleep(hundredNs);
    }
    bool HoldFullSpeed(bool hold) override
    {
        if (!GrantsOptOut)
            return false;
        FOptedOut = hold;
        return true;
    }

private:
    bool Coarse() const { return !FOptedOut; }
    bool IsFine(HANDLE timer)
    {
        std::lock_guard<std::mutex> lock(FMutex);
        return FFine.count(timer) != 0;
    }

    std::atomic<bool> FOptedOut{false};
    std::mutex FMutex;
    std::set<HANDLE> FFine;
};

// Puts the hidden Windows 11 in place for the life of the scope.
class HiddenWindows11Scope {
public:
    HiddenWindows11Scope(bool grantsOptOut, bool hasHighResolution)
    {
        HiddenWindows11::Instance().Reset(grantsOptOut, hasHighResolution);
        FPrevious = SetTiming(&HiddenWindows11::Instance());
    }
    ~HiddenWindows11Scope() { SetTiming(FPrevious); }
    HiddenWindows11& Platform() { return HiddenWindows11::Instance(); }

private:
    TTimingPort* FPrevious = nullptr;
};
