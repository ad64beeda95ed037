// Window procedures bound to one object's method (thunks), for subclassing windows the
// framework did not create. Each thunk is a real window procedure of its own, so several
// layers can sit on one window and each one reaches its own object.
#pragma once

#include "framework/Messages.h"

#include <functional>

// The method a thunk calls: the message record without the window (the object knows it).
using TWndMethod = std::function<void(TMessage& message)>;

// Makes a window procedure that calls `method` for every message it receives. Exceptions
// that escape `method` go to the application's handler; none crosses the platform.
void* MakeObjectInstance(TWndMethod method);

// Releases a thunk. The method is never called again; the memory goes once no call through
// the thunk is running any more (a thunk may be freed from inside the message it dispatched),
// and, for a thunk left passing messages on under another layer (see UnhookObjectInstance),
// not before that window is gone. Take a thunk off its window before releasing it.
void FreeObjectInstance(void* instance);

// Takes the layer `instance` off `window`, whose procedure it replaced when that procedure
// was `oldProc`. When the thunk is the window's current procedure, `oldProc` is put back.
// When another layer sits above it, the thunk cannot be lifted out of the chain: it passes
// every later message straight to `oldProc` instead and frees itself after WM_NCDESTROY.
void UnhookObjectInstance(HWND window, void* instance, WNDPROC oldProc);
