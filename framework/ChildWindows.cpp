#include "framework/ChildWindows.h"

#include "framework/Types.h"

#include <commctrl.h>

RECT ClientRectOfControl(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ContentRectOfControl(HWND control)
{
    const RECT whole = ClientRectOfControl(control);
    char name[32] = "";
    GetClassNameA(control, name, sizeof(name));
    if (lstrcmpiA(name, TOOLBARCLASSNAMEA) != 0)
        return whole;
    RECT buttons = {0, 0, 0, 0};
    const int count = static_cast<int>(SendMessageA(control, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT button;
        if (SendMessageA(control, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)) &&
            !IsRectEmpty(&button))
            UnionRect(&buttons, &buttons, &button);
    }
    if (IsRectEmpty(&buttons))
        return RECT{whole.left, whole.top, whole.left, whole.top};
    MapWindowPoints(control, GetParent(control), reinterpret_cast<POINT*>(&buttons), 2);
    return buttons;
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
