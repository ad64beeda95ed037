#include "framework/PlatformDialog.h"

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

TModalRun::TModalRun(TComponent* component, TModalRun*& slot) : Component(component), FSlot(&slot)
{
    slot = this;
}

TModalRun::~TModalRun()
{
    if (Component != nullptr)
        *FSlot = nullptr;
}

void TModalRun::Abandon(TModalRun*& slot)
{
    if (slot == nullptr)
        return;
    slot->Component = nullptr;
    slot = nullptr;
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
