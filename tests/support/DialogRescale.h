// Windows' dialog manager's answer to a change of resolution, for a platform that has none
// (Wine): while one of these lives, every top-level dialog window the thread makes is
// subclassed as it is created, so the answer sits beneath whatever subclasses it later (the
// customizer). On WM_DPICHANGED the dialog goes to the suggested rectangle, and each immediate
// child's rectangle is scaled by new / old and the child gets its font scaled, unless the product
// kept it out through SetDialogControlDpiChangeBehavior (recorded here in that call's place).
// Windows does not say which comes first, the move or the children: either can be asked for.
#pragma once

#include "framework/Controls.h"
#include "framework/Graphics.h"

#include <windows.h>

#include <map>
#include <vector>

class DialogRescale {
public:
    enum class Order { MoveFirst, ChildrenFirst };

    explicit DialogRescale(Order order, bool honourOptOuts = true) : FOrder(order), FHonourOptOuts(honourOptOuts)
    {
        Current() = this;
        FPreviousCall = DialogControlDpiBehaviorCall();
        DialogControlDpiBehaviorCall() = RecordBehavior;
        FHook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    }
    ~DialogRescale()
    {
        UnhookWindowsHookEx(FHook);
        for (auto& [window, dialog] : FDialogs) {
            if (IsWindow(window) && GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(DialogProc))
                SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialog.Previous));
        }
        for (HFONT font : FFonts)
            DeleteObject(font);
        DialogControlDpiBehaviorCall() = FPreviousCall;
        Current() = nullptr;
    }
    DialogRescale(const DialogRescale&) = delete;
    DialogRescale& operator=(const DialogRescale&) = delete;

    // What the product set for a window through the platform's call (DCDC_* bits).
    DWORD BehaviorOf(HWND window) const
    {
        auto found = FBehaviors.find(window);
        return found != FBehaviors.end() ? found->second : 0;
    }
    // How many changes of resolution were answered, and how many children were rescaled.
    int Answered = 0;
    int ChildrenScaled = 0;

    static constexpr DWORD KeepPlace = 0x0002;  // DCDC_DISABLE_RELAYOUT
    static constexpr DWORD KeepFont = 0x0001;   // DCDC_DISABLE_FONT_UPDATE

private:
    struct Dialog {
        WNDPROC Previous;
        int PixelsPerInch;
    };

    static DialogRescale*& Current()
    {
        static DialogRescale* current = nullptr;
        return current;
    }

    static BOOL WINAPI RecordBehavior(HWND window, DWORD mask, DWORD values)
    {
        DWORD& now = Current()->FBehaviors[window];
        now = (now & ~mask) | (values & mask);
        return TRUE;
    }

    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
    {
        DialogRescale* self = Current();
        if (code == HCBT_CREATEWND && self != nullptr) {
            HWND window = reinterpret_cast<HWND>(wParam);
            const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
            char name[16] = "";
            GetClassNameA(window, name, sizeof(name));
            // Only top-level windows are told of a new resolution.
            if (lstrcmpA(name, "#32770") == 0 && !(create->style & WS_CHILD)) {
                self->FDialogs[window] = Dialog{reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)),
                                                ScreenPixelsPerInch()};
                SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogProc));
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        DialogRescale* self = Current();
        Dialog& dialog = self->FDialogs[window];
        const WNDPROC previous = dialog.Previous;
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            self->FDialogs.erase(window);
        } else if (message == WM_DPICHANGED) {
            self->Answer(window, dialog, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        }
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }

    void Answer(HWND window, Dialog& dialog, int to, const RECT& suggested)
    {
        const int from = dialog.PixelsPerInch;
        dialog.PixelsPerInch = to;
        ++Answered;
        auto move = [&] {
            SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        };
        if (FOrder == Order::MoveFirst)
            move();
        std::vector<HWND> children;
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            children.push_back(child);
        for (HWND child : children)
            ScaleChild(child, from, to);
        if (FOrder == Order::ChildrenFirst)
            move();
    }

    void ScaleChild(HWND child, int from, int to)
    {
        const DWORD behavior = FHonourOptOuts ? BehaviorOf(child) : 0;
        if (!(behavior & KeepPlace)) {
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
            char name[16] = "";
            GetClassNameA(child, name, sizeof(name));
            // A combo box's height given to it is its list's.
            RECT list;
            if (lstrcmpiA(name, "ComboBox") == 0 && SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, LPARAM(&list)))
                r.bottom = r.top + (list.bottom - list.top);
            SetWindowPos(child, nullptr, MulDiv(r.left, to, from), MulDiv(r.top, to, from),
                         MulDiv(r.right - r.left, to, from), MulDiv(r.bottom - r.top, to, from),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            ++ChildrenScaled;
        }
        if (!(behavior & KeepFont)) {
            HFONT font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
            LOGFONTA log;
            if (font != nullptr && GetObjectA(font, sizeof(log), &log) == sizeof(log)) {
                log.lfHeight = MulDiv(log.lfHeight, to, from);
                HFONT scaled = CreateFontIndirectA(&log);
                FFonts.push_back(scaled);
                SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(scaled), TRUE);
            }
        }
    }

    Order FOrder;
    bool FHonourOptOuts;
    HHOOK FHook = nullptr;
    TDialogControlDpiBehaviorCall FPreviousCall = nullptr;
    std::map<HWND, Dialog> FDialogs;
    std::map<HWND, DWORD> FBehaviors;
    std::vector<HFONT> FFonts;
};
