// The running platform dialog: the base of every component that runs one of the platform's
// dialogs (the common dialogs, the folder browser), with its run record, its one close path and
// the scope that disables the program's other windows around a modal dialog.
#pragma once

#include "framework/Classes.h"

#include <functional>
#include <vector>
#include <windows.h>

// One run of a platform dialog for a component, from the call that opens it (modal) or creates
// it (modeless) until that call returns. It lives on Execute's stack, so it outlives a component
// freed while the dialog is open; the code that showed the dialog asks it before touching the
// component again.
class TDialogRun {
public:
    // Starts a run of `component`, recorded in `slot` (the component's own) until it ends.
    TDialogRun(TComponent* component, TDialogRun*& slot);
    ~TDialogRun();
    TDialogRun(const TDialogRun&) = delete;
    TDialogRun& operator=(const TDialogRun&) = delete;

    // The component of `slot` is on its way out: its run, if any, no longer reaches it.
    static void Abandon(TDialogRun*& slot);

    // Null once the component is on its way out.
    TComponent* Component;
    // The window that was active when the run started, before a modal dialog disabled it.
    HWND Active;

private:
    TDialogRun** FSlot;
};

// Handlers that may refuse: `canClose` starts true.
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

// A component that runs one of the platform's dialogs. `Handle` is the window the component is
// bound to while the dialog is open, 0 while closed. Messages of that window reach the component
// through MainWndProc -> WndProc -> Dispatch -> DefaultHandler; how the window is bound and what
// an unhandled message gets are the derived class's.
class TPlatformDialog : public TComponent {
public:
    explicit TPlatformDialog(TComponent* owner);

    const char* ClassName() const override { return "TPlatformDialog"; }

    HWND GetHandle() const { return FHandle; }
    // The dialog window itself (0 while closed): the window a close cancels, and the one to place,
    // size or read; Handle may be a child of it.
    virtual HWND DialogWindow() const { return FHandle; }

    // Opens the dialog: records the run, disables the program's other windows while a modal
    // dialog runs, and has ShowDialog show it. What the result means is the dialog's own
    // (confirmed, or created); it is false when the component was freed meanwhile. A second
    // Execute while one runs (from the dialog's own OnShow, say) is refused: it returns false and
    // changes nothing. An override does its own steps around this one.
    virtual bool Execute();
    // Frees the component once control has returned from the platform; safe from inside any of
    // its own events.
    void Release();
    // A dialog still open is closed (OnClose fires while the component is whole) and no longer
    // reaches the component; a run on the stack ends with its result discarded.
    void BeforeDestruction() override;

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    ~TPlatformDialog() override;
    // The dialog has been initialised and is about to be shown: fires OnShow.
    virtual void DoShow();
    // The dialog window is being destroyed: fires OnClose.
    virtual void DoClose();
    virtual void WndProc(TMessage& message);

    // Shows the platform's dialog for `run` and returns Execute's result. Once the platform has
    // returned, nothing of the component may be touched unless `run.Component` is still set.
    virtual bool ShowDialog(TDialogRun& run) = 0;
    // Whether the program waits for the dialog (its other windows disabled while it runs).
    virtual bool IsModal() const { return true; }

    // The window's entry: exceptions stop here and go to the application's handler.
    void MainWndProc(TMessage& message);

    // Whether an Execute of this component is running.
    bool Running() const { return FRun != nullptr; }
    // Takes the component off its window: no later message of the window reaches it.
    virtual void UnbindWindow() = 0;
    // Closes the dialog still open while the component goes: OnClose fires (a failure goes to the
    // application's handler), the window is unbound, Handle becomes 0, and the dialog is
    // cancelled as its Cancel button does, reaching nothing of the component.
    virtual void CloseOpenDialog();
    // Cancels the dialog `dialog` as its Cancel button does (the last step of CloseOpenDialog).
    virtual void CancelDialog(HWND dialog);

    HWND FHandle = nullptr;
    // The running Execute, if any.
    TDialogRun* FRun = nullptr;
};

// Places the dialog window `window` as it opens: at `remembered` (a coordinate of -1: the first
// place's), else where it goes the first time (FirstDialogPlace on DialogWorkArea), moved the least
// that keeps it reachable on a work area (a remembered place may be on a monitor since gone).
void PlaceDialog(HWND window, POINT remembered = POINT{-1, -1});

// Where a dialog window of `size` goes the first time it shows: centred horizontally and a third
// of the way down `workArea`.
POINT FirstDialogPlace(SIZE size, const RECT& workArea);
// The work area (the monitor less its taskbars) dialogs first show in: that of the monitor the
// program's main form is on, the primary monitor's without a main form.
RECT DialogWorkArea();

// The windows a modal dialog disables for as long as it runs.
using TTaskWindowList = std::vector<HWND>;

// Disables every visible, enabled top-level window of this thread except `except` and
// returns them.
TTaskWindowList DisableTaskWindows(HWND except = nullptr);
// Enables again the windows of `list` that still exist.
void EnableTaskWindows(const TTaskWindowList& list);

// While it lives, the program's other windows are disabled, as around a modal dialog. At its
// end they are enabled again and the window that was active at its start is activated again,
// if it still exists.
class TModalWindowsScope {
public:
    TModalWindowsScope();
    ~TModalWindowsScope();
    TModalWindowsScope(const TModalWindowsScope&) = delete;
    TModalWindowsScope& operator=(const TModalWindowsScope&) = delete;

    // The window that was active at the start, if any.
    HWND GetActive() const { return FActive; }

private:
    HWND FActive;
    TTaskWindowList FDisabled;
};
