#include "demo/EventLog.h"

TEventLog::TEventLog()
{
    QueryPerformanceFrequency(&FFrequency);
    QueryPerformanceCounter(&FStart);
}

TEventLog::~TEventLog()
{
    if (FFile != nullptr)
        std::fclose(FFile);
}

bool TEventLog::OpenFile(const AnsiString& path)
{
    if (FFile != nullptr)
        std::fclose(FFile);
    FFile = std::fopen(path.c_str(), "wb");
    return FFile != nullptr;
}

void TEventLog::Add(const AnsiString& event, const AnsiString& details)
{
    Add(event, AnsiToWide(details));
}

void TEventLog::Add(const AnsiString& event, const WideString& details)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const long long ms = (now.QuadPart - FStart.QuadPart) * 1000 / FFrequency.QuadPart;
    WideString line = AnsiToWide(Format("%lld ", ms) + event);
    if (!details.empty())
        line += L" " + details;
    Write(line);
}

void TEventLog::Write(const WideString& line)
{
    if (FFile != nullptr) {
        std::fputs(WideToAnsi(line, nullptr, CP_UTF8).c_str(), FFile);
        std::fputc('\n', FFile);
        std::fflush(FFile);
    }
    // The list is an ANSI control: a character the code page lacks shows as the default one.
    if (OnLine)
        OnLine(WideToAnsi(line));
}

void TEventLog::AddWindow(const AnsiString& event, HWND window, const AnsiString& details)
{
    AnsiString text = WindowRectText(window);
    if (!details.empty())
        text += " " + details;
    Add(event, text);
}

AnsiString WindowRectText(HWND window)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return Format("%ld %ld %ld %ld", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right - r.left), static_cast<long>(r.bottom - r.top));
}
