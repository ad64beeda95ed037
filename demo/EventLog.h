// The gallery's event log: every event of the dialog components, one line each, in the
// gallery's list and (with --log) in a file flushed line by line, so a test reading it from
// outside sees each event as soon as it happened. The file is UTF-8, so names the code page
// lacks are written whole.
#pragma once

#include "framework/SysUtils.h"
#include "framework/Types.h"

#include <cstdio>
#include <functional>

class TEventLog {
public:
    TEventLog();
    ~TEventLog();
    TEventLog(const TEventLog&) = delete;
    TEventLog& operator=(const TEventLog&) = delete;

    // Opens (and empties) the log file; false when it cannot be written.
    bool OpenFile(const AnsiString& path);

    // Writes "<ms since start> <event> <details>".
    void Add(const AnsiString& event, const AnsiString& details = AnsiString());
    // The same with details in Unicode (names the code page may lack).
    void Add(const AnsiString& event, const WideString& details);
    // The same with a window's screen rectangle as "L T W H" after the details.
    void AddWindow(const AnsiString& event, HWND window, const AnsiString& details = AnsiString());

    // Receives each line as it is written (the gallery's list).
    std::function<void(const AnsiString& line)> OnLine;

private:
    void Write(const WideString& line);

    LARGE_INTEGER FStart;
    LARGE_INTEGER FFrequency;
    std::FILE* FFile = nullptr;
};

// "L T W H" of a window's screen rectangle.
AnsiString WindowRectText(HWND window);
