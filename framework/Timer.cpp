#include "framework/Timer.h"

#include "framework/SysUtils.h"

#include <mmsystem.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

// How the ticks come about. A plain window timer (SetTimer) cannot tick faster than every 10 ms
// and follows the system's coarse clock, so the timers keep their own deadlines on the
// performance counter, and a tick reaches its handler by one of two roads:
//
// - While the application's loop waits (the usual case: the program is idle between clicks),
//   the loop waits for the next deadline itself and runs the tick when it wakes: a message wait
//   on a waitable timer while the deadline is far, then a precise sleep (or the waitable timer)
//   for the last stretch (`WaitFineStretch`). One thread wakes per tick instead of two, and
//   nothing on the way gives up the processor. On a machine whose cores are all busy every
//   wake-up may wait for the scheduler, so this road keeps a faster pace there.
// - Any other loop (a message box, a window move, a dropped-down list, a handler processing
//   messages) gets the tick as a posted message from one clock thread of the process, the way
//   window timers come. The clock thread stands back while the application's loop takes the
//   ticks, and steps in when a tick stays untaken for `LoopGraceMs`.
//
// The clock thread sleeps between deadlines: a wait on a waitable timer that a change of
// schedule can cut short while the deadline is far, then a precise sleep of at most 1 ms for the
// rest, since the kernel waits only know whole milliseconds.

struct TTimerSlot {
    HWND Window = nullptr;
    DWORD Thread = 0;  // the thread that made the timer; only its loop runs the ticks
    bool Active = false;
    // Ticks posted before the latest start or stop carry an older number and are ignored.
    unsigned Generation = 0;
    // A tick is waiting (posted, held back by the handler, or being run by the loop); no
    // other is made meanwhile.
    bool Pending = false;
    // The thread's application loop takes the ticks itself; the clock thread only watches.
    bool Claimed = false;
    LONGLONG Period = 0;    // performance-counter counts
    LONGLONG Deadline = 0;  // performance-counter value of the next tick
};

namespace {
const char* const TimerWindowClass = "TTimerWindow";
constexpr UINT TickMessage = WM_APP + 1;

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

LONGLONG MsToCounts(LONGLONG ms)
{
    return ms * CounterFrequency() / 1000;
}

// A waitable timer's due time `counts` from now, rounded up so that it never comes early.
LARGE_INTEGER DueIn(LONGLONG counts)
{
    LARGE_INTEGER due;
    due.QuadPart = -(counts * 10000000 / CounterFrequency() + 1);
    return due;
}

// `counts` as a wait's timeout in whole milliseconds, rounded up.
DWORD TimeoutMs(LONGLONG counts)
{
    return static_cast<DWORD>(std::min<LONGLONG>(counts * 1000 / CounterFrequency() + 1, MAXLONG));
}

// Sleeps for `counts` of the performance counter, finer than a millisecond where the system can.
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
    LONGLONG hundredNs = counts * 10000000 / CounterFrequency();
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
        Sleep(static_cast<DWORD>((hundredNs + 9999) / 10000));
    }
}

// Moves a deadline that has come to the next point of its grid after `now`; points missed
// altogether are skipped, so a late tick is followed by one tick, not a burst.
void AdvanceDeadline(TTimerSlot* slot, LONGLONG now)
{
    slot->Deadline += slot->Period;
    if (slot->Deadline <= now)
        slot->Deadline += ((now - slot->Deadline) / slot->Period + 1) * slot->Period;
}

// Deadlines this close are slept for precisely; farther ones are waited for interruptibly.
constexpr LONGLONG FineSpanMs = 3;

class TTimerClock {
public:
    // Below this interval the system timer resolution is raised while the timer runs, and the
    // thread that runs its ticks gets a higher priority.
    static constexpr unsigned FineIntervalMs = 16;

    static TTimerClock& Instance()
    {
        // Never destroyed: a timer freed late in program exit may still detach.
        static TTimerClock* clock = new TTimerClock;
        return *clock;
    }

    void Attach(TTimerSlot* slot)
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FSlots.push_back(slot);
        // The thread stays for the rest of the process; with no timer running it waits
        // without end and costs nothing.
        if (!FThread.joinable())
            FThread = std::thread([this] { Run(); });
    }

    // After this returns no tick for `slot` is posted any more.
    void Detach(TTimerSlot* slot)
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FSlots.erase(std::remove(FSlots.begin(), FSlots.end(), slot), FSlots.end());
    }

    void Start(TTimerSlot* slot, unsigned intervalMs)
    {
        {
            std::lock_guard<std::mutex> lock(FMutex);
            ++slot->Generation;
            slot->Active = true;
            slot->Pending = false;
            // Whoever started it is not waiting in the loop now; the loop claims it again.
            slot->Claimed = false;
            slot->Period = std::max<LONGLONG>(1, MsToCounts(intervalMs));
            slot->Deadline = CounterNow() + slot->Period;
        }
        SetEvent(FWake);
    }

    void Stop(TTimerSlot* slot)
    {
        std::lock_guard<std::mutex> lock(FMutex);
        ++slot->Generation;
        slot->Active = false;
        slot->Pending = false;
    }

    // Whether a timer of the thread runs with a fine interval.
    bool FineTimerRuns(DWORD thread)
    {
        std::lock_guard<std::mutex> lock(FMutex);
        for (TTimerSlot* slot : FSlots)
            if (slot->Thread == thread && slot->Active && slot->Period < MsToCounts(FineIntervalMs))
                return true;
        return false;
    }

    // For the thread's application loop: claims the thread's running timers. Returns a timer
    // whose deadline has come, its tick made pending under `generation`; or null, and the
    // earliest deadline in `next` (`any` false when there is none).
    TTimerSlot* Claim(DWORD thread, unsigned& generation, LONGLONG& next, bool& any)
    {
        std::lock_guard<std::mutex> lock(FMutex);
        LONGLONG now = CounterNow();
        any = false;
        for (TTimerSlot* slot : FSlots) {
            if (slot->Thread != thread || !slot->Active)
                continue;
            slot->Claimed = true;
            if (slot->Pending)
                continue;  // its tick is on its way already
            if (slot->Deadline <= now) {
                AdvanceDeadline(slot, now);
                slot->Pending = true;
                generation = slot->Generation;
                return slot;
            }
            if (!any || slot->Deadline < next)
                next = slot->Deadline;
            any = true;
        }
        return nullptr;
    }

    enum TTickUse { tuIgnore, tuDeliver, tuHold };

    // Decides what becomes of a tick that has arrived on the timer's thread.
    TTickUse Receive(TTimerSlot* slot, unsigned generation, bool inHandler)
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (!slot->Active || generation != slot->Generation)
            return tuIgnore;
        if (inHandler)
            return tuHold;  // stays pending, so no other is made meanwhile
        slot->Pending = false;
        return tuDeliver;
    }

    // Posts the held tick again once the handler has returned.
    void Release(TTimerSlot* slot)
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (slot->Active && slot->Pending &&
            !PostMessageA(slot->Window, TickMessage, slot->Generation, 0))
            slot->Pending = false;
    }

private:
    TTimerClock()
    {
        FWake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        FFarWait = CreateWaitableTimerA(nullptr, FALSE, nullptr);
    }

    // Waits until `counts` have passed or a change of schedule wakes the thread. The wait ends by
    // a signal, not by its timeout: under Wine a wait that times out gives up the processor.
    void WaitFar(LONGLONG counts)
    {
        LARGE_INTEGER due = DueIn(counts);
        if (FFarWait != nullptr && SetWaitableTimer(FFarWait, &due, 0, nullptr, nullptr, FALSE)) {
            HANDLE handles[2] = {FWake, FFarWait};
            if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0)
                CancelWaitableTimer(FFarWait);
            return;
        }
        WaitForSingleObject(FWake, TimeoutMs(counts));
    }

    // How long a tick the application's loop claimed may stay untaken before the clock thread
    // posts it: longer than the loop is late on a busy machine, short enough that ticks go on
    // soon inside a modal loop entered from a message.
    static constexpr LONGLONG LoopGraceMs = 20;

    [[noreturn]] void Run()
    {
        // Waking on time matters more here than anywhere else in the program, and the thread
        // does next to nothing once awake.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
        bool fineResolution = false;
        for (;;) {
            LONGLONG next = 0;
            bool any = false;
            bool wantFine = false;
            {
                std::lock_guard<std::mutex> lock(FMutex);
                LONGLONG now = CounterNow();
                for (TTimerSlot* slot : FSlots) {
                    if (!slot->Active)
                        continue;
                    LONGLONG due = slot->Deadline + (slot->Claimed ? MsToCounts(LoopGraceMs) : 0);
                    if (due <= now) {
                        // The loop is not taking the ticks (a modal loop, a long handler):
                        // they come as messages from now on.
                        slot->Claimed = false;
                        // A tick still waiting stands for this one as well: no burst follows.
                        if (!slot->Pending && PostMessageA(slot->Window, TickMessage, slot->Generation, 0))
                            slot->Pending = true;
                        AdvanceDeadline(slot, now);
                        due = slot->Deadline;
                    }
                    if (!any || due < next)
                        next = due;
                    any = true;
                    if (slot->Period < MsToCounts(FineIntervalMs))
                        wantFine = true;
                }
            }
            if (wantFine != fineResolution) {
                if (wantFine)
                    timeBeginPeriod(1);
                else
                    timeEndPeriod(1);
                fineResolution = wantFine;
            }
            if (!any) {
                WaitForSingleObject(FWake, INFINITE);
                continue;
            }
            LONGLONG remaining = next - CounterNow();
            if (remaining <= 0)
                continue;
            LONGLONG remainingMs = remaining * 1000 / CounterFrequency();
            if (remainingMs > FineSpanMs)
                WaitFar(remaining - MsToCounts(FineSpanMs));
            else
                PreciseSleep(std::min(remaining, MsToCounts(1)));
        }
    }

    std::mutex FMutex;
    std::vector<TTimerSlot*> FSlots;
    std::thread FThread;
    HANDLE FWake = nullptr;
    HANDLE FFarWait = nullptr;
};

// The priority a thread had before one of its fine timers raised it. Plain data, so a timer
// freed during program exit still finds it.
struct TThreadPriority {
    bool Raised;
    int Normal;
};

TThreadPriority& ThisThreadsPriority()
{
    static thread_local TThreadPriority priority = {};
    return priority;
}

// A fast pace depends on the thread waking promptly; where the platform schedules by thread
// priority, the thread is raised while one of its fine timers runs.
void UpdateThreadPriority()
{
    TThreadPriority& priority = ThisThreadsPriority();
    bool fine = TTimerClock::Instance().FineTimerRuns(GetCurrentThreadId());
    if (fine == priority.Raised)
        return;
    if (fine) {
        priority.Normal = GetThreadPriority(GetCurrentThread());
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    } else {
        SetThreadPriority(GetCurrentThread(), priority.Normal);
    }
    priority.Raised = fine;
}
}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(instance, TimerWindowClass, &wc)) {
        wc.lpfnWndProc = TimerWndProc;
        wc.hInstance = instance;
        wc.lpszClassName = TimerWindowClass;
        RegisterClassA(&wc);
    }
    FWindow = CreateWindowExA(0, TimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    // Without its window no tick could ever arrive.
    if (FWindow == nullptr)
        throw Exception(Format("Cannot create window of class %s", TimerWindowClass));
    SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FSlot = new TTimerSlot;
    FSlot->Window = FWindow;
    FSlot->Thread = GetCurrentThreadId();
    TTimerClock::Instance().Attach(FSlot);
}

TTimer::~TTimer()
{
    Destroying();
    if (FFreed != nullptr)
        *FFreed = true;
    TTimerClock::Instance().Detach(FSlot);
    delete FSlot;
    if (FWindow != nullptr) {
        SetWindowLongPtrA(FWindow, GWLP_USERDATA, 0);
        DestroyWindow(FWindow);
    }
    UpdateThreadPriority();
}

void TTimer::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value)
{
    if (value == FInterval)
        return;
    FInterval = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler)
{
    OnTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    FTickHeld = false;
    if (FEnabled && FInterval != 0 && OnTimer)
        TTimerClock::Instance().Start(FSlot, FInterval);
    else
        TTimerClock::Instance().Stop(FSlot);
    UpdateThreadPriority();
}

void TTimer::Timer()
{
    if (OnTimer)
        OnTimer(this);
}

void TTimer::Tick(WPARAM generation)
{
    TTimerClock& clock = TTimerClock::Instance();
    switch (clock.Receive(FSlot, static_cast<unsigned>(generation), FInTimer)) {
    case TTimerClock::tuIgnore:
        return;
    case TTimerClock::tuHold:
        FTickHeld = true;
        return;
    case TTimerClock::tuDeliver:
        break;
    }
    bool freed = false;
    FFreed = &freed;
    FInTimer = true;
    try {
        Timer();
    } catch (...) {
        ApplicationHandleException(freed ? nullptr : this);
    }
    if (freed)
        return;
    FFreed = nullptr;
    FInTimer = false;
    if (FTickHeld) {
        FTickHeld = false;
        clock.Release(FSlot);
    }
}

namespace {
// How one thread's application loop waits for a deadline. Two things give up the processor
// under Wine: a wait that ends by its timeout, and PeekMessage finding the queue empty. On a
// machine whose cores are all busy either costs a time slice of a busy program, several
// milliseconds, so the loop avoids both: it waits for the far stretch through a one-shot
// waitable timer, which ends the wait as a signal, and asks the queue with `MessageWaiting`.
//
// The last stretch is waited for by one of two means. A precise sleep wakes on time; the
// waitable timer wakes only to the whole millisecond, but through the system, which may let
// the thread on sooner where a sleeping thread waits for the processor. The loop keeps how
// late each means has woken of late and uses the waitable timer only while it woke clearly
// sooner, trying the other means now and then.
struct TFineWait {
    HANDLE Timer;        // one-shot waitable timer for every wait of the thread; lives with it
    bool Made;
    LONGLONG Late[2];    // recent lateness of the precise sleep [0] and the waitable timer [1]
    int SinceTry;        // stretches waited for since the other means was tried
    LONGLONG LastLook;
};

constexpr int TryEvery = 128;

TFineWait& ThisThreadsFineWait()
{
    static thread_local TFineWait wait = {};
    if (!wait.Made) {
        wait.Timer = CreateWaitableTimerA(nullptr, FALSE, nullptr);
        wait.Made = true;
    }
    return wait;
}

// Waits through the waitable timer until `counts` have passed or a message is queued; returns
// false for a message. Without the timer the wait ends by its timeout instead.
bool WaitOnTimer(HANDLE timer, LONGLONG counts)
{
    LARGE_INTEGER due = DueIn(counts);
    if (timer == nullptr || !SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE))
        return MsgWaitForMultipleObjectsEx(0, nullptr, TimeoutMs(counts), QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT;
    if (MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0)
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
    int means = wait.Timer != nullptr && wait.Late[1] + MsToCounts(1) / 2 < wait.Late[0] ? 1 : 0;
    if (wait.Timer != nullptr && ++wait.SinceTry >= TryEvery) {
        wait.SinceTry = 0;
        means = 1 - means;
    }
    LONGLONG now = CounterNow();
    LONGLONG until = now + remaining;
    if (means == 1) {
        if (!WaitOnTimer(wait.Timer, remaining))
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

bool TTimer::WaitForMessageOrTick()
{
    TTimerClock& clock = TTimerClock::Instance();
    const DWORD thread = GetCurrentThreadId();
    for (;;) {
        unsigned generation = 0;
        LONGLONG next = 0;
        bool any = false;
        if (TTimerSlot* due = clock.Claim(thread, generation, next, any)) {
            // Straight to the handler, the way the tick message would go.
            TimerWndProc(due->Window, TickMessage, generation, 0);
            return true;
        }
        if (!any) {
            MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            return false;
        }
        LONGLONG remaining = next - CounterNow();
        LONGLONG fineSpan = MsToCounts(FineSpanMs);
        // The far stretch ends shortly before the deadline; the last one is slept for finely,
        // since the waitable timer knows whole milliseconds only.
        bool timePassed = remaining < fineSpan ? WaitFineStretch(remaining)
                                               : WaitOnTimer(ThisThreadsFineWait().Timer, remaining - fineSpan);
        if (!timePassed)
            return false;  // a message is waiting
    }
}

LRESULT CALLBACK TTimer::TimerWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == TickMessage) {
        auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (timer != nullptr)
            timer->Tick(wParam);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
