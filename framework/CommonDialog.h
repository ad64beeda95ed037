// The common dialogs' hook core: the base component the platform's common dialogs are wrapped
// in, with the message map every message reaching the framework's hook passes through.
#pragma once

#include "framework/Classes.h"
#include "framework/PlatformDialog.h"
#include "framework/Types.h"

#include <windows.h>

// A platform dialog run by a component. `Handle` is the window the framework's hook sits on
// (the dialog itself, or the hook child of an Explorer-look file dialog), 0 while closed.
//
// Messages reaching the hook go MainWndProc -> WndProc -> Dispatch -> DefaultHandler. A
// handler that answers a message sets `Result` (what the hook returns to the platform); the
// default handling returns 0, which leaves the message to the platform's own dialog procedure.
class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent* owner);

    const char* ClassName() const override { return "TCommonDialog"; }

    HWND GetHandle() const { return FHandle; }

    // Opens the dialog; what the result means is the dialog's own (confirmed, or created). A
    // second Execute while one runs (from the dialog's own OnShow, say) is refused: it returns
    // false and changes nothing.
    virtual bool Execute() = 0;
    // Frees the component once control has returned from the platform; safe from inside any of
    // its own events.
    void Release();
    // A dialog still open is closed (OnClose fires while the component is whole) and no longer
    // reaches the component; a run on the stack ends with its result discarded.
    void BeforeDestruction() override;

    void DefaultHandler(TMessage& message) override;

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    ~TCommonDialog() override;
    // The dialog has been initialised and is about to be shown: fires OnShow.
    virtual void DoShow();
    // The dialog window is being destroyed: fires OnClose.
    virtual void DoClose();
    virtual void WndProc(TMessage& message);

    // The hook's entry: exceptions stop here and go to the application's handler.
    void MainWndProc(TMessage& message);

    // The hook procedure every wrapper hands the platform. Until the dialog's WM_INITDIALOG
    // no component is known and messages get the default handling; at WM_INITDIALOG the hook
    // binds the window to the component that is opening (see TDialogHookScope) and from then
    // on every message of that window goes to the component's MainWndProc. The binding goes
    // with the window's WM_NCDESTROY.
    static UINT_PTR CALLBACK DialogHook(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // The component a hook window is bound to, if any.
    static TCommonDialog* FromHookWindow(HWND window);
    // Binds `window` to this component by hand (a hook window the platform reports otherwise).
    void BindHookWindow(HWND window);

    // Centres `window` horizontally and puts it a third of the way down the work area of the
    // monitor the program's main form is on (the primary monitor without a main form).
    static void PlaceDialog(HWND window);

    HWND FHandle = nullptr;
    // The running Execute, if any.
    TModalRun* FRun = nullptr;

private:
    friend class TDialogHookScope;
};

// While it lives, the hook binds the next initialised dialog window of this thread to
// `dialog`. Put one around the platform call that creates the dialog.
class TDialogHookScope {
public:
    explicit TDialogHookScope(TCommonDialog* dialog);
    ~TDialogHookScope();
    TDialogHookScope(const TDialogHookScope&) = delete;
    TDialogHookScope& operator=(const TDialogHookScope&) = delete;

private:
    TCommonDialog* FPrevious;
};
