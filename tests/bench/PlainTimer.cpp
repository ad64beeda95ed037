// TTimer on plain window timers (SetTimer), for the benchmark's comparison clicker: the same
// program with the timer the platform offers. Such a timer raises intervals under 10 ms to
// 10 ms and ticks on the system's coarse clock. A tick that comes while the timer's own handler
// runs is dropped.
#include "framework/Timer.h"

#include "framework/Application.h"

namespace {
const char* const TimerWindowClass = "TTimerWindow";
constexpr UINT_PTR TimerId = 1;
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
}

TTimer::~TTimer()
{
    Destroying();
    if (FWindow != nullptr) {
        KillTimer(FWindow, TimerId);
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
    KillTimer(FWindow, TimerId);
    if (FEnabled && FInterval != 0 && OnTimer)
        SetTimer(FWindow, TimerId, FInterval, nullptr);
}

void TTimer::Timer()
{
    if (OnTimer)
        OnTimer(this);
}

LRESULT CALLBACK TTimer::TimerWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER) {
        auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (timer != nullptr && !timer->FInTimer) {
            timer->FInTimer = true;
            try {
                timer->Timer();
            } catch (...) {
                Application->HandleException(timer);
            }
            timer->FInTimer = false;
        }
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

// Every tick comes as a message here: the application loop's wait only waits for messages.
bool TTimer::RunDueTick(LONGLONG&, bool& any)
{
    any = false;
    return false;
}
