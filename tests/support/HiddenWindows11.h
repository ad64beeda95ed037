// A timing port that plays Windows 11 with the program's windows hidden: every wait whose timer
// is not high-resolution lasts at least the default resolution (15.6 ms), whatever
// timeBeginPeriod asked, unless the process opted out of timer-resolution throttling.
#pragma once

#include "framework/TimingPort.h"

#include <gtest/gtest.h>

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

    // One instance for the process: the timers' threads may still be inside it, or close their
    // timers through it, after a test ends.
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
        // A relative due time is negative; an absolute one is left alone.
        LONGLONG relative = -due.QuadPart;
        if (!IsFine(timer))
            Hold(relative, DefaultResolution);
        due.QuadPart = -relative;
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
        Hold(timeoutMs, DWORD(16));
        return TTimingPort::Wait(count, handles, timeoutMs, wakeMask);
    }
    void FineSleep(LONGLONG hundredNs) override
    {
        Hold(hundredNs, DefaultResolution);
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
    // Stretches a wait shorter than `floor` to it unless the process opted out.
    template <class T>
    void Hold(T& wait, T floor)
    {
        if (!FOptedOut && wait > 0 && wait < floor) {
            ++Coarsened;
            wait = floor;
        }
    }
    bool IsFine(HANDLE timer)
    {
        std::lock_guard<std::mutex> lock(FMutex);
        return FFine.count(timer) != 0;
    }

    std::atomic<bool> FOptedOut{false};
    std::mutex FMutex;
    std::set<HANDLE> FFine;
};

// The two ways a program keeps its timing there: the opt-out, or high-resolution timers.
struct HiddenWindows11Case {
    const char* Name;
    bool GrantsOptOut;
    bool HasHighResolution;
};
const HiddenWindows11Case HiddenWindows11Cases[] = {
    {"opt-out refused, high-resolution timers", false, true},
    {"opt-out granted, no high-resolution timers", true, false},
};

// Puts the hidden Windows 11 of `row` in place for the life of the scope.
class HiddenWindows11Scope {
public:
    explicit HiddenWindows11Scope(const HiddenWindows11Case& row)
    {
        HiddenWindows11::Instance().Reset(row.GrantsOptOut, row.HasHighResolution);
        FPrevious = SetTiming(&HiddenWindows11::Instance());
    }
    ~HiddenWindows11Scope() { SetTiming(FPrevious); }
    HiddenWindows11& Platform() { return HiddenWindows11::Instance(); }
    // A precise sleep tries the coarse means now and then; almost every one of `waits` keeps its time.
    testing::AssertionResult KeptTheTimeOf(int waits)
    {
        const int coarsened = Platform().Coarsened;
        if (coarsened <= waits / 20)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << coarsened << " of " << waits << " waits held to the default resolution";
    }

private:
    TTimingPort* FPrevious = nullptr;
};
