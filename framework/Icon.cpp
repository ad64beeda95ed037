#include "framework/Icon.h"

TIcon::~TIcon()
{
    if (FHandle != nullptr)
        DestroyIcon(FHandle);
}

void TIcon::Assign(TPersistent* source)
{
    if (source == nullptr) {
        SetHandle(nullptr);
        return;
    }
    if (auto* icon = dynamic_cast<TIcon*>(source)) {
        if (icon == this)
            return;
        SetHandle(icon->FHandle != nullptr ? CopyIcon(icon->FHandle) : nullptr);
        return;
    }
    TPersistent::Assign(source);
}

void TIcon::SetHandle(HICON handle)
{
    if (FHandle != nullptr && FHandle != handle)
        DestroyIcon(FHandle);
    FHandle = handle;
    Changed();
}

HICON TIcon::ReleaseHandle()
{
    HICON handle = FHandle;
    FHandle = nullptr;
    Changed();
    return handle;
}

void TIcon::Changed()
{
    if (OnChange)
        OnChange(this);
}
