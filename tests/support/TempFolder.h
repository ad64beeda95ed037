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
    ~TempFolder() { RemoveTree(FPath); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    AnsiString Path(const AnsiString& name) const { return FPath + "\\" + name; }

private:
    // Removes `path` with every file and folder in it.
    static void RemoveTree(const AnsiString& path)
    {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const AnsiString name = entry.cFileName;
                if (name == "." || name == "..")
                    continue;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + "\\" + name);
                else
                    DeleteFileA((path + "\\" + name).c_str());
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryA(path.c_str());
    }

    AnsiString FPath;
};

inline void WriteBytes(const AnsiString& path, const AnsiString& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
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
