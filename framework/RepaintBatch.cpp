#include "framework/RepaintBatch.h"

void TRepaintBatch::Repaint(HWND window)
{
    if (FAreas.empty())
        return;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    HRGN areas = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& area : FAreas) {
        HRGN one = CreateRectRgnIndirect(&area);
        CombineRgn(areas, areas, one, RGN_OR);
        DeleteObject(one);
    }
    OffsetRgn(areas, -origin.x, -origin.y);
    RedrawWindow(window, nullptr, areas, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    DeleteObject(areas);
    FAreas.clear();
}
