// Strings, the framework's exception family and small text helpers.
#pragma once

#include <exception>
#include <string>

// Bytes in the system's ANSI code page (Shift-JIS for the Japanese texts).
using AnsiString = std::string;

// Root of the framework's exception family: every error meant for the user carries a message.
class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : FMessage(std::move(message)) {}
    const AnsiString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    AnsiString FMessage;
};

// Raised when an object cannot take the value it is given (assignment between unrelated classes).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// printf-style formatting into an AnsiString.
AnsiString Format(const char* format, ...);

// Decimal text of an integer ("-" for negatives, no leading zeros).
AnsiString IntToStr(int value);

// The framework's string-to-integer with default: blanks, "$"/"x"/"0x" hex, sign, 32-bit range.
int StrToIntDef(const AnsiString& text, int defaultValue);

// The length in bytes of the character that starts at `index` of `text` in `codePage` (0, CP_ACP,
// for the process's ANSI code page, as the conversions below take it): 2 for a lead byte of a
// double-byte code page with a byte after it, 2 to 4 for a whole UTF-8 sequence (65001), else 1
// (a byte that starts no whole character stands alone).
size_t CharLength(const AnsiString& text, size_t index, unsigned codePage = 0);

// True when `index` is inside a character of `text` (a trail byte in `codePage`), not at its start.
bool IsTrailByte(const AnsiString& text, size_t index, unsigned codePage = 0);

// Copies `text` into `buffer` of `size` bytes (size > 0) with its terminator, cut to fit; a cut
// never leaves part of a character (in `codePage`) behind.
void CopyToBuffer(char* buffer, size_t size, const AnsiString& text, unsigned codePage = 0);

// The most bytes `units` UTF-16 code units can take in `codePage`: two a unit in a double-byte
// code page, three in UTF-8.
size_t AnsiRoom(size_t units, unsigned codePage = 0);

// UTF-16 text, as the platform's wide calls take it.
using WideString = std::wstring;

// ANSI-code-page text to wide and back (`codePage`: 0, CP_ACP, for the system's ANSI code page,
// or the number of another). A character the code page lacks comes back as the platform's default
// character, never as a look-alike; `exact`, when given, tells whether every character made it
// (no default character, and the round trip gives `text` back). Under UTF-8 (65001), which the
// system may use as its ANSI code page, every well-formed text has an exact form.
WideString AnsiToWide(const AnsiString& text, unsigned codePage = 0);
AnsiString WideToAnsi(const WideString& text, bool* exact = nullptr, unsigned codePage = 0);
// Whether `text` has an exact form in `codePage` (as WideToAnsi decides it).
bool HasExactAnsiForm(const WideString& text, unsigned codePage = 0);

// The libraries' own texts (messages, the refusal box) are written in code page 932, whatever the
// program's code page is: these read one as what it says, in Unicode for a wide call, or in the
// process's ANSI code page for an AnsiString (a character that code page lacks turns into its
// default character).
WideString LibraryTextW(const char* text);
AnsiString LibraryText(const char* text);
