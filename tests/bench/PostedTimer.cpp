// TTimer as it was before the application's loop took the ticks itself, for the benchmark's
// comparison clicker: every tick is posted to the GUI thread by the clock thread, so each one
// wakes two threads.
#include "framework/Timer.h"

#include "framework/Clock.h"

#include <mmsystem.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

// How the ticks come about. A plain window timer (SetTimer) cannot tick faster than every 10 ms
// and follows the system's coarse clock, so every timer is scheduled by one clock thread of the
// process instead. The thread keeps a deadline per running timer on the performance counter and
// posts a tick message to the timer's message-only window when it falls due. Posted messages
// are what every message loop handles, ours and the modal ones of the system alike, so ticks go
// on inside message boxes and window moves the way window timers do, and the application's
// loop needs nothing special. The thread sleeps between deadlines: a kernel wait that a change
// of schedule can cut short while the deadline is far, then a precise sleep of at most 1 ms for
// the rest, since the kernel waits only know whole milliseconds.

struct TTimerSlot {
    HWND Window = nullptr;
    bool Active = false;
    // Ticks posted before the latest start or stop carry an older number and are ignored.
    unsigned Generation = 0;
    // A tick message is waiting in the queue (or held back by the handler); no other is posted.
    bool Pending = false;
    LONGLONG Period = 0;    // performance-counter counts
    LONGLONG Deadline = 0;  // performance-counter value of the next tick
};

namespace {
const char* const TimerWindowClass = "TTimerWindow";
constexpr UINT TickMessage = WM_APP + 1;

// Sleeps for `counts` of the performance counter through a plain delay, as this build always did.
void DelaySleep(LONGLONG counts)
{
    using DelayFunc = LONG(WINAPI*)(BOOLEAN alertable, PLARGE_INTEGER interval);
    static const DelayFunc delay = reinterpret_cast<DelayFunc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDelayExecution")));
    LONGLONG hundredNs = CountsToHundredNs(counts);
    if (hundredNs <= 0)
        return;
    if (delay != nullptr) {
        LARGE_INTEGER relative;
        relative.QuadPart = -hundredNs;
        delay(FALSE, &relative);
    } else {
        Sleep(static_cast<DWORD>((hundredNs + 9999) / 10000));
    }
}

class TTimerClock {
public:
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

    enum TTickUse { tuIgnore, tuDeliver, tuHold };

    // Decides what becomes of a tick message that has arrived on the timer's thread.
    TTickUse Receive(TTimerSlot* slot, unsigned generation, bool inHandler)
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (!slot->Active || generation != slot->Generation)
            return tuIgnore;
        if (inHandler)
            return tuHold;  // stays pending, so the clock posts no other meanwhile
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
    TTimerClock() { FWake = CreateEventA(nullptr, FALSE, FALSE, nullptr); }

    // Below this interval the system timer resolution is raised while the timer runs.
    static constexpr unsigned FineIntervalMs = 16;
    // Deadlines this close are slept for precisely; farther ones are waited for interruptibly.
    static constexpr LONGLONG FineSpanMs = 3;

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
                    if (slot->Deadline <= now) {
                        // A tick still waiting stands for this one as well: no burst follows.
                        if (!slot->Pending && PostMessageA(slot->Window, TickMessage, slot->Generation, 0))
                            slot->Pending = true;
                        // Stay on the grid; deadlines missed altogether are skipped.
                        slot->Deadline += slot->Period;
                        if (slot->Deadline <= now)
                            slot->Deadline += ((now - slot->Deadline) / slot->Period + 1) * slot->Period;
                    }
                    if (!any || slot->Deadline < next)
                        next = slot->Deadline;
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
                WaitForSingleObject(FWake, static_cast<DWORD>(std::min<LONGLONG>(remainingMs - FineSpanMs + 1, MAXLONG)));
            else
                DelaySleep(std::min(remaining, MsToCounts(1)));
        }
    }

    std::mutex FMutex;
    std::vector<TTimerSlot*> FSlots;
    std::thread FThread;
    HANDLE FWake = nullptr;
};
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
    SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FSlot = new TTimerSlot;
    FSlot->Window = FWindow;
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
    if (FEnabled && FInterval != 0 && OnTimer)
        TTimerClock::Instance().Start(FSlot, FInterval);
    else
        TTimerClock::Instance().Stop(FSlot);
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

// Every tick comes as a message here: the application loop's wait only waits for messages.
bool TTimer::RunDueTick(LONGLONG&, bool& any)
{
    any = false;
    return false;
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
