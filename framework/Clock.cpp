#include "framework/Clock.h"

#include "framework/TimingPort.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>

LONGLONG CounterFrequency()
{
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    return frequency;
}

LONGLONG CounterNow()
{
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}

LONGLONG ScaleCounts(LONGLONG value, LONGLONG multiplier, LONGLONG divisor)
{
    if (value <= 0)
        return 0;
    // Whole divisors first, then the remainder: value * multiplier alone overflows for long
    // intervals (2^32 ms is 4.3e16 counts at a 10 MHz counter, 4.3e23 once times 10^7).
    const LONGLONG whole = value / divisor;
    const LONGLONG rest = value % divisor;
    if (whole > LLONG_MAX / multiplier)
        return LLONG_MAX;
    const LONGLONG head = whole * multiplier;
    // rest < divisor: the product fits for any counter frequency and unit in use here.
    const LONGLONG tail = rest > LLONG_MAX / multiplier ? LLONG_MAX : rest * multiplier / divisor;
    return head > LLONG_MAX - tail ? LLONG_MAX : head + tail;
}

LONGLONG MsToCounts(LONGLONG ms)
{
    return ScaleCounts(ms, CounterFrequency(), 1000);
}

LONGLONG CountsToHundredNs(LONGLONG counts)
{
    return ScaleCounts(counts, 10000000, CounterFrequency());
}

LARGE_INTEGER DueIn(LONGLONG counts)
{
    LARGE_INTEGER due;
    due.QuadPart = -std::min<LONGLONG>(CountsToHundredNs(counts), LLONG_MAX - 1) - 1;
    return due;
}

DWORD TimeoutMs(LONGLONG counts)
{
    const LONGLONG ms = ScaleCounts(counts, 1000, CounterFrequency());
    return static_cast<DWORD>(std::min<LONGLONG>(ms, MAXLONG - 1) + 1);
}

// Windows 11 coarsens a hidden program's waits to its default resolution (15.6 ms), whatever
// timeBeginPeriod asked, unless the process opted out; a high-resolution timer keeps its time
// either way. So without the opt-out the sleep is a wait on such a timer, which ends by a signal
// and does not give up the processor before it sleeps.
void PreciseSleep(LONGLONG counts)
{
    const LONGLONG hundredNs = CountsToHundredNs(counts);
    if (hundredNs <= 0)
        return;
    TTimingPort* timing = Timing();
    bool highResolution = false;
    HANDLE timer = FineTimeoutsHeld() ? nullptr : ThreadWaitTimer(&highResolution);
    if (timer != nullptr && highResolution && timing->SetWaitTimer(timer, DueIn(counts))) {
        timing->Wait(1, &timer, INFINITE, 0);
        return;
    }
    timing->FineSleep(hundredNs);
}

namespace {
// Owns one thread's waitable timer, made through the timing port in use; the handle is closed as
// the thread ends.
class TThreadWaitTimer {
public:
    TThreadWaitTimer() = default;
    ~TThreadWaitTimer() { Close(); }
    TThreadWaitTimer(const TThreadWaitTimer&) = delete;
    TThreadWaitTimer& operator=(const TThreadWaitTimer&) = delete;

    HANDLE Handle(bool& highResolution)
    {
        TTimingPort* timing = Timing();
        if (FHandle == nullptr || FPort != timing) {
            Close();
            FPort = timing;
            FHighResolution = true;
            FHandle = timing->CreateWaitTimer(true);
            if (FHandle == nullptr) {
                FHighResolution = false;
                FHandle = timing->CreateWaitTimer(false);
            }
        }
        highResolution = FHighResolution;
        return FHandle;
    }

private:
    void Close()
    {
        if (FHandle != nullptr)
            CloseHandle(FHandle);
        FHandle = nullptr;
    }

    HANDLE FHandle = nullptr;
    TTimingPort* FPort = nullptr;
    bool FHighResolution = false;
};

struct TFineTiming {
    std::mutex Mutex;
    int Holds = 0;
    std::atomic<bool> Agreed{false};
};

TFineTiming& FineTiming()
{
    // Never destroyed: a timer freed late in program exit may still let go.
    static TFineTiming* timing = new TFineTiming;
    return *timing;
}
}  // namespace

HANDLE ThreadWaitTimer(bool* highResolution)
{
    static thread_local TThreadWaitTimer timer;
    bool fine = false;
    HANDLE handle = timer.Handle(fine);
    if (highResolution != nullptr)
        *highResolution = fine;
    return handle;
}

void HoldFineTiming(bool hold, bool& holds)
{
    TFineTiming& timing = FineTiming();
    std::lock_guard<std::mutex> lock(timing.Mutex);
    if (hold == holds)
        return;
    holds = hold;
    timing.Holds += hold ? 1 : -1;
    if (hold && timing.Holds == 1)
        timing.Agreed = Timing()->HoldFullSpeed(true);
    else if (!hold && timing.Holds == 0 && timing.Agreed.exchange(false))
        Timing()->HoldFullSpeed(false);
}

bool FineTimeoutsHeld()
{
    return FineTiming().Agreed;
}
