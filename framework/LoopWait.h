// How the application's message loop waits: for the next message or the next deadline of one of
// the thread's timers, whichever comes first, running that tick itself.
#pragma once

#include <windows.h>

// Waits until a message is queued for this thread or one of the thread's timers falls due, and
// runs that tick. Returns whether a tick ran.
bool WaitForMessageOrTick();

// Whether a message waits in this thread's queue; input the windowing system still holds is
// fetched into the queue first. Unlike PeekMessage finding the queue empty, asking never gives
// up the processor, which on a busy machine would cost a time slice of another program.
inline bool MessageWaiting()
{
    return HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0;
}
