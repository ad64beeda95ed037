// Timers: when ticks come, what restarts them, and how they behave around their own handler.
// Timing checks use lower bounds (a timer never ticks early) or wide bands only.
#include "framework/Application.h"
#include "framework/Clock.h"
#include "framework/LoopWait.h"
#include "framework/Timer.h"
#include "support/HiddenWindows11.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The loop that handles the messages while a test waits: the application's own (whose wait runs
// the ticks itself) or a foreign one that only handles messages, as the system's modal loops do.
// Every rule holds in both.
bool ApplicationLoop = false;

// Handles messages for `ms` or until `done` holds.
void Pump(double ms, const std::function<bool()>& done = nullptr)
{
    double end = NowMs() + ms;
    if (ApplicationLoop) {
        // A thread timer ends the loop's waits, so the time limit is seen.
        UINT_PTR wake = SetTimer(nullptr, 0, 10, nullptr);
        while (!(done && done()) && NowMs() < end)
            Application->HandleMessage();
        KillTimer(nullptr, wake);
        return;
    }
    for (;;) {
        Application->ProcessMessages();
        if (done && done())
            return;
        double left = end - NowMs();
        if (left <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
    }
}

class TimerTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { ApplicationLoop = GetParam(); }
    void TearDown() override { ApplicationLoop = false; }
};

// A timer that records its ticks; `Body` (if set) runs inside each tick.
struct CountingTimer {
    TObjectPtr<TTimer> Timer;
    int Calls = 0;
    int Depth = 0;
    int MaxDepth = 0;
    std::vector<double> Times;
    std::function<void()> Body;

    explicit CountingTimer(unsigned interval, bool enabled = true)
        : Timer(new TTimer(nullptr))
    {
        Timer->SetEnabled(enabled);
        Timer->SetInterval(interval);
        Timer->SetOnTimer([this](TObject*) {
            ++Calls;
            Times.push_back(NowMs());
            ++Depth;
            MaxDepth = std::max(MaxDepth, Depth);
            if (Body)
                Body();
            --Depth;
        });
    }
};

TEST_P(TimerTest, TicksOnlyWhenEnabledWithIntervalAndHandler)
{
    const DWORD thread = GetCurrentThreadId();
    struct Case {
        const char* name;
        bool enabled;
        unsigned interval;
        bool handler;
        bool ticks;
    } cases[] = {
        {"running", true, 10, true, true},
        {"disabled", false, 10, true, false},
        {"interval 0", true, 0, true, false},
        {"no handler", true, 10, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int calls = 0;
        auto timerOwned = MakeObject<TTimer>(nullptr);
        TTimer& timer = *timerOwned;
        timer.SetEnabled(c.enabled);
        timer.SetInterval(c.interval);
        if (c.handler)
            timer.SetOnTimer([&](TObject* sender) {
                EXPECT_EQ(&timer, sender);
                EXPECT_EQ(GetCurrentThreadId(), thread) << "ticks run on the thread that made the timer";
                ++calls;
            });
        // Whether it runs, from the thread's schedule (no handler: nothing could count its ticks).
        LONGLONG next = 0;
        bool any = false;
        EXPECT_EQ(c.ticks, TTimer::RunDueTick(next, any) || any) << "the timer runs";
        Pump(150);
        EXPECT_EQ(c.ticks, calls > 0) << calls << " ticks";
    }
}

// The next deadline of the thread's running timers, as the application loop sees it. Asking
// claims them for the loop, which only lets the clock thread post their ticks a little later.
LONGLONG NextDeadline()
{
    LONGLONG next = 0;
    bool any = false;
    EXPECT_FALSE(TTimer::RunDueTick(next, any)) << "no tick is due yet";
    EXPECT_TRUE(any);
    return any ? next : 0;
}

// A timer is touched a while after it started. Setting a value it has keeps its next deadline;
// another value moves it to one full (new) interval after the touch. Read from the timer's own
// schedule, not from when a tick happens to arrive; the interval is long enough that no tick
// falls due meanwhile.
TEST_P(TimerTest, OnlyADifferentValueRestarts)
{
    struct Case {
        const char* name;
        std::function<void(TTimer&)> touch;
        bool restarts;
        unsigned newInterval;
    } cases[] = {
        {"same interval", [](TTimer& t) { t.SetInterval(60000); }, false, 60000},
        {"same enabled", [](TTimer& t) { t.SetEnabled(true); }, false, 60000},
        {"other interval", [](TTimer& t) { t.SetInterval(70000); }, true, 70000},
        {"off and on", [](TTimer& t) { t.SetEnabled(false); t.SetEnabled(true); }, true, 60000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingTimer t(60000);
        const LONGLONG started = NextDeadline();
        Pump(30);
        const LONGLONG touched = CounterNow();
        c.touch(*t.Timer);
        const LONGLONG next = NextDeadline();
        if (c.restarts)
            EXPECT_GE(next, touched + MsToCounts(c.newInterval));
        else
            EXPECT_EQ(started, next);
        EXPECT_EQ(0, t.Calls);
    }
}

// A message-only window that runs `OnPosted` when a WM_APP posted to it is handled. Posted
// messages are handled in order, so it tells what went before it in the queue.
struct Marker {
    std::function<void()> OnPosted;
    HWND Window = nullptr;

    Marker()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TimerTestMarker";
        RegisterClassA(&wc);
        Window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Marker() { DestroyWindow(Window); }
    void Post() { PostMessageA(Window, WM_APP, 0, 0); }

    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<Marker*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (msg == WM_APP && self != nullptr && self->OnPosted)
            self->OnPosted();
        return DefWindowProcA(window, msg, wParam, lParam);
    }
};

// Whatever a late handler missed, it finds one tick waiting when it returns, not a queue of them:
// ten deadlines pass during the handler, and before the message the handler posted as it ended
// come at most the catch-up tick and the grid's next one (which may fall due at once; the
// application's loop runs a due tick before a waiting message).
TEST_P(TimerTest, LateHandlerIsFollowedByOneTickNotABurst)
{
    Marker marker;
    CountingTimer t(50);
    int callsAtMarker = -1;
    marker.OnPosted = [&] { callsAtMarker = t.Calls; };
    t.Body = [&] {
        if (t.Calls == 1) {
            Sleep(500);
            marker.Post();
        }
    };
    Pump(10000, [&] { return callsAtMarker >= 0; });
    EXPECT_GE(callsAtMarker, 1);
    EXPECT_LE(callsAtMarker, 3) << "ticks handled up to the end of a 500 ms handler";
    EXPECT_EQ(1, t.MaxDepth);
}

// The held tick comes right after the handler, well before the grid's next one: a second timer
// started as the handler ends, on half the interval, ticks between the two.
TEST_P(TimerTest, TickDueDuringOwnHandlerIsHeldAndDeliveredOnceAfterIt)
{
    std::vector<std::string> order;
    CountingTimer t(1000);
    std::unique_ptr<CountingTimer> half;
    t.Body = [&] {
        order.push_back("tick");
        if (t.Calls == 1) {
            Pump(1100);  // a deadline passes while the handler processes messages
            half.reset(new CountingTimer(500));
            half->Body = [&] { order.push_back("half"); };
        }
    };
    Pump(5000, [&] { return half && half->Calls >= 1; });
    EXPECT_EQ((std::vector<std::string>{"tick", "tick", "half"}), order)
        << "the held tick once, before the half interval has passed";
    EXPECT_EQ(1, t.MaxDepth);
    Pump(250);
    EXPECT_EQ(1, t.MaxDepth);
}

TEST_P(TimerTest, ProcessMessagesInsideAHandlerServicesOtherTimers)
{
    CountingTimer slow(10);
    CountingTimer fast(5);
    int fastDuringSlow = -1;
    slow.Body = [&] {
        if (slow.Calls == 1) {
            int before = fast.Calls;
            Pump(5000, [&] { return fast.Calls - before >= 5; });
            fastDuringSlow = fast.Calls - before;
        }
    };
    Pump(10000, [&] { return fastDuringSlow >= 0; });
    EXPECT_GE(fastDuringSlow, 5);
    EXPECT_EQ(1, slow.MaxDepth);
    EXPECT_EQ(1, fast.MaxDepth);
}

// A tick is already waiting in the queue when the handler stops or restarts its own timer.
TEST_P(TimerTest, StopOrRestartInsideTheHandlerDropsTheWaitingTick)
{
    struct Case {
        const char* name;
        std::function<void(TTimer&)> change;
        bool ticksAgain;
    } cases[] = {
        {"disabled", [](TTimer& t) { t.SetEnabled(false); }, false},
        {"new interval", [](TTimer& t) { t.SetInterval(400); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingTimer t(2);
        double changed = 0;
        t.Body = [&] {
            if (t.Calls == 1) {
                Sleep(20);
                changed = NowMs();
                c.change(*t.Timer);
            }
        };
        Pump(2000, [&] { return t.Calls >= 1; });
        Pump(200);
        EXPECT_EQ(1, t.Calls);
        if (!c.ticksAgain) {
            Pump(400);
            EXPECT_EQ(1, t.Calls);
            continue;
        }
        Pump(5000, [&] { return t.Calls >= 2; });
        ASSERT_GE(t.Calls, 2) << "the restarted timer ticks again";
        EXPECT_GE(t.Times[1] - changed, 400 - 2.0);
    }
}

TEST_P(TimerTest, FreedTimerDeliversNothingMore)
{
    {
        SCOPED_TRACE("freed inside its own handler");
        int calls = 0;
        auto* timer = new TTimer(nullptr);
        timer->SetInterval(1);
        timer->SetOnTimer([&](TObject*) {
            ++calls;
            Sleep(10);  // the next tick is queued before the timer goes
            FreeObject(timer);
        });
        Pump(1000, [&] { return calls > 0; });
        Pump(50);
        EXPECT_EQ(1, calls);
    }
    {
        SCOPED_TRACE("freed with a tick in the queue");
        int calls = 0;
        auto* timer = new TTimer(nullptr);
        timer->SetInterval(1);
        timer->SetOnTimer([&](TObject*) { ++calls; });
        Sleep(20);
        FreeObject(timer);
        Pump(50);
        EXPECT_EQ(0, calls);
    }
    {
        SCOPED_TRACE("freed with its owner");
        int calls = 0;
        auto* owner = new TComponent(nullptr);
        (new TTimer(owner))->SetOnTimer([&](TObject*) { ++calls; });
        static_cast<TTimer*>(owner->Components(0))->SetInterval(1);
        Sleep(20);
        FreeObject(owner);
        Pump(50);
        EXPECT_EQ(0, calls);
    }
}

TEST_P(TimerTest, ExceptionFromTheHandlerGoesToTheApplicationAndTicksGoOn)
{
    std::vector<AnsiString> messages;
    std::vector<TObject*> senders;
    auto saved = Application->OnException;
    Application->OnException = [&](TObject* sender, const AnsiString& message) {
        senders.push_back(sender);
        messages.push_back(message);
    };
    int calls = 0;
    auto timerOwned = MakeObject<TTimer>(nullptr);
    TTimer& timer = *timerOwned;
    timer.SetInterval(5);
    timer.SetOnTimer([&](TObject*) {
        if (++calls == 1)
            throw Exception("tick failed");
    });
    Pump(2000, [&] { return calls >= 3; });
    Application->OnException = saved;
    EXPECT_GE(calls, 3);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("tick failed", messages[0]);
    EXPECT_EQ(&timer, senders[0]);
}

// The modal loop under test ends when Leave() runs: at the fifth tick, or by a plain window
// timer after 5 s if the ticks stop coming.
std::function<void()> Leave;
bool Rescued = false;

void CALLBACK RescueModalLoop(HWND, UINT, UINT_PTR, DWORD)
{
    Rescued = true;
    if (Leave)
        Leave();
}

TEST_P(TimerTest, KeepsTickingInsideModalLoops)
{
    const char* const caption = "TimerTest modal loop";
    HWND mover = CreateWindowExA(0, "STATIC", caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    struct Case {
        const char* name;
        std::function<void()> enter;
        std::function<void()> leave;
    } cases[] = {
        {"message box", [&] { MessageBoxA(nullptr, "ticking", caption, MB_OK); },
         [&] { PostMessageA(FindWindowA("#32770", caption), WM_COMMAND, IDOK, 0); }},
        {"window move", [&] { SendMessageA(mover, WM_SYSCOMMAND, SC_MOVE, 0); },
         [&] { PostMessageA(mover, WM_KEYDOWN, VK_ESCAPE, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rescued = false;
        Leave = c.leave;
        CountingTimer t(20);
        // The application's loop has claimed the timer's ticks before the modal loop takes over.
        if (ApplicationLoop)
            Pump(1000, [&] { return t.Calls >= 2; });
        const int before = t.Calls;
        // The ticks counted while the modal loop holds the thread, not before or after it.
        bool entered = false;
        int ticksInside = 0;
        t.Body = [&] {
            if (entered)
                ++ticksInside;
            if (t.Calls == before + 5)
                c.leave();
        };
        UINT_PTR rescue = SetTimer(nullptr, 0, 5000, RescueModalLoop);
        entered = true;
        c.enter();
        entered = false;
        KillTimer(nullptr, rescue);
        EXPECT_FALSE(Rescued);
        EXPECT_GE(t.Calls - before, 5);
        EXPECT_GE(ticksInside, 5);
    }
    Leave = nullptr;
    DestroyWindow(mover);
}

// However busy the machine, a tick never runs ahead of its interval: deadlines lie on a grid
// that starts one interval after the timer's start. (How close the pace keeps to the interval
// is the benchmark's to measure.)
TEST_P(TimerTest, NeverTicksAheadOfItsIntervalDownToOneMillisecond)
{
    struct Case {
        unsigned interval;
        int ticks;
    } cases[] = {
        {1, 200},
        {5, 50},
        {20, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        double start = NowMs();
        CountingTimer t(c.interval);
        Pump(60000, [&] { return t.Calls >= c.ticks; });
        double span = NowMs() - start;
        EXPECT_GE(t.Calls, c.ticks);
        EXPECT_LE(t.Calls, static_cast<int>(span / c.interval));
    }
}

// What happened on the test's thread, in order.
std::vector<std::string> Events;

LRESULT CALLBACK RecordingWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_APP + 7) {
        Events.push_back(wParam != 0 ? "sent" : "posted");
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

HWND RecorderWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TimerTestRecorder";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

// Windows 11 coarsens a hidden program's waits unless it opts out. A fast timer holds the opt-out
// while it runs, a slow one alone does not; where the system refuses it, the high-resolution
// timers keep the time, in either loop.
TEST_P(TimerTest, FastTimerKeepsItsTimingWhenHiddenOnWindows11)
{
    for (const HiddenWindows11Case& row : HiddenWindows11Cases) {
        SCOPED_TRACE(row.Name);
        HiddenWindows11Scope windows(row);
        CountingTimer slow(100);
        EXPECT_FALSE(windows.Platform().OptedOut());
        CountingTimer fast(1);
        EXPECT_EQ(row.GrantsOptOut, windows.Platform().OptedOut());
        windows.Platform().Coarsened = 0;
        Pump(30000, [&] { return fast.Calls >= 200; });
        EXPECT_TRUE(windows.KeptTheTimeOf(fast.Calls));
        EXPECT_GE(fast.Calls, 200);
        fast.Timer->SetEnabled(false);
        EXPECT_FALSE(windows.Platform().OptedOut()) << "given back with the last fast timer";
    }
}

// While the application's loop waits for a far tick, a message posted or sent from another
// thread ends the wait at once: it is handled before the tick.
TEST(TimerLoopTest, AMessageDuringTheWaitForAFarTickIsHandledFirst)
{
    HWND window = RecorderWindow();
    ASSERT_NE(nullptr, window);
    for (bool sent : {false, true}) {
        SCOPED_TRACE(sent ? "sent" : "posted");
        Events.clear();
        CountingTimer t(3000);
        t.Body = [] { Events.push_back("tick"); };
        std::thread other([window, sent] {
            Sleep(50);
            if (sent)
                SendMessageA(window, WM_APP + 7, 1, 0);
            // A sent message is handled inside the wait; the posted one ends the loop's pass.
            PostMessageA(window, WM_APP + 7, 0, 0);
        });
        while (t.Calls == 0 && Events.empty())
            Application->HandleMessage();
        other.join();
        ASSERT_FALSE(Events.empty());
        EXPECT_EQ(sent ? "sent" : "posted", Events.front());
    }
    DestroyWindow(window);
}

// Every interval a timer can hold converts without overflow: counts, the waitable timer's
// relative due time and a wait's timeout all stand for the interval itself.
TEST(TimerClockTest, EveryIntervalConvertsWithoutOverflow)
{
    for (LONGLONG ms : {1LL, 5000LL, 2147483647LL, 4294967295LL}) {
        SCOPED_TRACE(ms);
        const LONGLONG counts = MsToCounts(ms);
        ASSERT_GT(counts, 0);
        const LONGLONG hundredNs = CountsToHundredNs(counts);
        EXPECT_LE(hundredNs, ms * 10000);
        EXPECT_GE(hundredNs, ms * 10000 - 10) << "at most a counter step short";
        const LONGLONG due = DueIn(counts).QuadPart;
        EXPECT_LT(due, -hundredNs) << "relative, and never early";
        EXPECT_GE(due, -hundredNs - 1);
        EXPECT_EQ(static_cast<DWORD>(std::min<LONGLONG>(ms, MAXLONG - 1) + 1), TimeoutMs(counts));
    }
    EXPECT_EQ(LLONG_MAX, ScaleCounts(LLONG_MAX / 2, 10000000, 1)) << "saturates";
    EXPECT_EQ(LLONG_MAX / 10 * 3, ScaleCounts(LLONG_MAX / 10, 30, 10)) << "exact where it fits";
    EXPECT_LT(DueIn(LLONG_MAX).QuadPart, 0) << "still relative when saturated";
}

// A timer weeks away (a hand-edited poll interval) neither ticks nor keeps the application's
// loop from handling what is posted to it; once its sum overflowed, the loop's wait spun for good.
TEST(TimerLoopTest, AnIntervalOfWeeksLeavesTheLoopHandlingMessages)
{
    HWND window = RecorderWindow();
    ASSERT_NE(nullptr, window);
    for (unsigned interval : {2147483647u, 4294967295u}) {
        SCOPED_TRACE(interval);
        Events.clear();
        CountingTimer t(interval);
        for (int i = 0; i < 5; ++i)
            PostMessageA(window, WM_APP + 7, 0, 0);
        while (Events.size() < 5)
            Application->HandleMessage();
        t.Timer->SetEnabled(false);
        t.Timer->SetEnabled(true);
        PostMessageA(window, WM_APP + 7, 0, 0);
        while (Events.size() < 6)
            Application->HandleMessage();
        t.Timer.reset();
        EXPECT_EQ(0, t.Calls);
    }
    DestroyWindow(window);
}

// The queue is asked for what it holds, not for what is new since the last look: a message
// seen but left in the queue still counts.
TEST(TimerLoopTest, MessageWaitingTellsWhatTheQueueHolds)
{
    Application->ProcessMessages();
    EXPECT_FALSE(MessageWaiting()) << "empty after processing";
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(MessageWaiting()) << "seen, still there";
    Application->ProcessMessages();
    EXPECT_FALSE(MessageWaiting()) << "processed";
}

// A hook that refuses every window the thread tries to create.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam)
{
    return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(TimerSetupTest, ATimerWithoutItsWindowFailsWithAMessage)
{
    auto ownerOwned = MakeObject<TComponent>(nullptr);
    TComponent& owner = *ownerOwned;
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseWindows, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    AnsiString message;
    try {
        new TTimer(&owner);
    } catch (const Exception& e) {
        message = e.Message();
    }
    UnhookWindowsHookEx(hook);
    EXPECT_NE("", message) << "such a timer would never tick";
    EXPECT_EQ(0, owner.ComponentCount()) << "the failed timer is off its owner";
}

TEST(TimerSetupTest, AFineTimerRaisesItsThreadWhileItRuns)
{
    const int normal = GetThreadPriority(GetCurrentThread());
    {
        auto timerOwned = MakeObject<TTimer>(nullptr);
        TTimer& timer = *timerOwned;
        timer.SetInterval(1);
        timer.SetOnTimer([](TObject*) {});
        EXPECT_EQ(THREAD_PRIORITY_HIGHEST, GetThreadPriority(GetCurrentThread()));
        timer.SetInterval(100);
        EXPECT_EQ(normal, GetThreadPriority(GetCurrentThread())) << "a coarse pace";
        timer.SetInterval(1);
    }
    EXPECT_EQ(normal, GetThreadPriority(GetCurrentThread())) << "freed while running";
}

INSTANTIATE_TEST_SUITE_P(Loop, TimerTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Application" : "Foreign";
                         });

}  // namespace
