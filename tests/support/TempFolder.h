// Scratch files for tests: a fresh folder under the temporary folder, and whole-file reads and
// writes that keep every byte.
#pragma once

#include "framework/SysUtils.h"

#include <windows.h>

#include <fstream>
#include <iterator>

// A fresh folder under the temporary folder, removed with everything it holds.
class TempFolder {
public:
    explicit TempFolder(const char* prefix = "tapstorm-test")
    {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        for (unsigned n = 0;; ++n) {
            FPath = Format("%s%s-%lu-%u", base, prefix, GetCurrentProcessId(), n);
            if (CreateDirectoryA(FPath.c_str(), nullptr))
                break;
        }
    }
    ~TempFolder() { RemoveTree(AnsiToWide(FPath)); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    AnsiString Path(const AnsiString& name) const { return FPath + "\\" + name; }
    // For names the code page lacks.
    WideString Path(const WideString& name) const { return AnsiToWide(FPath) + L"\\" + name; }

private:
    // Removes `path` with every file and folder in it, whatever their names.
    static void RemoveTree(const WideString& path)
    {
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const WideString name = entry.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + L"\\" + name);
                else
                    DeleteFileW((path + L"\\" + name).c_str());
            } while (FindNextFileW(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryW(path.c_str());
    }

    AnsiString FPath;
};

inline void WriteBytes(const AnsiString& path, const AnsiString& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A file named outside the ANSI code page.
inline void WriteBytes(const WideString& path, const AnsiString& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

inline AnsiString ReadBytes(const AnsiString& path)
{
    std::ifstream in(path, std::ios::binary);
    return AnsiString(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes of a file named outside the ANSI code page.
inline AnsiString ReadBytes(const WideString& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    AnsiString bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes.substr(0, read);
}
