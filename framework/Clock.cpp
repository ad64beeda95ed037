#include "framework/Clock.h"

#include "framework/SysUtils.h"

#include <algorithm>
#include <climits>

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

// The wait is an address wait that nobody ends early: under Wine it is a plain kernel wait with a
// fine timeout. A delay (NtDelayExecution) gives up the processor before it sleeps there, which on
// a machine whose cores are all busy costs a whole time slice of a busy program; the delay is the
// fallback where the address wait is missing.
void PreciseSleep(LONGLONG counts)
{
    using WaitOnAddressFunc = LONG(WINAPI*)(const volatile void* address, const void* compare, SIZE_T size,
                                            const LARGE_INTEGER* timeout);
    using DelayFunc = LONG(WINAPI*)(BOOLEAN alertable, PLARGE_INTEGER interval);
    static const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    static const WaitOnAddressFunc waitOnAddress =
        reinterpret_cast<WaitOnAddressFunc>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlWaitOnAddress")));
    static const DelayFunc delay =
        reinterpret_cast<DelayFunc>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDelayExecution")));
    const LONGLONG hundredNs = CountsToHundredNs(counts);
    if (hundredNs <= 0)
        return;
    LARGE_INTEGER relative;
    relative.QuadPart = -hundredNs;
    if (waitOnAddress != nullptr) {
        // Never woken by address: the value stays what the wait expects.
        static const volatile LONG unchanged = 0;
        const LONG expected = 0;
        waitOnAddress(&unchanged, &expected, sizeof expected, &relative);
    } else if (delay != nullptr) {
        delay(FALSE, &relative);
    } else {
        Sleep(TimeoutMs(counts));
    }
}

namespace {
// Owns one thread's waitable timer; the handle is closed as the thread ends.
class TThreadWaitTimer {
public:
    TThreadWaitTimer() : FHandle(CreateWaitableTimerA(nullptr, FALSE, nullptr))
    {
        if (FHandle == nullptr)
            throw Exception(Format("Cannot create a waitable timer (error %lu)", GetLastError()));
    }
    ~TThreadWaitTimer() { CloseHandle(FHandle); }
    TThreadWaitTimer(const TThreadWaitTimer&) = delete;
    TThreadWaitTimer& operator=(const TThreadWaitTimer&) = delete;

    HANDLE Handle() const { return FHandle; }

private:
    HANDLE FHandle;
};
}  // namespace

HANDLE ThreadWaitTimer()
{
    // A failed construction leaves the variable unmade, so the next call tries again.
    static thread_local TThreadWaitTimer timer;
    return timer.Handle();
}
