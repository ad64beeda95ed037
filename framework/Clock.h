// The performance counter the timers keep their deadlines on, the conversions between its counts,
// milliseconds and the system's 100 ns units, and the waits built on them. Every conversion
// takes any interval a timer can hold (up to 2^32-1 ms) without overflow and saturates where a
// result would not fit.
#pragma once

#include <windows.h>

LONGLONG CounterFrequency();
LONGLONG CounterNow();

// `value` * `multiplier` / `divisor` for non-negative `value` and positive factors, truncated, with
// no overflow on the way; LLONG_MAX where the result itself does not fit.
LONGLONG ScaleCounts(LONGLONG value, LONGLONG multiplier, LONGLONG divisor);

LONGLONG MsToCounts(LONGLONG ms);
// `counts` in 100 ns units, truncated.
LONGLONG CountsToHundredNs(LONGLONG counts);
// A waitable timer's due time `counts` from now (a relative, negative value), rounded up so that
// it never comes early.
LARGE_INTEGER DueIn(LONGLONG counts);
// `counts` as a wait's timeout in whole milliseconds, rounded up, at most MAXLONG (a wait that
// ends early is simply waited again).
DWORD TimeoutMs(LONGLONG counts);

// Sleeps for `counts` of the performance counter, finer than a millisecond where the system can.
void PreciseSleep(LONGLONG counts);

// The calling thread's one-shot waitable timer, high-resolution where the system has such timers
// (`highResolution` tells), made on first use and closed when the thread ends. Null when the
// system cannot make one.
HANDLE ThreadWaitTimer(bool* highResolution = nullptr);

// While a fast timer runs anywhere in the process, the process asks to keep its fine timer
// resolution and full speed when its windows are hidden. Each holder keeps its own `holds`; a
// call that would not change it does nothing.
void HoldFineTiming(bool hold, bool& holds);
// Whether the system agreed: a plain wait's fine timeout then holds even while hidden.
bool FineTimeoutsHeld();
