#include "framework/Timer.h"

#include "framework/Clock.h"
#include "framework/SysUtils.h"
#include "framework/TimingPort.h"
#include "framework/WindowObject.h"

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
// The timer behind each timer window.
const TWindowObject<TTimer> TimerOfWindow("TTimer");

const char* const TimerWindowClass = "TTimerWindow";
constexpr UINT TickMessage = WM_APP + 1;

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
        // Without it the clock thread could not be woken; no timer is made then.
        FWake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (FWake == nullptr)
            throw Exception(Format("Cannot create the timers' wake-up event (error %lu)", GetLastError()));
    }

    // Waits until `counts` have passed or a change of schedule wakes the thread. The wait ends by
    // a signal, not by its timeout: under Wine a wait that times out gives up the processor.
    void WaitFar(LONGLONG counts)
    {
        TTimingPort* timing = Timing();
        HANDLE timer = ThreadWaitTimer();
        if (timer != nullptr && timing->SetWaitTimer(timer, DueIn(counts))) {
            HANDLE handles[2] = {FWake, timer};
            if (timing->Wait(2, handles, INFINITE, 0) == WAIT_OBJECT_0)
                CancelWaitableTimer(timer);
            return;
        }
        timing->Wait(1, &FWake, TimeoutMs(counts), 0);
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
            if (remaining > MsToCounts(FineSpanMs))
                WaitFar(remaining - MsToCounts(FineSpanMs));
            else
                PreciseSleep(std::min(remaining, MsToCounts(1)));
        }
    }

    std::mutex FMutex;
    std::vector<TTimerSlot*> FSlots;
    std::thread FThread;
    HANDLE FWake = nullptr;
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
    // The clock and the wait of this thread's loop, made here so that a system short of handles
    // fails the timer's construction rather than a later wait.
    TTimerClock::Instance();
    if (ThreadWaitTimer() == nullptr)
        throw Exception(Format("Cannot create a waitable timer (error %lu)", GetLastError()));
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
    TimerOfWindow.Bind(FWindow, this);
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
    HoldFineTiming(false, FHoldsFineTiming);
    if (FWindow != nullptr) {
        TimerOfWindow.Unbind(FWindow);
        DestroyWindow(FWindow);
    }
    UpdateThreadPriority();
}

void TTimer::BeforeDestruction()
{
    SetEnabled(false);
    TComponent::BeforeDestruction();
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
    // Once destruction has begun nothing starts it again (a handler run from a box shown then).
    bool run = FEnabled && FInterval != 0 && OnTimer && !(ComponentState() & csDestroying);
    // Held before the first wait for the timer, so that no wait is made without.
    bool fine = run && FInterval < TTimerClock::FineIntervalMs;
    if (fine)
        HoldFineTiming(true, FHoldsFineTiming);
    if (run)
        TTimerClock::Instance().Start(FSlot, FInterval);
    else
        TTimerClock::Instance().Stop(FSlot);
    if (!fine)
        HoldFineTiming(false, FHoldsFineTiming);
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
    // A release that frees the timer (with its owner) as the event ends leaves `freed` set.
    GuardedCall(this, [this] { Timer(); });
    if (freed)
        return;
    FFreed = nullptr;
    FInTimer = false;
    if (FTickHeld) {
        FTickHeld = false;
        clock.Release(FSlot);
    }
}

bool TTimer::RunDueTick(LONGLONG& next, bool& any)
{
    unsigned generation = 0;
    TTimerSlot* due = TTimerClock::Instance().Claim(GetCurrentThreadId(), generation, next, any);
    if (due == nullptr)
        return false;
    // Straight to the handler, the way the tick message would go.
    TimerWndProc(due->Window, TickMessage, generation, 0);
    return true;
}

LRESULT CALLBACK TTimer::TimerWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == TickMessage) {
        if (TTimer* timer = TimerOfWindow.Find(window))
            timer->Tick(wParam);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
