#include "framework/TimingPort.h"

#include <atomic>

namespace {
template <typename Func>
Func Lookup(const char* module, const char* name)
{
    HMODULE handle = GetModuleHandleA(module);
    return handle == nullptr ? nullptr
                             : reinterpret_cast<Func>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

// The declarations of newer SDKs, spelled out so that any SDK builds this.
constexpr DWORD HighResolutionTimerFlag = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr int ProcessPowerThrottlingClass = 4;         // ProcessPowerThrottling
constexpr ULONG PowerThrottlingVersion = 1;
constexpr ULONG ThrottleExecutionSpeed = 0x1;  // PROCESS_POWER_THROTTLING_EXECUTION_SPEED
constexpr ULONG ThrottleTimerResolution = 0x4;  // PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION
struct TPowerThrottlingState {
    ULONG Version;
    ULONG ControlMask;
    ULONG StateMask;
};

TTimingPort RealPort;
std::atomic<TTimingPort*> CurrentPort{&RealPort};
std::atomic<unsigned> PortChanges{0};
}  // namespace

HANDLE TTimingPort::CreateWaitTimer(bool highResolution)
{
    if (!highResolution)
        return CreateWaitableTimerA(nullptr, FALSE, nullptr);
    using CreateExFunc = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
    static const CreateExFunc createEx = Lookup<CreateExFunc>("kernel32.dll", "CreateWaitableTimerExW");
    // Older systems refuse the flag (ERROR_INVALID_PARAMETER).
    return createEx == nullptr ? nullptr : createEx(nullptr, nullptr, HighResolutionTimerFlag, TIMER_ALL_ACCESS);
}

BOOL TTimingPort::SetWaitTimer(HANDLE timer, LARGE_INTEGER due)
{
    return SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
}

void TTimingPort::CloseWaitTimer(HANDLE timer)
{
    CloseHandle(timer);
}

DWORD TTimingPort::Wait(DWORD count, const HANDLE* handles, DWORD timeoutMs, DWORD wakeMask)
{
    if (wakeMask != 0)
        return MsgWaitForMultipleObjectsEx(count, handles, timeoutMs, wakeMask, MWMO_INPUTAVAILABLE);
    return WaitForMultipleObjects(count, handles, FALSE, timeoutMs);
}

// An address wait that nobody ends early: under Wine it is a plain kernel wait with a fine
// timeout. A delay (NtDelayExecution) gives up the processor before it sleeps there, which on a
// machine whose cores are all busy costs a whole time slice of a busy program; the delay is the
// fallback where the address wait is missing.
void TTimingPort::FineSleep(LONGLONG hundredNs)
{
    using WaitOnAddressFunc = LONG(WINAPI*)(const volatile void* address, const void* compare, SIZE_T size,
                                            const LARGE_INTEGER* timeout);
    using DelayFunc = LONG(WINAPI*)(BOOLEAN alertable, PLARGE_INTEGER interval);
    static const WaitOnAddressFunc waitOnAddress = Lookup<WaitOnAddressFunc>("ntdll.dll", "RtlWaitOnAddress");
    static const DelayFunc delay = Lookup<DelayFunc>("ntdll.dll", "NtDelayExecution");
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

bool TTimingPort::HoldFullSpeed(bool hold)
{
    using SetInformationFunc = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    static const SetInformationFunc setInformation =
        Lookup<SetInformationFunc>("kernel32.dll", "SetProcessInformation");
    if (setInformation == nullptr)
        return false;
    // Both throttlings under the process's control and off; released, the system decides again.
    TPowerThrottlingState state = {PowerThrottlingVersion, 0, 0};
    if (hold)
        state.ControlMask = ThrottleExecutionSpeed | ThrottleTimerResolution;
    return setInformation(GetCurrentProcess(), ProcessPowerThrottlingClass, &state, sizeof state) != FALSE;
}

TTimingPort* Timing()
{
    return CurrentPort.load();
}

TTimingPort* SetTiming(TTimingPort* port)
{
    TTimingPort* previous = CurrentPort.exchange(port != nullptr ? port : &RealPort);
    ++PortChanges;
    return previous;
}

unsigned TimingChanges()
{
    return PortChanges.load();
}
