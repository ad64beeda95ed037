// The places of a window's child windows, in its client coordinates.
#pragma once

#include <utility>
#include <vector>
#include <windows.h>

// Child windows and their rectangles in the parent's client coordinates.
using TChildPlaces = std::vector<std::pair<HWND, RECT>>;

// A child window's rectangle in its parent's client coordinates.
RECT ClientRectOfControl(HWND control);
// The part of a child window that shows something, in its parent's client coordinates: a tool
// bar's buttons (empty if it has none), the whole window for any other.
RECT ContentRectOfControl(HWND control);
// Moves and sizes the child windows to their places in one batch, so the parent repaints once.
void MoveChildWindows(const TChildPlaces& places);
// The first descendant of `parent` (in the platform's enumeration order) of the window class
// `className`, at any depth; null if there is none.
HWND FindDescendant(HWND parent, const wchar_t* className);
