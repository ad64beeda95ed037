// Icons: a platform icon handle owned by the object.
#pragma once

#include "framework/Classes.h"

#include <windows.h>

class TIcon : public TPersistent {
public:
    TIcon() = default;
    ~TIcon() override;
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    const char* ClassName() const override { return "TIcon"; }

    // Copies another icon (a copy of its image), or empties this one when `source` is null.
    void Assign(TPersistent* source) override;

    bool Empty() const { return FHandle == nullptr; }
    HICON GetHandle() const { return FHandle; }
    // Takes ownership of `handle` (null empties the icon).
    void SetHandle(HICON handle);
    // Gives the handle up to the caller; the icon is empty afterwards.
    HICON ReleaseHandle();

    // Fired after every change of the image.
    TNotifyEvent OnChange;

private:
    void Changed();

    HICON FHandle = nullptr;
};
