// Window inspector for the end-to-end tests: looks at another process's
// windows from outside, the way a user's tool would.
//
//   wintool.exe [-c <class>] <command> <title> [args]
//
//   wait <title> <seconds>   wait until a visible window with this title exists
//   close <title>            post WM_CLOSE to it
//   sysclose <title>         post WM_SYSCOMMAND SC_CLOSE, as the title bar's close button does
//   rect <title>             "window L T W H" and "client L T W H", screen pixels
//   children <title>         one line per descendant window, tab-separated:
//                            hwnd parent id class x y w h enabled visible style state text
//                            (x, y relative to the window's client area; state is a
//                            class-specific summary such as "sel=0 count=3", or "-")
//   panel <title> <n>        text of panel n of the window's status bar
//   items <title> <id>       the items of the combo box with this control id, one a line
//   list                     every top-level window: hwnd pid visible class rect title
//   move <title> <x> <y>     move the window's top-left corner there (screen pixels)
//   codepage                 this tool's own ANSI code page: the locale's, as it declares none
//   taken <vk>               whether a hot key on that virtual key (no modifiers) is registered
//                            by someone: exit 0 if so, 6 if it is free
//
// The window is the first visible top-level window whose title matches exactly
// (a hidden one if none is visible); -c also requires its class name. Texts are
// printed as UTF-8 with tab, CR, LF and backslash escaped. Exit codes: 0 done,
// 1 usage, 2 no such window or control, 3 the window did not answer.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

const UINT kTimeoutMs = 3000;

std::string ToUtf8(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), NULL, 0, NULL, NULL);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &s[0], n, NULL, NULL);
  return s;
}

// Keeps one line per record whatever the text holds.
std::string Escaped(const std::wstring& w) {
  std::string in = ToUtf8(w), out;
  for (char c : in) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[256];
  int n = GetClassNameW(hwnd, buf, 256);
  return std::wstring(buf, n > 0 ? n : 0);
}

// WM_GETTEXT is marshalled between processes by the system itself.
bool TextOf(HWND hwnd, std::wstring* text) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &len))
    return false;
  std::vector<wchar_t> buf(len + 1);
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), (LPARAM)buf.data(), SMTO_ABORTIFHUNG,
                           kTimeoutMs, &got))
    return false;
  text->assign(buf.data(), got);
  return true;
}

LRESULT Ask(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kTimeoutMs, &result);
  return (LRESULT)result;
}

// Memory in the window's own process: common-control messages (WM_USER and up)
// are not marshalled, so their buffers must live where the control runs.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, SIZE_T size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_)
      address_ = VirtualAllocEx(process_, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool ok() const { return address_ != NULL; }
  LPARAM address() const { return (LPARAM)address_; }
  bool Clear() {
    std::vector<char> zero(size_);
    return WriteProcessMemory(process_, address_, zero.data(), size_, NULL) != 0;
  }
  bool Read(void* to, SIZE_T n) const {
    return ReadProcessMemory(process_, address_, to, n < size_ ? n : size_, NULL) != 0;
  }

 private:
  HANDLE process_ = NULL;
  void* address_ = NULL;
  SIZE_T size_;
};

struct Finder {
  std::wstring title;
  std::wstring cls;
  HWND visible = NULL;
  HWND hidden = NULL;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM lp) {
  Finder* f = (Finder*)lp;
  std::wstring text;
  int n = GetWindowTextLengthW(hwnd);
  text.resize(n + 1);
  text.resize(GetWindowTextW(hwnd, &text[0], n + 1));
  if (text != f->title) return TRUE;
  if (!f->cls.empty() && ClassOf(hwnd) != f->cls) return TRUE;
  if (IsWindowVisible(hwnd)) {
    f->visible = hwnd;
    return FALSE;
  }
  if (!f->hidden) f->hidden = hwnd;
  return TRUE;
}

HWND FindTopWindow(const std::wstring& title, const std::wstring& cls) {
  Finder f;
  f.title = title;
  f.cls = cls;
  EnumWindows(FindTop, (LPARAM)&f);
  return f.visible ? f.visible : f.hidden;
}

HWND FindChildOfClass(HWND parent, const wchar_t* cls) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (lstrcmpiW(ClassOf(c).c_str(), cls) == 0) return c;
  return NULL;
}

void PrintLine(const std::string& s) {
  fwrite(s.data(), 1, s.size(), stdout);
  fputc('\n', stdout);
}

std::string Format(const char* fmt, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return buf;
}

std::string StatusParts(HWND sb) {
  int count = (int)Ask(sb, SB_GETPARTS, 0, 0);
  if (count <= 0) return "parts=0";
  RemoteBuffer remote(sb, sizeof(int) * (count + 1));
  std::vector<int> edges(count);
  if (!remote.ok() || !Ask(sb, SB_GETPARTS, count, remote.address()) ||
      !remote.Read(edges.data(), sizeof(int) * count))
    return Format("parts=%d", count);
  std::string s = Format("parts=%d edges=", count);
  for (int i = 0; i < count; ++i) s += Format(i ? ",%d" : "%d", edges[i]);
  return s;
}

// A short summary of the state a user sees in the common control kinds.
std::string StateOf(HWND hwnd) {
  std::wstring cls = ClassOf(hwnd);
  const wchar_t* c = cls.c_str();
  if (lstrcmpiW(c, L"ComboBox") == 0)
    return Format("sel=%d count=%d", (int)Ask(hwnd, CB_GETCURSEL, 0, 0), (int)Ask(hwnd, CB_GETCOUNT, 0, 0));
  if (lstrcmpiW(c, L"ListBox") == 0)
    return Format("sel=%d count=%d", (int)Ask(hwnd, LB_GETCURSEL, 0, 0), (int)Ask(hwnd, LB_GETCOUNT, 0, 0));
  if (lstrcmpiW(c, TRACKBAR_CLASSW) == 0)
    return Format("pos=%d min=%d max=%d", (int)Ask(hwnd, TBM_GETPOS, 0, 0),
                  (int)Ask(hwnd, TBM_GETRANGEMIN, 0, 0), (int)Ask(hwnd, TBM_GETRANGEMAX, 0, 0));
  if (lstrcmpiW(c, L"Button") == 0)
    return Format("check=%d", (int)Ask(hwnd, BM_GETCHECK, 0, 0));
  if (lstrcmpiW(c, STATUSCLASSNAMEW) == 0) return StatusParts(hwnd);
  return "-";
}

struct ChildWalk {
  HWND top;
};

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM lp) {
  ChildWalk* walk = (ChildWalk*)lp;
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(NULL, walk->top, (POINT*)&r, 2);
  std::wstring text;
  if (!TextOf(hwnd, &text)) text = L"?";
  LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  PrintLine(Format("%p\t%p\t%d\t", (void*)hwnd, (void*)GetParent(hwnd), GetDlgCtrlID(hwnd)) +
            ToUtf8(ClassOf(hwnd)) +
            Format("\t%ld\t%ld\t%ld\t%ld\t%d\t%d\t0x%08lx\t", (long)r.left, (long)r.top,
                   (long)(r.right - r.left), (long)(r.bottom - r.top), IsWindowEnabled(hwnd) ? 1 : 0,
                   IsWindowVisible(hwnd) ? 1 : 0, (unsigned long)style) +
            StateOf(hwnd) + "\t" + Escaped(text));
  return TRUE;
}

BOOL CALLBACK PrintTop(HWND hwnd, LPARAM) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  RECT r;
  GetWindowRect(hwnd, &r);
  std::wstring text;
  int n = GetWindowTextLengthW(hwnd);
  text.resize(n + 1);
  text.resize(GetWindowTextW(hwnd, &text[0], n + 1));
  PrintLine(Format("%p\t%lu\t%d\t", (void*)hwnd, (unsigned long)pid, IsWindowVisible(hwnd) ? 1 : 0) +
            ToUtf8(ClassOf(hwnd)) +
            Format("\t%ld\t%ld\t%ld\t%ld\t", (long)r.left, (long)r.top, (long)(r.right - r.left),
                   (long)(r.bottom - r.top)) +
            Escaped(text));
  return TRUE;
}

int CmdRect(HWND hwnd) {
  RECT w, c;
  GetWindowRect(hwnd, &w);
  GetClientRect(hwnd, &c);
  MapWindowPoints(hwnd, NULL, (POINT*)&c, 2);
  PrintLine(Format("window %ld %ld %ld %ld", (long)w.left, (long)w.top, (long)(w.right - w.left),
                   (long)(w.bottom - w.top)));
  PrintLine(Format("client %ld %ld %ld %ld", (long)c.left, (long)c.top, (long)(c.right - c.left),
                   (long)(c.bottom - c.top)));
  return 0;
}

int CmdPanel(HWND hwnd, int panel) {
  HWND sb = FindChildOfClass(hwnd, STATUSCLASSNAMEW);
  if (!sb) {
    fprintf(stderr, "wintool: no status bar\n");
    return 2;
  }
  DWORD_PTR info = 0;
  if (!SendMessageTimeoutW(sb, SB_GETTEXTLENGTHW, panel, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &info))
    return 3;
  SIZE_T chars = LOWORD(info) + 1;
  RemoteBuffer remote(sb, chars * sizeof(wchar_t));
  if (!remote.ok() || !remote.Clear()) {
    fprintf(stderr, "wintool: cannot reach the status bar's process\n");
    return 3;
  }
  if (!SendMessageTimeoutW(sb, SB_GETTEXTW, panel, remote.address(), SMTO_ABORTIFHUNG, kTimeoutMs, &info))
    return 3;
  std::vector<wchar_t> text(chars);
  if (!remote.Read(text.data(), chars * sizeof(wchar_t))) return 3;
  PrintLine(Escaped(std::wstring(text.data(), LOWORD(info) < chars ? LOWORD(info) : chars - 1)));
  return 0;
}

int CmdItems(HWND hwnd, int id) {
  HWND combo = GetDlgItem(hwnd, id);
  if (!combo) {
    fprintf(stderr, "wintool: no control with id %d\n", id);
    return 2;
  }
  int count = (int)Ask(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    int len = (int)Ask(combo, CB_GETLBTEXTLEN, i, 0);
    if (len < 0) return 3;
    std::vector<wchar_t> buf(len + 1);
    DWORD_PTR got = 0;
    // CB_GETLBTEXT is a system message, so the sender's buffer is filled across processes.
    if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, i, (LPARAM)buf.data(), SMTO_ABORTIFHUNG, kTimeoutMs, &got))
      return 3;
    PrintLine(Escaped(std::wstring(buf.data(), (int)got > 0 ? got : 0)));
  }
  return 0;
}

int CmdWait(const std::wstring& title, const std::wstring& cls, double seconds) {
  DWORD deadline = GetTickCount() + (DWORD)(seconds * 1000);
  for (;;) {
    HWND hwnd = FindTopWindow(title, cls);
    if (hwnd && IsWindowVisible(hwnd)) return 0;
    if ((LONG)(GetTickCount() - deadline) >= 0) return 2;
    Sleep(50);
  }
}

int Usage() {
  fprintf(stderr,
          "usage: wintool [-c class] wait|close|sysclose|minimize|iconic|rect|alive|children|panel|items|move <title> [args]\n"
          "       wintool list|codepage\n"
          "       wintool taken <vk>\n");
  return 1;
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);  // plain LF line ends for the shell
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return 1;
  int i = 1;
  std::wstring cls;
  if (argc > i + 1 && lstrcmpW(argv[i], L"-c") == 0) {
    cls = argv[i + 1];
    i += 2;
  }
  if (argc <= i) return Usage();
  std::wstring cmd = argv[i++];
  if (cmd == L"list") {
    EnumWindows(PrintTop, 0);
    return 0;
  }
  if (cmd == L"codepage") {
    PrintLine(Format("%u", GetACP()));
    return 0;
  }
  if (argc <= i) return Usage();
  if (cmd == L"taken") {
    if (!RegisterHotKey(NULL, 1, 0, (UINT)_wtoi(argv[i]))) return 0;
    UnregisterHotKey(NULL, 1);
    return 6;
  }
  std::wstring title = argv[i++];
  const wchar_t* arg = argc > i ? argv[i] : NULL;

  if (cmd == L"wait") return CmdWait(title, cls, arg ? _wtof(arg) : 10.0);

  HWND hwnd = FindTopWindow(title, cls);
  if (!hwnd) {
    fprintf(stderr, "wintool: no window titled \"%s\"\n", ToUtf8(title).c_str());
    return 2;
  }
  if (cmd == L"close") return PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : 3;
  if (cmd == L"sysclose") return PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 3;
  // minimize: as the title bar's button does; iconic: whether the window is minimised now.
  if (cmd == L"minimize") return PostMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0) ? 0 : 3;
  if (cmd == L"iconic") return IsIconic(hwnd) ? 0 : 5;
  if (cmd == L"move" && arg && argc > i + 1)
    return SetWindowPos(hwnd, NULL, _wtoi(arg), _wtoi(argv[i + 1]), 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) ? 0 : 3;
  if (cmd == L"rect") return CmdRect(hwnd);
  // alive [seconds=2]: whether the window's thread answers a message in time (a spinning
  // thread never does; a plain SendMessage would wait for it for good).
  if (cmd == L"alive") {
    DWORD_PTR result = 0;
    UINT ms = (UINT)((arg ? _wtof(arg) : 2.0) * 1000);
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &result) ? 0 : 4;
  }
  if (cmd == L"children") {
    ChildWalk walk = {hwnd};
    EnumChildWindows(hwnd, PrintChild, (LPARAM)&walk);
    return 0;
  }
  if (cmd == L"panel" && arg) return CmdPanel(hwnd, _wtoi(arg));
  if (cmd == L"items" && arg) return CmdItems(hwnd, _wtoi(arg));
  return Usage();
}
