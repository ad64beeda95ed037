// Areas of a window whose children moved, painted afresh together.
#pragma once

#include <vector>
#include <windows.h>

// Collects the old and new places of moved child windows and repaints them with one region in
// one call, however many moved, so no trace of an earlier place stays painted.
class TRepaintBatch {
public:
    // Forgets the areas collected so far.
    void Clear() { FAreas.clear(); }
    // One area to paint afresh, in screen coordinates.
    void Add(const RECT& area) { FAreas.push_back(area); }
    // Invalidates and erases the collected areas in `window` and its children, then forgets them.
    void Repaint(HWND window);

private:
    std::vector<RECT> FAreas;
};
