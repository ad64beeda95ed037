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
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
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

TChildPlaces TLayoutAnchors::OutOfFarRoom(HWND window, int roomRight, int roomBottom) const
{
    RECT client;
    GetClientRect(window, &client);
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
