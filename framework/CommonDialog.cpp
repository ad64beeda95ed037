#include "framework/CommonDialog.h"

#include "framework/WindowObject.h"

namespace {
const TWindowObject<TCommonDialog> HookedDialog("TCommonDialog");

// The component whose dialog the platform is creating on this thread.
thread_local TCommonDialog* CreationDialog = nullptr;
}  // namespace

TCommonDialog::TCommonDialog(TComponent* owner) : TPlatformDialog(owner) {}

TCommonDialog::~TCommonDialog() = default;

void TCommonDialog::BeforeDestruction()
{
    if (CreationDialog == this)
        CreationDialog = nullptr;
    TPlatformDialog::BeforeDestruction();
}

void TCommonDialog::DefaultHandler(TMessage& message)
{
    message.Result = 0;
}

TCommonDialog* TCommonDialog::FromHookWindow(HWND window)
{
    return HookedDialog.Find(window);
}

void TCommonDialog::BindHookWindow(HWND window)
{
    HookedDialog.Bind(window, this);
    FHandle = window;
}

void TCommonDialog::UnbindWindow()
{
    if (FHandle != nullptr && FromHookWindow(FHandle) == this)
        HookedDialog.Unbind(FHandle);
}

UINT_PTR CALLBACK TCommonDialog::DialogHook(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TCommonDialog* dialog = FromHookWindow(window);
    if (dialog == nullptr && msg == WM_INITDIALOG && CreationDialog != nullptr) {
        dialog = CreationDialog;
        CreationDialog = nullptr;
        dialog->BindHookWindow(window);
    }
    if (dialog == nullptr)
        return 0;
    if (msg == WM_NCDESTROY) {
        // The binding goes with the window: a close of the component later (its owner took the
        // window with it, say) has nothing left to close and fires no second OnClose.
        HookedDialog.Unbind(window);
        if (dialog->FHandle == window) {
            dialog->UnbindWindow();
            dialog->FHandle = nullptr;
        }
    }
    TMessage message = {msg, wParam, lParam, 0};
    dialog->MainWndProc(message);
    return static_cast<UINT_PTR>(message.Result);
}

TDialogHookScope::TDialogHookScope(TCommonDialog* dialog) : FPrevious(CreationDialog)
{
    CreationDialog = dialog;
}

TDialogHookScope::~TDialogHookScope()
{
    CreationDialog = FPrevious;
}
