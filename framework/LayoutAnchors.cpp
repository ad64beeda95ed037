#include "framework/LayoutAnchors.h"

#include "framework/Graphics.h"
#include "framework/Types.h"

#include <algorithm>

namespace {
// How much the window grows for a moment to see which edges its layout keeps from the far edge.
constexpr int AnchorProbe = 8;

// One edge kept `distance` from the far edge at the last look: if the layout put it there again
// for a client `size` long, it went into a `room` at that edge and comes back out by the room.
void OutOfRoom(LONG& edge, int distance, int size, int room)
{
    if (distance != TLayoutAnchors::NotFromFarEdge && room > 0 && edge == size - distance)
        edge -= room;
}
}  // namespace

void TLayoutAnchors::Learn(HWND window, const std::function<TChildPlaces()>& places)
{
    FChildren.clear();
    FSeen = places();
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    FSeenClient = SIZE{client.right, client.bottom};
    SetWindowPos(window, nullptr, 0, 0, RectWidth(outer) + AnchorProbe, RectHeight(outer) + AnchorProbe,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const TChildPlaces grown = places();
    SetWindowPos(window, nullptr, 0, 0, RectWidth(outer), RectHeight(outer),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& place : places()) {
        auto wide = std::find_if(grown.begin(), grown.end(), [&](const auto& g) { return g.first == place.first; });
        if (wide == grown.end())
            continue;
        const RECT& r = place.second;
        const RECT& g = wide->second;
        auto distance = [](LONG now, LONG larger, LONG size) {
            return larger - now == AnchorProbe ? static_cast<int>(size - now) : NotFromFarEdge;
        };
        FChildren.push_back({place.first, distance(r.left, g.left, client.right), distance(r.top, g.top, client.bottom),
                             distance(r.right, g.right, client.right), distance(r.bottom, g.bottom, client.bottom)});
    }
}

void TLayoutAnchors::Remember(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    FSeenClient = SIZE{client.right, client.bottom};
    FSeen.clear();
    for (const TChild& child : FChildren) {
        if (GetParent(child.Window) == window)
            FSeen.emplace_back(child.Window, ClientRectOfControl(child.Window));
    }
}

bool TLayoutAnchors::LaidOutIntoRoom(HWND window, const RECT& client, int room, bool horizontal) const
{
    const LONG end = horizontal ? client.right : client.bottom;
    const LONG growth = horizontal ? client.right - FSeenClient.cx : client.bottom - FSeenClient.cy;
    for (const TChild& child : FChildren) {
        const int nearDistance = horizontal ? child.Left : child.Top;
        const int farDistance = horizontal ? child.Right : child.Bottom;
        if ((nearDistance == NotFromFarEdge && farDistance == NotFromFarEdge) || GetParent(child.Window) != window)
            continue;
        const RECT now = ClientRectOfControl(child.Window);
        const LONG nearEdge = horizontal ? now.left : now.top;
        const LONG farEdge = horizontal ? now.right : now.bottom;
        if (farEdge > nearEdge && farEdge > end - room && nearEdge < end)
            return true;
        auto seen = std::find_if(FSeen.begin(), FSeen.end(), [&](const auto& s) { return s.first == child.Window; });
        if (seen == FSeen.end())
            continue;
        const RECT& was = seen->second;
        if ((nearDistance != NotFromFarEdge && nearEdge - (horizontal ? was.left : was.top) > growth) ||
            (farDistance != NotFromFarEdge && farEdge - (horizontal ? was.right : was.bottom) > growth))
            return true;
    }
    return false;
}

TChildPlaces TLayoutAnchors::OutOfFarRoom(HWND window, int roomRight, int roomBottom) const
{
    RECT client;
    GetClientRect(window, &client);
    // A layout that moved its children by the change of size keeps them clear of the room already:
    // pulled again, they would leave a gap as wide as the room, or land on other controls.
    if (roomRight > 0 && !LaidOutIntoRoom(window, client, roomRight, true))
        roomRight = 0;
    if (roomBottom > 0 && !LaidOutIntoRoom(window, client, roomBottom, false))
        roomBottom = 0;
    TChildPlaces moves;
    for (const TChild& child : FChildren) {
        if (GetParent(child.Window) != window)
            continue;
        const RECT now = ClientRectOfControl(child.Window);
        RECT want = now;
        OutOfRoom(want.left, child.Left, client.right, roomRight);
        OutOfRoom(want.right, child.Right, client.right, roomRight);
        OutOfRoom(want.top, child.Top, client.bottom, roomBottom);
        OutOfRoom(want.bottom, child.Bottom, client.bottom, roomBottom);
        if (!EqualRect(&want, &now))
            moves.emplace_back(child.Window, want);
    }
    return moves;
}

std::vector<HWND> TLayoutAnchors::LaidOutFromFarEdge() const
{
    std::vector<HWND> windows;
    for (const TChild& c : FChildren) {
        if (c.Left != NotFromFarEdge || c.Top != NotFromFarEdge || c.Right != NotFromFarEdge ||
            c.Bottom != NotFromFarEdge)
            windows.push_back(c.Window);
    }
    return windows;
}

RECT TLayoutAnchors::FarEdges(HWND child) const
{
    for (const TChild& c : FChildren) {
        if (c.Window == child)
            return RECT{c.Left != NotFromFarEdge, c.Top != NotFromFarEdge, c.Right != NotFromFarEdge,
                        c.Bottom != NotFromFarEdge};
    }
    return RECT{0, 0, 0, 0};
}

void TLayoutAnchors::Scale(int m, int d)
{
    for (TChild& child : FChildren) {
        for (int* distance : {&child.Left, &child.Top, &child.Right, &child.Bottom}) {
            if (*distance != NotFromFarEdge)
                *distance = ScalePixels(*distance, m, d);
        }
    }
}
