// From a window to the framework object behind it: a window property, one name for each kind of
// object, so that no kind ever takes another's object for its own.
#pragma once

#include <windows.h>

template <class T>
class TWindowObject {
public:
    explicit constexpr TWindowObject(const char* name) : FName(name) {}

    // Binds `object` to `window`; false when the platform keeps no property for it.
    bool Bind(HWND window, T* object) const { return SetPropA(window, FName, object) != FALSE; }
    // The object bound to `window`, if any.
    T* Find(HWND window) const { return window != nullptr ? static_cast<T*>(GetPropA(window, FName)) : nullptr; }
    // Takes the binding away; a window must lose it before it is destroyed.
    void Unbind(HWND window) const { RemovePropA(window, FName); }

private:
    const char* FName;
};
