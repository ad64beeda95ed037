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

namespace {
// How late each means of the precise sleep has woken of late on this thread: [0] the address
// wait, [1] the high-resolution timer; and the sleeps since the other means was tried.
struct TSleepMeans {
    LONGLONG Late[2];
    int SinceTry;
    int TryEvery;  // doubles while the other means keeps losing
};
constexpr int TryOtherMeansFirst = 128;
constexpr int TryOtherMeansAtMost = 8192;

TSleepMeans& ThisThreadsSleepMeans()
{
    static thread_local TSleepMeans means = {};
    return means;
}
}  // namespace

// The address wait wakes on time where the system keeps the fine resolution for the process, and
// on a busy machine under Wine it wakes sooner than a timer, which goes through the server. On
// Windows 11 a hidden program that could not opt out gets no finer resolution than 15.6 ms for
// it; a high-resolution timer keeps its time there. So without the opt-out the sleep takes the
// timer while that has woken clearly sooner of late, and tries the other means now and then.
void PreciseSleep(LONGLONG counts)
{
    const LONGLONG hundredNs = CountsToHundredNs(counts);
    if (hundredNs <= 0)
        return;
    TTimingPort* timing = Timing();
    bool highResolution = false;
    HANDLE timer = FineTimeoutsHeld() ? nullptr : ThreadWaitTimer(&highResolution);
    if (timer == nullptr || !highResolution) {
        timing->FineSleep(hundredNs);
        return;
    }
    TSleepMeans& means = ThisThreadsSleepMeans();
    if (means.TryEvery == 0)
        means.TryEvery = TryOtherMeansFirst;
    const LONGLONG margin = MsToCounts(1);
    const int best = means.Late[1] + margin < means.Late[0] ? 1 : 0;
    int use = best;
    const bool trying = ++means.SinceTry >= means.TryEvery;
    if (trying) {
        means.SinceTry = 0;
        use = 1 - best;
    }
    const LONGLONG until = CounterNow() + counts;
    if (use == 1 && timing->SetWaitTimer(timer, DueIn(counts))) {
        timing->Wait(1, &timer, INFINITE, 0);
    } else {
        use = 0;
        timing->FineSleep(hundredNs);
    }
    const LONGLONG late = std::max<LONGLONG>(0, CounterNow() - until);
    means.Late[use] += (late - means.Late[use]) / 8;
    // A means that stays far behind (the address wait of a hidden program) is tried ever more rarely.
    if (trying && use != best)
        means.TryEvery = late > means.Late[best] + margin ? std::min(means.TryEvery * 2, TryOtherMeansAtMost)
                                                          : TryOtherMeansFirst;
}

namespace {
// Owns one thread's waitable timer, made through the timing port in use (made again after a change
// of port); the handle is closed as the thread ends.
class TThreadWaitTimer {
public:
    TThreadWaitTimer() = default;
    ~TThreadWaitTimer() { Close(); }
    TThreadWaitTimer(const TThreadWaitTimer&) = delete;
    TThreadWaitTimer& operator=(const TThreadWaitTimer&) = delete;

    HANDLE Handle(bool& highResolution)
    {
        const unsigned changes = TimingChanges();
        if (FHandle == nullptr || FChanges != changes) {
            Close();
            TTimingPort* timing = Timing();
            FPort = timing;
            FChanges = changes;
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
            FPort->CloseWaitTimer(FHandle);
        FHandle = nullptr;
    }

    HANDLE FHandle = nullptr;
    TTimingPort* FPort = nullptr;  // made through this port
    unsigned FChanges = 0;
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
