// The common dialogs' hook core: the base component the platform's common dialogs (find,
// replace, open, save) are wrapped in, bound to its dialog through the framework's hook.
#pragma once

#include "framework/Classes.h"
#include "framework/PlatformDialog.h"
#include "framework/Types.h"

#include <windows.h>

// A platform common dialog run by a component. `Handle` is the window the framework's hook sits
// on (the dialog itself, or the hook child of an Explorer-look file dialog). A handler that
// answers a message sets `Result` (what the hook returns to the platform); the default handling
// returns 0, which leaves the message to the platform's own dialog procedure.
class TCommonDialog : public TPlatformDialog {
public:
    explicit TCommonDialog(TComponent* owner);

    const char* ClassName() const override { return "TCommonDialog"; }

    // An open dialog is closed and unbound; a dialog being created no longer binds to it.
    void BeforeDestruction() override;

    void DefaultHandler(TMessage& message) override;

protected:
    ~TCommonDialog() override;

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
    // Takes the hook window's binding to this component away.
    void UnbindWindow() override;

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
