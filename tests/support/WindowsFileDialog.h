// What Windows' file dialog does where Wine's does not, put into a running dialog beneath the
// component: subclasses of the platform's windows, which see each message before the component's
// hook does (and act once it has answered). One dialog at a time.
#pragma once

#include "support/FileDialogDriver.h"

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

namespace WindowsFileDialog {

// When the platform puts the dialog at a place of its own.
enum class RestoreMoment {
    // Right after the first folder change has been answered (the old look: the first show-window
    // message), as Windows' Explorer look restores its size.
    AfterFirstFolderChange,
    // Once the dialog has been told it is shown.
    AsShown,
};

namespace Detail {
struct PlaceState {
    HWND Window = nullptr;
    WNDPROC Proc = nullptr;
    RestoreMoment When = RestoreMoment::AfterFirstFolderChange;
    RECT Place = {0, 0, 0, 0};
    bool Armed = false;
    bool Restored = false;
};

inline PlaceState& Place()
{
    static PlaceState state;
    return state;
}

inline LRESULT CALLBACK RestoringHook(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    PlaceState& state = Place();
    const WNDPROC next = state.Proc;
    const bool start = state.When == RestoreMoment::AsShown
                           ? msg == WM_SHOWWINDOW && wParam != 0
                           : (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_FOLDERCHANGE) ||
                                 (msg == WM_SHOWWINDOW && FileDialogDriver::DialogOf(window) == window);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
        state.Window = nullptr;
    }
    const LRESULT result = CallWindowProcW(next, window, msg, wParam, lParam);
    if (start && state.Armed) {
        state.Armed = false;
        const RECT& r = state.Place;
        SetWindowPos(FileDialogDriver::DialogOf(window), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        state.Restored = true;
    }
    return result;
}

inline LRESULT CALLBACK HiddenSelection(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const auto next = reinterpret_cast<WNDPROC>(GetPropW(window, L"WindowsFileDialog.List"));
    if (msg == LVM_GETNEXTITEM)
        return -1;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
        RemovePropW(window, L"WindowsFileDialog.List");
    }
    return CallWindowProcW(next, window, msg, wParam, lParam);
}

inline BOOL CALLBACK FindList(HWND child, LPARAM param)
{
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (lstrcmpW(name, WC_LISTVIEWW) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
}
}  // namespace Detail

// Windows restores the Explorer look's last size after the first folder change (older Windows
// its place too, ignoring a place set before): at `when`, once the dialog of the component's hook
// window `hook` has handled it, the dialog goes to `place` (screen coordinates, outer rectangle).
// Install it before the first folder change (OnShow is the moment).
inline void RestorePlace(HWND hook, const RECT& place, RestoreMoment when = RestoreMoment::AfterFirstFolderChange)
{
    Detail::PlaceState& state = Detail::Place();
    state.Place = place;
    state.When = when;
    state.Armed = true;
    state.Restored = false;
    // The hook sees the folder change; the dialog is told it is shown.
    HWND window = when == RestoreMoment::AsShown ? FileDialogDriver::DialogOf(hook) : hook;
    if (state.Window == window)
        return;
    state.Window = window;
    state.Proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Detail::RestoringHook)));
}

// Whether the dialog was moved since the last RestorePlace.
inline bool PlaceRestored()
{
    return Detail::Place().Restored;
}

// The shell view's file list as newer Windows views keep it: nothing tells the selection
// (LVM_GETNEXTITEM answers -1, to everyone). Returns the list, null when the view has none.
inline HWND HideSelection(HWND dialog)
{
    HWND list = nullptr;
    if (HWND view = GetDlgItem(dialog, lst2))
        EnumChildWindows(view, Detail::FindList, reinterpret_cast<LPARAM>(&list));
    if (list == nullptr || GetPropW(list, L"WindowsFileDialog.List") != nullptr)
        return list;
    SetPropW(list, L"WindowsFileDialog.List", reinterpret_cast<HANDLE>(GetWindowLongPtrW(list, GWLP_WNDPROC)));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Detail::HiddenSelection));
    return list;
}

}  // namespace WindowsFileDialog
