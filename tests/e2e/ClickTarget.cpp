// Click target for the end-to-end tests: a frameless, always-on-top window that
// logs every mouse button transition and wheel turn it receives, one line each.
//
//   clicktarget.exe <logfile> [x y w h]        (default 300 300 400 300)
//
// Log lines (times are QueryPerformanceCounter milliseconds, comparable across
// processes; positions are screen coordinates):
//   READY <t> <x> <y> <w> <h>     the window is shown and ready for input
//   LDOWN|LUP|RDOWN|RUP|MDOWN|MUP <t> <x> <y> <input>
//   WHEEL <t> <x> <y> <delta>
//   CLOSE <t>                     WM_CLOSE arrived; the program ends with 0
//
// <input> is the message time (GetMessageTime, whole milliseconds): when the system took the
// input in, so it tells the pace of whoever sent it even when this program runs late.
//
// Each line is written with one unbuffered WriteFile so a reader sees it at once.
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;
LARGE_INTEGER g_freq;

double NowMs() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  // Split to keep the precision of large counter values.
  LONGLONG whole = c.QuadPart / g_freq.QuadPart;
  LONGLONG rest = c.QuadPart % g_freq.QuadPart;
  return (double)whole * 1000.0 + (double)rest * 1000.0 / (double)g_freq.QuadPart;
}

void WriteLine(const char* text) {
  DWORD written = 0;
  WriteFile(g_log, text, (DWORD)lstrlenA(text), &written, NULL);
}

// Button messages carry client coordinates, the wheel message screen coordinates.
void LogEvent(const char* kind, HWND hwnd, LPARAM lp, bool screenCoords, const int* wheelDelta) {
  POINT pt;
  pt.x = (short)LOWORD(lp);
  pt.y = (short)HIWORD(lp);
  if (!screenCoords) ClientToScreen(hwnd, &pt);
  char line[128];
  if (wheelDelta)
    snprintf(line, sizeof line, "%s %.3f %ld %ld %d\n", kind, NowMs(), (long)pt.x, (long)pt.y, *wheelDelta);
  else
    snprintf(line, sizeof line, "%s %.3f %ld %ld %lu\n", kind, NowMs(), (long)pt.x, (long)pt.y,
             (unsigned long)GetMessageTime());
  WriteLine(line);
}

LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN: LogEvent("LDOWN", hwnd, lp, false, NULL); return 0;
    case WM_LBUTTONUP:   LogEvent("LUP", hwnd, lp, false, NULL); return 0;
    case WM_RBUTTONDOWN: LogEvent("RDOWN", hwnd, lp, false, NULL); return 0;
    case WM_RBUTTONUP:   LogEvent("RUP", hwnd, lp, false, NULL); return 0;
    case WM_MBUTTONDOWN: LogEvent("MDOWN", hwnd, lp, false, NULL); return 0;
    case WM_MBUTTONUP:   LogEvent("MUP", hwnd, lp, false, NULL); return 0;
    case WM_MOUSEWHEEL: {
      int delta = GET_WHEEL_DELTA_WPARAM(wp);
      LogEvent("WHEEL", hwnd, lp, true, &delta);
      return 0;
    }
    case WM_CLOSE: {
      char line[64];
      snprintf(line, sizeof line, "CLOSE %.3f\n", NowMs());
      WriteLine(line);
      DestroyWindow(hwnd);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return 2;

  int x = 300, y = 300, w = 400, h = 300;
  if (argc >= 6) {
    x = _wtoi(argv[2]);
    y = _wtoi(argv[3]);
    w = _wtoi(argv[4]);
    h = _wtoi(argv[5]);
  }

  QueryPerformanceFrequency(&g_freq);
  g_log = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (g_log == INVALID_HANDLE_VALUE) return 3;

  WNDCLASSW wc = {};
  wc.lpfnWndProc = TargetProc;  // no CS_DBLCLKS: a fast second press stays a plain DOWN
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_CROSS);
  wc.hbrBackground = CreateSolidBrush(RGB(255, 236, 140));
  wc.lpszClassName = L"TapstormClickTarget";
  if (!RegisterClassW(&wc)) return 4;

  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"Click target",
                              WS_POPUP, x, y, w, h, NULL, NULL, instance, NULL);
  if (!hwnd) return 5;
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);

  RECT r;
  GetWindowRect(hwnd, &r);
  char line[128];
  snprintf(line, sizeof line, "READY %.3f %ld %ld %ld %ld\n", NowMs(), (long)r.left, (long)r.top,
           (long)(r.right - r.left), (long)(r.bottom - r.top));
  WriteLine(line);

  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  CloseHandle(g_log);
  LocalFree(argv);
  return 0;
}
