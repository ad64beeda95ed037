#include "framework/WndThunk.h"

#include "framework/Classes.h"

namespace {
struct ThunkState {
    TWndMethod Method;
    void* Code = nullptr;
    int Busy = 0;             // calls through this thunk now running
    bool Freed = false;       // the owner let go of it
    bool Unhooked = false;    // taken off its window; the method is not called any more
    bool Forwarding = false;  // still in a window's chain below another layer
    bool WindowGone = false;  // the forwarded window has had WM_NCDESTROY
    HWND Window = nullptr;
    WNDPROC OldProc = nullptr;
};

// The machine code of one thunk: put the state where the window handle was, jump to Entry.
#pragma pack(push, 1)
#if defined(_M_X64) || defined(__x86_64__)
struct ThunkCode {
    unsigned char MovRcx[2];  // mov rcx, imm64
    ThunkState* State;
    unsigned char MovRax[2];  // mov rax, imm64
    void* Target;
    unsigned char JmpRax[2];  // jmp rax
};
#else
struct ThunkCode {
    unsigned char MovArg[4];  // mov dword ptr [esp+4], imm32
    ThunkState* State;
    unsigned char Jmp;        // jmp rel32
    INT32 Offset;
};
#endif
#pragma pack(pop)

HANDLE ThunkHeap()
{
    static HANDLE heap = HeapCreate(HEAP_CREATE_ENABLE_EXECUTE, 0, 0);
    return heap;
}

void Destroy(ThunkState* state)
{
    HeapFree(ThunkHeap(), 0, state->Code);
    delete state;
}

void DestroyIfDone(ThunkState* state)
{
    if (state->Busy == 0 && state->Freed && (!state->Forwarding || state->WindowGone))
        Destroy(state);
}

// Every thunk lands here with its state in place of the window handle.
LRESULT CALLBACK Entry(HWND stateArg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<ThunkState*>(stateArg);
    ++state->Busy;
    LRESULT result = 0;
    if (state->Forwarding) {
        result = CallWindowProcA(state->OldProc, state->Window, msg, wParam, lParam);
    } else if (!state->Freed && !state->Unhooked) {
        TMessage message = {msg, wParam, lParam, 0};
        GuardedCall(nullptr, [&] { state->Method(message); });
        result = message.Result;
    }
    // The window's last message, also when its owner took the thunk off in the middle of it
    // under another layer: nothing calls the thunk afterwards.
    if (msg == WM_NCDESTROY)
        state->WindowGone = true;
    --state->Busy;
    // The owner may have freed the thunk during the call; only now is that safe to finish.
    DestroyIfDone(state);
    return result;
}

ThunkState* StateOf(void* instance)
{
    return static_cast<ThunkCode*>(instance)->State;
}
}  // namespace

void* MakeObjectInstance(TWndMethod method)
{
    auto* code = static_cast<ThunkCode*>(HeapAlloc(ThunkHeap(), 0, sizeof(ThunkCode)));
    if (code == nullptr)
        throw Exception("Out of memory for a window procedure instance");
    auto* state = new ThunkState;
    state->Method = std::move(method);
    state->Code = code;
#if defined(_M_X64) || defined(__x86_64__)
    code->MovRcx[0] = 0x48;
    code->MovRcx[1] = 0xB9;
    code->State = state;
    code->MovRax[0] = 0x48;
    code->MovRax[1] = 0xB8;
    code->Target = reinterpret_cast<void*>(&Entry);
    code->JmpRax[0] = 0xFF;
    code->JmpRax[1] = 0xE0;
#else
    code->MovArg[0] = 0xC7;
    code->MovArg[1] = 0x44;
    code->MovArg[2] = 0x24;
    code->MovArg[3] = 0x04;
    code->State = state;
    code->Jmp = 0xE9;
    code->Offset = static_cast<INT32>(reinterpret_cast<INT_PTR>(&Entry) -
                                      reinterpret_cast<INT_PTR>(code + 1));
#endif
    FlushInstructionCache(GetCurrentProcess(), code, sizeof(ThunkCode));
    return code;
}

void FreeObjectInstance(void* instance)
{
    if (instance == nullptr)
        return;
    ThunkState* state = StateOf(instance);
    if (state->Freed)
        return;
    state->Freed = true;
    DestroyIfDone(state);
}

void UnhookObjectInstance(HWND window, void* instance, WNDPROC oldProc)
{
    if (instance == nullptr)
        return;
    ThunkState* state = StateOf(instance);
    if (state->Unhooked || state->Forwarding)
        return;
    state->Unhooked = true;
    if (!IsWindow(window))
        return;
    if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(instance)) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc));
        return;
    }
    // A later layer called us as its previous procedure and will keep doing so.
    state->Window = window;
    state->OldProc = oldProc;
    state->Forwarding = true;
}
