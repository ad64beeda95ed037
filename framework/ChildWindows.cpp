#include "framework/ChildWindows.h"

#include "framework/Types.h"

RECT ClientRectOfControl(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void MoveChildWindows(const TChildPlaces& places)
{
    if (places.empty())
        return;
    HDWP batch = BeginDeferWindowPos(static_cast<int>(places.size()));
    for (const auto& place : places) {
        if (batch == nullptr)
            return;
        const RECT& r = place.second;
        // A combo box given its height again would take it for its list's: only moved then.
        const RECT now = ClientRectOfControl(place.first);
        const bool sameSize = RectWidth(now) == RectWidth(r) && RectHeight(now) == RectHeight(r);
        batch = DeferWindowPos(batch, place.first, nullptr, r.left, r.top, RectWidth(r), RectHeight(r),
                               SWP_NOZORDER | SWP_NOACTIVATE | (sameSize ? SWP_NOSIZE : 0));
    }
    if (batch != nullptr)
        EndDeferWindowPos(batch);
}

namespace {
struct TDescendantSearch {
    const wchar_t* ClassName;
    HWND Found;
};

BOOL CALLBACK MatchClass(HWND child, LPARAM param)
{
    auto* search = reinterpret_cast<TDescendantSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, search->ClassName) != 0)
        return TRUE;
    search->Found = child;
    return FALSE;
}
}  // namespace

HWND FindDescendant(HWND parent, const wchar_t* className)
{
    TDescendantSearch search = {className, nullptr};
    EnumChildWindows(parent, MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}
