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
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const long long ms = (now.QuadPart - FStart.QuadPart) * 1000 / FFrequency.QuadPart;
    AnsiString line = Format("%lld ", ms) + event;
    if (!details.empty())
        line += " " + details;
    if (FFile != nullptr) {
        std::fputs(line.c_str(), FFile);
        std::fputc('\n', FFile);
        std::fflush(FFile);
    }
    if (OnLine)
        OnLine(line);
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
