#include "framework/PlatformDialog.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Screen.h"
#include "framework/Types.h"

namespace {
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

TDialogRun::TDialogRun(TComponent* component, TDialogRun*& slot)
    : Component(component), Active(GetActiveWindow()), FSlot(&slot)
{
    slot = this;
}

TDialogRun::~TDialogRun()
{
    if (Component != nullptr)
        *FSlot = nullptr;
}

void TDialogRun::Abandon(TDialogRun*& slot)
{
    if (slot == nullptr)
        return;
    slot->Component = nullptr;
    slot = nullptr;
}

TPlatformDialog::TPlatformDialog(TComponent* owner) : TComponent(owner) {}

TPlatformDialog::~TPlatformDialog() = default;

bool TPlatformDialog::Execute()
{
    if (Running())
        return false;
    TDialogRun run(this, FRun);
    bool result;
    if (IsModal()) {
        TModalWindowsScope modal;
        result = ShowDialog(run);
    } else {
        result = ShowDialog(run);
    }
    // Freed during the run: the result is discarded.
    return run.Component != nullptr && result;
}

void TPlatformDialog::Release()
{
    Application->Release(this);
}

void TPlatformDialog::BeforeDestruction()
{
    if (FHandle != nullptr)
        CloseOpenDialog();
    // Whatever the close left bound must not reach the component any more.
    if (FHandle != nullptr) {
        UnbindWindow();
        FHandle = nullptr;
    }
    TDialogRun::Abandon(FRun);
    TComponent::BeforeDestruction();
}

void TPlatformDialog::CloseOpenDialog()
{
    HWND dialog = DialogWindow();
    GuardedCall(this, [this] { DoClose(); });
    // The close handler may have closed the dialog itself.
    if (FHandle == nullptr)
        return;
    // Unbound first, so the cancel and the window's end reach nothing of this component.
    UnbindWindow();
    FHandle = nullptr;
    CancelDialog(dialog);
}

void TPlatformDialog::CancelDialog(HWND dialog)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}

void TPlatformDialog::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TPlatformDialog::DoClose()
{
    if (OnClose)
        OnClose(this);
}

void TPlatformDialog::WndProc(TMessage& message)
{
    Dispatch(message);
}

void TPlatformDialog::MainWndProc(TMessage& message)
{
    GuardedCall(this, [&] { WndProc(message); });
}

POINT FirstDialogPlace(SIZE size, const RECT& workArea)
{
    return POINT{workArea.left + ((workArea.right - workArea.left) - size.cx) / 2,
                 workArea.top + ((workArea.bottom - workArea.top) - size.cy) / 3};
}

RECT DialogWorkArea()
{
    TForm* mainForm = Application->GetMainForm();
    TMonitor* monitor = mainForm != nullptr ? mainForm->GetMonitor() : Screen->Monitors(0);
    return monitor->GetWorkareaRect();
}

void PlaceDialog(HWND window, POINT remembered)
{
    RECT rect;
    GetWindowRect(window, &rect);
    POINT place = remembered;
    if (place.x == -1 || place.y == -1) {
        const POINT first = FirstDialogPlace(SIZE{RectWidth(rect), RectHeight(rect)}, DialogWorkArea());
        if (place.x == -1)
            place.x = first.x;
        if (place.y == -1)
            place.y = first.y;
    }
    place = Screen->ReachablePlace(OffsetTo(rect, place.x, place.y));
    SetWindowPos(window, nullptr, place.x, place.y, 0, 0, SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOZORDER);
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

TModalWindowsScope::TModalWindowsScope() : FActive(GetActiveWindow()), FDisabled(DisableTaskWindows()) {}

TModalWindowsScope::~TModalWindowsScope()
{
    EnableTaskWindows(FDisabled);
    if (FActive != nullptr && IsWindow(FActive))
        SetActiveWindow(FActive);
}
