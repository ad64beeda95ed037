#include "framework/IniFile.h"

#include <windows.h>

namespace {
const DWORD ReadBufferSize = 2048;
}

bool TIniFile::Reachable() const
{
    return FFileName.size() < MAX_PATH;
}

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& key, const AnsiString& defaultValue) const
{
    if (!Reachable())
        return defaultValue;
    wchar_t buffer[ReadBufferSize];
    DWORD length = GetPrivateProfileStringW(AnsiToWide(section).c_str(), AnsiToWide(key).c_str(),
                                            AnsiToWide(defaultValue).c_str(), buffer, ReadBufferSize,
                                            FFileName.c_str());
    return WideToAnsi(WideString(buffer, length));
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value)
{
    if (!Reachable() || !WritePrivateProfileStringW(AnsiToWide(section).c_str(), AnsiToWide(key).c_str(),
                                                    AnsiToWide(value).c_str(), FFileName.c_str())) {
        throw EIniFileException(Format(LibraryText("%s に書き込めません").c_str(), FileName().c_str()));
    }
}

int TIniFile::ReadInteger(const AnsiString& section, const AnsiString& key, int defaultValue) const
{
    AnsiString text = ReadString(section, key, "");
    // "0x1F4" is taken as "$1F4"; a bare "0x" is left to fail as it is.
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.replace(0, 2, "$");
    }
    return StrToIntDef(text, defaultValue);
}

void TIniFile::WriteInteger(const AnsiString& section, const AnsiString& key, int value)
{
    WriteString(section, key, IntToStr(value));
}

bool TIniFile::ReadBool(const AnsiString& section, const AnsiString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const AnsiString& section, const AnsiString& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}
