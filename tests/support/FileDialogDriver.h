// Drives a real file dialog from inside its modal loop: a thread timer runs one step per tick
// once the dialog is visible, so no test waits on a person.
#pragma once

#include "framework/Dialogs.h"

#include <windows.h>

#include <functional>
#include <vector>

class FileDialogDriver {
public:
    using Step = std::function<void(HWND dialog)>;

    // The file name edit of both looks.
    static constexpr int FileNameEdit = 0x480;

    // Runs `dialog.Execute()` with `steps`, one per tick. A dialog still open long after the
    // last step is cancelled, and `Stalled` tells.
    bool Run(TCommonDialog& dialog, std::vector<Step> steps)
    {
        FDialog = &dialog;
        FSteps = std::move(steps);
        FNext = 0;
        FIdle = 0;
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
        if (hook == nullptr)
            return nullptr;
        return (GetWindowLongPtrA(hook, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(hook) : hook;
    }

    // Types `text` into the name box and presses OK, as the user would with Enter.
    static void TypeAndConfirm(HWND dialog, const char* text)
    {
        SetDlgItemTextA(dialog, FileNameEdit, text);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
    static void Cancel(HWND dialog)
    {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    }

    bool Stalled = false;

private:
    static FileDialogDriver*& Current()
    {
        static FileDialogDriver* current = nullptr;
        return current;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        FileDialogDriver* self = Current();
        if (self == nullptr || self->FBusy)
            return;
        HWND dialog = DialogOf(self->FDialog->GetHandle());
        const bool shown = dialog != nullptr && IsWindowVisible(dialog);
        if (shown && self->FNext < self->FSteps.size()) {
            self->FBusy = true;
            self->FSteps[self->FNext++](dialog);
            self->FBusy = false;
            self->FIdle = 0;
            return;
        }
        // Every step has run and the dialog (or a box it opened) is still there after far more
        // ticks than closing takes: it is stuck. A dialog slow to appear is waited for.
        if (!shown || self->FNext < self->FSteps.size())
            return;
        if (++self->FIdle > 500) {
            self->Stalled = true;
            self->FIdle = 0;
            HWND active = GetActiveWindow();
            if (active != nullptr && active != dialog)
                PostMessageA(active, WM_CLOSE, 0, 0);
            if (dialog != nullptr)
                Cancel(dialog);
        }
    }

    TCommonDialog* FDialog = nullptr;
    std::vector<Step> FSteps;
    size_t FNext = 0;
    int FIdle = 0;
    bool FBusy = false;
};
