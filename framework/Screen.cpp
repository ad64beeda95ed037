#include "framework/Screen.h"

#include <algorithm>

namespace {
TScreen TheScreen;

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param)
{
    reinterpret_cast<std::vector<HMONITOR>*>(param)->push_back(monitor);
    return TRUE;
}
}  // namespace

TScreen* Screen = &TheScreen;

RECT TMonitor::Bounds() const
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(FHandle, &info))
        return RECT{0, 0, 0, 0};
    return info.rcMonitor;
}

RECT TMonitor::GetWorkareaRect() const
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(FHandle, &info))
        return RECT{0, 0, 0, 0};
    return info.rcWork;
}

void TScreen::Refresh()
{
    std::vector<HMONITOR> handles;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&handles));
    // The primary monitor comes first.
    auto primary = std::find_if(handles.begin(), handles.end(), [](HMONITOR m) {
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        return GetMonitorInfoA(m, &info) && (info.dwFlags & MONITORINFOF_PRIMARY);
    });
    if (primary != handles.end())
        std::rotate(handles.begin(), primary, primary + 1);
    bool same = handles.size() == FMonitors.size();
    for (size_t i = 0; same && i < handles.size(); ++i)
        same = FMonitors[i]->GetHandle() == handles[i];
    if (same)
        return;
    // Keep the objects of monitors that stay, so pointers handed out earlier remain valid.
    std::vector<std::unique_ptr<TMonitor>> monitors;
    for (HMONITOR handle : handles) {
        auto it = std::find_if(FMonitors.begin(), FMonitors.end(),
                               [handle](const std::unique_ptr<TMonitor>& m) { return m && m->GetHandle() == handle; });
        monitors.push_back(it != FMonitors.end() ? std::move(*it) : std::make_unique<TMonitor>(handle));
    }
    FMonitors = std::move(monitors);
}

int TScreen::MonitorCount()
{
    Refresh();
    return static_cast<int>(FMonitors.size());
}

TMonitor* TScreen::Monitors(int index)
{
    Refresh();
    if (index < 0 || index >= static_cast<int>(FMonitors.size()))
        throw Exception(Format("List index out of bounds (%d)", index));
    return FMonitors[static_cast<size_t>(index)].get();
}

TMonitor* TScreen::Find(HMONITOR handle)
{
    for (auto& monitor : FMonitors) {
        if (monitor->GetHandle() == handle)
            return monitor.get();
    }
    return nullptr;
}

TMonitor* TScreen::MonitorFromWindow(HWND window)
{
    HMONITOR handle = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    Refresh();
    TMonitor* monitor = Find(handle);
    return monitor != nullptr ? monitor : Monitors(0);
}

POINT TScreen::ReachablePlace(const RECT& bounds)
{
    std::vector<RECT> areas;
    const int count = MonitorCount();
    for (int i = 0; i < count; ++i)
        areas.push_back(Monitors(i)->GetWorkareaRect());
    return ::ReachablePlace(bounds, areas);
}

namespace {
// Distance from `a` to `b` along one axis: 0 where they meet or overlap.
long long Gap(long aFrom, long aTo, long bFrom, long bTo)
{
    if (aTo <= bFrom)
        return static_cast<long long>(bFrom) - aTo;
    if (bTo <= aFrom)
        return static_cast<long long>(aFrom) - bTo;
    return 0;
}

// `value` moved into from..to; from when the range is empty.
long Clamp(long value, long from, long to)
{
    return std::max(from, std::min(value, to));
}
}  // namespace

POINT ReachablePlace(const RECT& bounds, const std::vector<RECT>& workAreas)
{
    POINT place = {bounds.left, bounds.top};
    const RECT* nearest = nullptr;
    long long nearestDistance = 0;
    for (const RECT& area : workAreas) {
        if (bounds.left < area.right && area.left < bounds.right && bounds.top < area.bottom &&
            area.top < bounds.bottom)
            return place;
        long long dx = Gap(bounds.left, bounds.right, area.left, area.right);
        long long dy = Gap(bounds.top, bounds.bottom, area.top, area.bottom);
        long long distance = dx * dx + dy * dy;
        if (nearest == nullptr || distance < nearestDistance) {
            nearest = &area;
            nearestDistance = distance;
        }
    }
    if (nearest != nullptr) {
        place.x = Clamp(bounds.left, nearest->left, nearest->right - (bounds.right - bounds.left));
        place.y = Clamp(bounds.top, nearest->top, nearest->bottom - (bounds.bottom - bounds.top));
    }
    return place;
}

RECT NormalWindowRect(HWND window)
{
    RECT rect = {};
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if ((!IsIconic(window) && !IsZoomed(window)) || !GetWindowPlacement(window, &placement)) {
        GetWindowRect(window, &rect);
        return rect;
    }
    rect = placement.rcNormalPosition;
    // Given relative to the work area, except for tool windows.
    if (!(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        if (GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTOPRIMARY), &info))
            OffsetRect(&rect, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
    }
    return rect;
}
