// The running platform dialog: the run record of a dialog component, and the helpers every
// wrapper shares (disabling the program's windows around a modal dialog).
#pragma once

#include "framework/Classes.h"

#include <vector>
#include <windows.h>

// One run of a platform dialog for a component, from the call that opens it until that call
// returns. It lives on the runner's stack, so it outlives a component freed while the dialog is
// open; the runner asks it before touching the component again. Every component that runs a
// platform dialog keeps its run here, and refuses a second Execute while one is recorded.
class TModalRun {
public:
    // Starts a run of `component`, recorded in `slot` (the component's own) until it ends.
    TModalRun(TComponent* component, TModalRun*& slot);
    ~TModalRun();
    TModalRun(const TModalRun&) = delete;
    TModalRun& operator=(const TModalRun&) = delete;

    // The component of `slot` is on its way out: its run, if any, no longer reaches it.
    static void Abandon(TModalRun*& slot);

    // Null once the component is on its way out.
    TComponent* Component;

private:
    TModalRun** FSlot;
};

// The windows a modal dialog disables for as long as it runs.
using TTaskWindowList = std::vector<HWND>;

// Disables every visible, enabled top-level window of this thread except `except` and
// returns them.
TTaskWindowList DisableTaskWindows(HWND except = nullptr);
// Enables again the windows of `list` that still exist.
void EnableTaskWindows(const TTaskWindowList& list);
