#include "framework/SysUtils.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

AnsiString Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    AnsiString result;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        result.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return result;
}

AnsiString IntToStr(int value)
{
    return std::to_string(value);
}

namespace {
unsigned ActualCodePage(unsigned codePage)
{
    return codePage == CP_ACP ? GetACP() : codePage;
}

// The length of the UTF-8 sequence `lead` starts, checked against the bytes that follow; 1 for a
// byte that starts no whole sequence.
size_t Utf8Length(const AnsiString& text, size_t index)
{
    const BYTE lead = static_cast<BYTE>(text[index]);
    const size_t length = lead >= 0xc2 && lead <= 0xdf ? 2 : lead >= 0xe0 && lead <= 0xef ? 3
                                                       : lead >= 0xf0 && lead <= 0xf4 ? 4 : 1;
    if (index + length > text.size())
        return 1;
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<BYTE>(text[index + i]) & 0xc0) != 0x80)
            return 1;
    }
    return length;
}
}  // namespace

size_t CharLength(const AnsiString& text, size_t index, unsigned codePage)
{
    codePage = ActualCodePage(codePage);
    if (codePage == CP_UTF8)
        return Utf8Length(text, index);
    return IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[index])) && index + 1 < text.size() ? 2 : 1;
}

bool IsTrailByte(const AnsiString& text, size_t index, unsigned codePage)
{
    // Walk from the start: only a forward scan knows where each character begins.
    codePage = ActualCodePage(codePage);
    size_t i = 0;
    while (i < index)
        i += CharLength(text, i, codePage);
    return i != index;
}

void CopyToBuffer(char* buffer, size_t size, const AnsiString& text, unsigned codePage)
{
    codePage = ActualCodePage(codePage);
    // Whole characters only, as many as fit before the terminator.
    size_t length = 0;
    while (length < text.size()) {
        const size_t next = length + CharLength(text, length, codePage);
        if (next > size - 1)
            break;
        length = next;
    }
    std::memcpy(buffer, text.data(), length);
    buffer[length] = 0;
}

size_t AnsiRoom(size_t units, unsigned codePage)
{
    // A surrogate pair takes four bytes in UTF-8, two a unit; every other unit at most three.
    codePage = ActualCodePage(codePage);
    CPINFO info = {};
    const size_t perUnit = codePage == CP_UTF8 ? 3
                           : GetCPInfo(codePage, &info) ? std::max<size_t>(2, info.MaxCharSize) : 2;
    return perUnit * units;
}

WideString AnsiToWide(const AnsiString& text, unsigned codePage)
{
    if (text.empty())
        return WideString();
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    WideString result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0], length);
    return result;
}

AnsiString WideToAnsi(const WideString& text, bool* exact, unsigned codePage)
{
    AnsiString result;
    BOOL usedDefault = FALSE;
    // UTF-8 takes neither the no-best-fit flag nor a default character (the call fails with
    // them); it holds every character, and only a text that is not well-formed UTF-16 (an unpaired
    // surrogate) has no exact form there.
    const bool utf8 = (codePage == CP_ACP ? GetACP() : codePage) == CP_UTF8;
    if (!text.empty()) {
        // No best fit: a character the code page lacks must not turn into a look-alike ("é" into
        // "e"), which would name another file.
        DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
        const int size = static_cast<int>(text.size());
        int length = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
        if (length == 0 && utf8) {
            usedDefault = TRUE;
            flags = 0;
            length = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
        }
        result.assign(static_cast<size_t>(length), '\0');
        WideCharToMultiByte(codePage, flags, text.data(), size, &result[0], length, nullptr,
                            utf8 ? nullptr : &usedDefault);
    }
    // The round trip also catches a look-alike the platform substitutes despite the flag.
    if (exact != nullptr)
        *exact = !usedDefault && AnsiToWide(result, codePage) == text;
    return result;
}

bool HasExactAnsiForm(const WideString& text, unsigned codePage)
{
    bool exact = false;
    WideToAnsi(text, &exact, codePage);
    return exact;
}

WideString LibraryTextW(const char* text)
{
    return AnsiToWide(text, 932);
}

AnsiString LibraryText(const char* text)
{
    // Nothing to convert where the process's code page is the texts' own.
    if (GetACP() == 932)
        return text;
    return WideToAnsi(LibraryTextW(text));
}
