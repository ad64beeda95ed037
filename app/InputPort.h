// The engine's way to the system's input: hot keys, the cursor, synthetic mouse input and key
// state, and the clock it counts its clicks by. The program always uses the real calls; tests put
// a recorder in their place.
#pragma once

#include <windows.h>

class TInputPort {
public:
    virtual ~TInputPort() = default;
    virtual BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT key);
    virtual BOOL UnregisterHotKey(HWND window, int id);
    virtual BOOL GetCursorPos(POINT* point);
    virtual BOOL SetCursorPos(int x, int y);
    virtual void MouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR extraInfo);
    virtual SHORT GetAsyncKeyState(int key);
    // Handles the GUI thread's pending messages (the application's ProcessMessages).
    virtual void ProcessMessages();
    // The timers' clock: the performance counter, and a precise sleep of `counts` on it.
    virtual LONGLONG Now();
    virtual void SleepFor(LONGLONG counts);
};

// The port in use; never null.
TInputPort* Input();
// Puts `port` in place (null puts the real one back); returns the previous port.
TInputPort* SetInput(TInputPort* port);
