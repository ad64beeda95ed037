#include "framework/CommonDialog.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Screen.h"

namespace {
const char* const HookProperty = "TCommonDialog";

// The component whose dialog the platform is creating on this thread.
thread_local TCommonDialog* CreationDialog = nullptr;

}  // namespace

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}

TCommonDialog::~TCommonDialog() = default;

void TCommonDialog::Release()
{
    Application->Release(this);
}

void TCommonDialog::BeforeDestruction()
{
    // A window still bound to this component must not reach it any more.
    if (FHandle != nullptr && FromHookWindow(FHandle) == this)
        RemovePropA(FHandle, HookProperty);
    FHandle = nullptr;
    if (CreationDialog == this)
        CreationDialog = nullptr;
    TModalRun::Abandon(FRun);
    TComponent::BeforeDestruction();
}

void TCommonDialog::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCommonDialog::DoClose()
{
    if (OnClose)
        OnClose(this);
}

void TCommonDialog::WndProc(TMessage& message)
{
    Dispatch(message);
}

void TCommonDialog::DefaultHandler(TMessage& message)
{
    message.Result = 0;
}

void TCommonDialog::MainWndProc(TMessage& message)
{
    TEventScope scope(this);
    try {
        WndProc(message);
    } catch (...) {
        ApplicationHandleException(this);
    }
}

TCommonDialog* TCommonDialog::FromHookWindow(HWND window)
{
    return static_cast<TCommonDialog*>(GetPropA(window, HookProperty));
}

void TCommonDialog::BindHookWindow(HWND window)
{
    SetPropA(window, HookProperty, this);
    FHandle = window;
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
    if (msg == WM_NCDESTROY)
        RemovePropA(window, HookProperty);
    TMessage message = {msg, wParam, lParam, 0};
    dialog->MainWndProc(message);
    return static_cast<UINT_PTR>(message.Result);
}

void TCommonDialog::PlaceDialog(HWND window)
{
    TForm* mainForm = Application->GetMainForm();
    TMonitor* monitor = mainForm != nullptr ? mainForm->GetMonitor() : Screen->Monitors(0);
    RECT work = monitor->GetWorkareaRect();
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int left = work.left + ((work.right - work.left) - width) / 2;
    int top = work.top + ((work.bottom - work.top) - height) / 3;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOZORDER);
}

TDialogHookScope::TDialogHookScope(TCommonDialog* dialog) : FPrevious(CreationDialog)
{
    CreationDialog = dialog;
}

TDialogHookScope::~TDialogHookScope()
{
    CreationDialog = FPrevious;
}
