// The screen: its monitors, and which monitor a window is on.
#pragma once

#include "framework/Classes.h"

#include <memory>
#include <vector>
#include <windows.h>

// One display monitor; the bounds are read from the platform on every call.
class TMonitor : public TObject {
public:
    explicit TMonitor(HMONITOR handle) : FHandle(handle) {}

    const char* ClassName() const override { return "TMonitor"; }

    HMONITOR GetHandle() const { return FHandle; }
    int GetLeft() const { return Bounds().left; }
    int GetTop() const { return Bounds().top; }
    int GetWidth() const { return Bounds().right - Bounds().left; }
    int GetHeight() const { return Bounds().bottom - Bounds().top; }
    // The whole monitor (not its work area).
    RECT GetBoundsRect() const { return Bounds(); }
    RECT GetWorkareaRect() const;

private:
    RECT Bounds() const;

    HMONITOR FHandle;
};

class TScreen : public TObject {
public:
    const char* ClassName() const override { return "TScreen"; }

    int MonitorCount();
    // The monitor at `index`, in the platform's enumeration order (the primary one first).
    TMonitor* Monitors(int index);
    // The monitor a window is on (the nearest one when it is on none).
    TMonitor* MonitorFromWindow(HWND window);

    // Where a window with `bounds` (screen pixels) must stand to be reachable: where it is when any
    // part of it lies on a monitor's work area; otherwise moved the least distance that puts it
    // whole inside the nearest work area (its top-left corner inside where it is larger).
    POINT ReachablePlace(const RECT& bounds);

private:
    void Refresh();
    TMonitor* Find(HMONITOR handle);

    std::vector<std::unique_ptr<TMonitor>> FMonitors;
};

extern TScreen* Screen;

// ReachablePlace for given work areas; where it is when there is none.
POINT ReachablePlace(const RECT& bounds, const std::vector<RECT>& workAreas);

// The rectangle of `window` in its normal state (screen pixels): where it stands now, or, while it
// is minimised or maximised, where restoring it puts it back. A minimised window's own rectangle is
// only the platform's parking place for it.
RECT NormalWindowRect(HWND window);
