// An input port that records every call instead of reaching the system, with scripted key state.
#pragma once

#include "app/InputPort.h"
#include "framework/SysUtils.h"

#include <functional>
#include <string>
#include <vector>

class RecordingInput : public TInputPort {
public:
    std::vector<std::string> Calls;
    POINT Cursor = {10, 20};
    bool ShiftDown = false;
    bool ControlDown = false;
    // When false, a hot key asked for with MOD_NOREPEAT is refused, as an older system would.
    bool AcceptsNoRepeat = true;
    // Runs inside every ProcessMessages call (to model a handler nested in the click step).
    std::function<void()> OnProcessMessages;
    // The engine's clock, in performance-counter counts: stands still unless a test moves it or
    // the engine sleeps; with RealClock the counter itself.
    LONGLONG Clock = 0;
    bool RealClock = false;

    BOOL RegisterHotKey(HWND, int id, UINT modifiers, UINT key) override
    {
        Calls.push_back(Format("RegisterHotKey %d 0x%X 0x%X", id, modifiers, key));
        return (modifiers & 0x4000) == 0 || AcceptsNoRepeat;
    }
    BOOL UnregisterHotKey(HWND, int id) override
    {
        Calls.push_back(Format("UnregisterHotKey %d", id));
        return TRUE;
    }
    BOOL GetCursorPos(POINT* point) override
    {
        Calls.push_back("GetCursorPos");
        *point = Cursor;
        return TRUE;
    }
    BOOL SetCursorPos(int x, int y) override
    {
        Calls.push_back(Format("SetCursorPos %d %d", x, y));
        return TRUE;
    }
    void MouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR extra) override
    {
        Calls.push_back(Format("mouse_event 0x%X %u %u %u %u", static_cast<unsigned>(flags), static_cast<unsigned>(dx),
                               static_cast<unsigned>(dy), static_cast<unsigned>(data), static_cast<unsigned>(extra)));
    }
    SHORT GetAsyncKeyState(int key) override
    {
        Calls.push_back(Format("GetAsyncKeyState 0x%X", key));
        bool down = key == VK_SHIFT ? ShiftDown : key == VK_CONTROL ? ControlDown : false;
        return static_cast<SHORT>(down ? 0x8000 : 0);
    }
    void ProcessMessages() override
    {
        Calls.push_back("ProcessMessages");
        if (OnProcessMessages)
            OnProcessMessages();
    }
    LONGLONG Now() override { return RealClock ? TInputPort::Now() : Clock; }
    void SleepFor(LONGLONG counts) override
    {
        if (RealClock)
            TInputPort::SleepFor(counts);
        else
            Clock += counts;
    }
};

// Puts a recorder in place for the life of the scope.
class InputScope {
public:
    InputScope() : FPrevious(SetInput(&Input)) {}
    ~InputScope() { SetInput(FPrevious); }
    RecordingInput Input;

private:
    TInputPort* FPrevious;
};
