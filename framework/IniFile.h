// Profile (INI) files: every read and write goes straight to the file through the platform.
#pragma once

#include "framework/SysUtils.h"

// Raised when a value cannot be written to a profile file.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// Keys and values are ANSI text; the file is reached through its wide path, so a folder named
// outside the ANSI code page works too, and the file holds what the ANSI calls would write.
class TIniFile {
public:
    // Remember the full path only; the file is opened by each call.
    explicit TIniFile(const AnsiString& fileName) : FFileName(AnsiToWide(fileName)) {}
    explicit TIniFile(const WideString& fileName) : FFileName(fileName) {}

    // The path in the ANSI code page (as the write error shows it).
    AnsiString FileName() const { return WideToAnsi(FFileName); }

    // The value's text, or `defaultValue` when the section or key is missing.
    AnsiString ReadString(const AnsiString& section, const AnsiString& key, const AnsiString& defaultValue) const;
    // Creates the file, section or key as needed; throws EIniFileException when the write fails.
    void WriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value);

    // The value as an integer ("$"/"0x" hex allowed), or `defaultValue` when missing or not a number.
    int ReadInteger(const AnsiString& section, const AnsiString& key, int defaultValue) const;
    void WriteInteger(const AnsiString& section, const AnsiString& key, int value);

    // True when the stored integer is not 0; `defaultValue` when missing or not a number.
    bool ReadBool(const AnsiString& section, const AnsiString& key, bool defaultValue) const;
    // Writes "1" or "0".
    void WriteBool(const AnsiString& section, const AnsiString& key, bool value);

private:
    // False for a path longer than the profile calls take: they would resolve it to another file.
    bool Reachable() const;

    WideString FFileName;
};
