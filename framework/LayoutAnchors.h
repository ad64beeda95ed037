// How a window's own layout places its child windows, learnt by watching it lay itself out.
#pragma once

#include "framework/ChildWindows.h"

#include <functional>
#include <vector>
#include <windows.h>

// For each child window, which of its edges the window's own layout keeps at a distance from
// the right or bottom edge of the client area, and that distance.
class TLayoutAnchors {
public:
    // A child edge the layout does not keep at a distance from the far edge.
    static constexpr int NotFromFarEdge = -0x7fffffff;

    // Forgets what was learnt and lets `window` lay itself out a little larger and then at its
    // size again, reading its children's places with `places` each time: an edge that followed
    // the growth exactly is kept at its distance from that edge. The places before the probe are
    // remembered (Remember).
    void Learn(HWND window, const std::function<TChildPlaces()>& places);
    // Notes where the children of `window` are now and its client size: a later layout that takes
    // an edge further out than the client grew since was made from the far edge.
    void Remember(HWND window);
    bool Empty() const { return FChildren.empty(); }
    // A layout that keeps edges from the far edges puts them into a room `roomRight` wide
    // (`roomBottom` high) kept at the right (bottom) of `window`'s client area: the new places of
    // the children whose edges come back out of it by the room (a child moves, or shrinks if
    // only its far edge followed). Only a layout seen to ignore the room at that side is undone:
    // one that put a following child into the room, or took an edge further out than the client
    // grew since the last look. A layout that moves its children by the change of size leaves
    // them where the room was made, clear of it: none is touched then, nor a child that has left
    // the window since.
    TChildPlaces OutOfFarRoom(HWND window, int roomRight, int roomBottom) const;
    // The children with an edge kept at a distance from a far edge.
    std::vector<HWND> LaidOutFromFarEdge() const;
    // Which edges of `child` (left, top, right, bottom) the layout keeps from the far edges; none
    // of a child not seen.
    RECT FarEdges(HWND child) const;
    // The distances scaled by m / d, for children the platform scaled to another resolution.
    void Scale(int m, int d);

private:
    struct TChild {
        HWND Window;
        int Left, Top, Right, Bottom;
    };
    // Whether the last layout ignored a room `room` wide at the right (`horizontal`) or high at
    // the bottom of a client area `client`.
    bool LaidOutIntoRoom(HWND window, const RECT& client, int room, bool horizontal) const;

    std::vector<TChild> FChildren;
    // The children's places and the client size at the last look.
    TChildPlaces FSeen;
    SIZE FSeenClient = {0, 0};
};
