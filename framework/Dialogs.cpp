#include "framework/Dialogs.h"

#include "framework/Application.h"
#include "framework/Screen.h"

namespace {
const char* const HookProperty = "TCommonDialog";

// The component whose dialog the platform is creating on this thread.
thread_local TCommonDialog* CreationDialog = nullptr;

struct TaskWindowSearch {
    HWND Except;
    TTaskWindowList* Windows;
};

BOOL CALLBACK DisableTaskWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TaskWindowSearch*>(param);
    if (window != search->Except && IsWindowVisible(window) && IsWindowEnabled(window)) {
        search->Windows->push_back(window);
        EnableWindow(window, FALSE);
    }
    return TRUE;
}
}  // namespace

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}

TCommonDialog::~TCommonDialog()
{
    // A window still bound to this component must not reach it any more.
    if (FHandle != nullptr && FromHookWindow(FHandle) == this)
        RemovePropA(FHandle, HookProperty);
    if (CreationDialog == this)
        CreationDialog = nullptr;
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

TTaskWindowList DisableTaskWindows(HWND except)
{
    TTaskWindowList windows;
    TaskWindowSearch search = {except, &windows};
    EnumThreadWindows(GetCurrentThreadId(), DisableTaskWindow, reinterpret_cast<LPARAM>(&search));
    return windows;
}

void EnableTaskWindows(const TTaskWindowList& list)
{
    for (HWND window : list) {
        if (IsWindow(window))
            EnableWindow(window, TRUE);
    }
}
