// The message record every window procedure and message map of the framework works on, and
// the framework's own message numbers. Depends on the platform headers alone.
#pragma once

#include <windows.h>

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// Framework notifications sent to controls (not platform messages). They lie in the
// application's range (WM_APP + 0x3000 on); one a control does not handle reaches its window's
// class procedure like any other message.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;  // 0xB013
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;  // 0xB014
constexpr UINT CM_RELEASE = CM_BASE + 33;     // 0xB021, posted to the application's window
// Control notifications reflected from the parent back to the control they concern.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
