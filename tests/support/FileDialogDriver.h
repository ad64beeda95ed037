// Drives a real file dialog from inside its modal loop: a thread timer runs one step per tick
// once the dialog is visible, so no test waits on a person.
#pragma once

#include "framework/Dialogs.h"

#include <functional>
#include <string>
#include <vector>

class FileDialogDriver {
public:
    using Step = std::function<void(HWND dialog)>;

    // Runs `dialog.Execute()` with `steps`, one per tick. A dialog still open long after the
    // last step (a box it opened, say) is cancelled, and `Stalled` tells. `StepsRun` counts the
    // steps that ran: a dialog that never showed (or closed early) runs fewer than it was given. Any modal dialog
    // component with GetHandle and Execute will do (the folder browser too).
    template <class TDialog>
    bool Run(TDialog& dialog, std::vector<Step> steps)
    {
        FHandle = [&dialog] { return dialog.GetHandle(); };
        FSteps = std::move(steps);
        FNext = FIdle = 0;
        StepsRun = 0;
        Stalled = false;
        Current() = this;
        UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
        bool result = dialog.Execute();
        KillTimer(nullptr, timer);
        Current() = nullptr;
        return result;
    }

    // The dialog window of a hook window: its parent in the Explorer look, itself in the old.
    static HWND DialogOf(HWND hook)
    {
        return hook != nullptr && (GetWindowLongPtrA(hook, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(hook) : hook;
    }
    // Types `text` into the name box (edt1 in both looks) and presses OK.
    static void TypeAndConfirm(HWND dialog, const char* text)
    {
        SetDlgItemTextA(dialog, 0x480, text);
        Press(dialog, IDOK);
    }
    static void Press(HWND dialog, int button)
    {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(dialog, button)));
    }
    static void Cancel(HWND dialog) { Press(dialog, IDCANCEL); }
    // Closes the message box the dialog shows over itself and returns its text; empty if none.
    static std::wstring TakeMessageBox(HWND dialog)
    {
        HWND box = GetLastActivePopup(dialog);
        if (box == dialog || !IsWindowVisible(box))
            return std::wstring();
        wchar_t text[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the box's text control
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return text;
    }

    // Every step given to the last Run ran to its end.
    bool RanAll() const { return StepsRun == FSteps.size(); }

    bool Stalled = false;
    size_t StepsRun = 0;

private:
    static FileDialogDriver*& Current()
    {
        static FileDialogDriver* current = nullptr;
        return current;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        FileDialogDriver* self = Current();
        HWND dialog = self != nullptr && !self->FBusy ? DialogOf(self->FHandle()) : nullptr;
        if (dialog == nullptr || !IsWindowVisible(dialog))
            return;
        if (self->FNext < self->FSteps.size()) {
            self->FBusy = true;
            self->FSteps[self->FNext++](dialog);
            self->FBusy = false;
            ++self->StepsRun;
        } else if (++self->FIdle > 500) {
            self->Stalled = true;
            self->FIdle = 0;
            HWND active = GetActiveWindow();
            if (active != nullptr && active != dialog)
                PostMessageA(active, WM_CLOSE, 0, 0);
            Cancel(dialog);
        }
    }

    std::function<HWND()> FHandle;
    std::vector<Step> FSteps;
    size_t FNext = 0;
    int FIdle = 0;
    bool FBusy = false;
};
