#include "app/InputPort.h"

#include "framework/Application.h"
#include "framework/Clock.h"

namespace {
TInputPort RealInput;
TInputPort* CurrentInput = &RealInput;
}  // namespace

BOOL TInputPort::RegisterHotKey(HWND window, int id, UINT modifiers, UINT key)
{
    return ::RegisterHotKey(window, id, modifiers, key);
}

BOOL TInputPort::UnregisterHotKey(HWND window, int id)
{
    return ::UnregisterHotKey(window, id);
}

BOOL TInputPort::GetCursorPos(POINT* point)
{
    return ::GetCursorPos(point);
}

BOOL TInputPort::SetCursorPos(int x, int y)
{
    return ::SetCursorPos(x, y);
}

void TInputPort::MouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR extraInfo)
{
    ::mouse_event(flags, dx, dy, data, extraInfo);
}

SHORT TInputPort::GetAsyncKeyState(int key)
{
    return ::GetAsyncKeyState(key);
}

void TInputPort::ProcessMessages()
{
    Application->ProcessMessages();
}

LONGLONG TInputPort::Now()
{
    return CounterNow();
}

void TInputPort::SleepFor(LONGLONG counts)
{
    PreciseSleep(counts);
}

TInputPort* Input()
{
    return CurrentInput;
}

TInputPort* SetInput(TInputPort* port)
{
    TInputPort* previous = CurrentInput;
    CurrentInput = port != nullptr ? port : &RealInput;
    return previous;
}
