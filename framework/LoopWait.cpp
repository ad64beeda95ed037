#include "framework/LoopWait.h"

#include "framework/Clock.h"
#include "framework/Timer.h"
#include "framework/TimingPort.h"

#include <algorithm>

// Two things give up the processor under Wine: a wait that ends by its timeout, and PeekMessage
// finding the queue empty. On a machine whose cores are all busy either costs a time slice of a
// busy program, several milliseconds, so the loop avoids both: it waits for the far stretch
// through a one-shot waitable timer, which ends the wait as a signal, and asks the queue with
// `MessageWaiting`.
//
// The last stretch is waited for by one of two means. A precise sleep wakes on time; the
// waitable timer (where it is not high-resolution) wakes only to the whole millisecond, but
// through the system, which may let the thread on sooner where a sleeping thread waits for the
// processor. The loop keeps how late each means has woken of late and uses the waitable timer
// only while it woke clearly sooner, trying the other means now and then.

namespace {
// Deadlines this close are slept for precisely; farther ones are waited for interruptibly.
constexpr LONGLONG FineSpanMs = 3;
constexpr int TryEvery = 128;

struct TFineWait {
    LONGLONG Late[2];  // recent lateness of the precise sleep [0] and the waitable timer [1]
    int SinceTry;      // stretches waited for since the other means was tried
    LONGLONG LastLook;
};

TFineWait& ThisThreadsFineWait()
{
    static thread_local TFineWait wait = {};
    return wait;
}

// Waits through the thread's waitable timer until `counts` have passed or a message is queued;
// returns false for a message.
bool WaitOnTimer(LONGLONG counts)
{
    TTimingPort* timing = Timing();
    HANDLE timer = ThreadWaitTimer();
    if (timer == nullptr || !timing->SetWaitTimer(timer, DueIn(counts)))
        return timing->Wait(0, nullptr, TimeoutMs(counts), QS_ALLINPUT) == WAIT_TIMEOUT;
    if (timing->Wait(1, &timer, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0)
        return true;
    // Woken by a message: the timer must not end a later wait early.
    CancelWaitableTimer(timer);
    return false;
}

// Waits until `remaining` counts (less than `FineSpanMs`) have passed or a message is queued;
// returns false for a message.
bool WaitFineStretch(LONGLONG remaining)
{
    TFineWait& wait = ThisThreadsFineWait();
    // The precise sleep keeps the grid exactly; the waitable timer must win by half a millisecond.
    int means = wait.Late[1] + MsToCounts(1) / 2 < wait.Late[0] ? 1 : 0;
    if (++wait.SinceTry >= TryEvery) {
        wait.SinceTry = 0;
        means = 1 - means;
    }
    LONGLONG now = CounterNow();
    LONGLONG until = now + remaining;
    if (means == 1) {
        if (!WaitOnTimer(remaining))
            return false;
    } else {
        // The queue is looked at first, and at a fast pace not before every tick: a message
        // waits no longer than the stretch.
        if (now - wait.LastLook >= MsToCounts(FineSpanMs)) {
            wait.LastLook = now;
            if (MessageWaiting())
                return false;
        }
        LONGLONG sleep = std::min(remaining, MsToCounts(1));
        until = now + sleep;
        PreciseSleep(sleep);
    }
    LONGLONG late = std::max<LONGLONG>(0, CounterNow() - until);
    wait.Late[means] += (late - wait.Late[means]) / 8;
    return true;
}
}  // namespace

bool WaitForMessageOrTick()
{
    for (;;) {
        LONGLONG next = 0;
        bool any = false;
        if (TTimer::RunDueTick(next, any))
            return true;
        if (!any) {
            Timing()->Wait(0, nullptr, INFINITE, QS_ALLINPUT);
            return false;
        }
        LONGLONG remaining = next - CounterNow();
        LONGLONG fineSpan = MsToCounts(FineSpanMs);
        // The far stretch ends shortly before the deadline; the last one is slept for finely,
        // since the waitable timer knows whole milliseconds only.
        bool timePassed = remaining < fineSpan ? WaitFineStretch(remaining) : WaitOnTimer(remaining - fineSpan);
        if (!timePassed)
            return false;  // a message is waiting
    }
}
