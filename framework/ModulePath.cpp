#include "framework/ModulePath.h"

#include "framework/FileNames.h"

#include <windows.h>

WideString ModuleFileNameW()
{
    WideString buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        // A name that fills the buffer may have been cut short: try again with room to spare.
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        // Beyond the longest path the platform knows, the call failed for another reason.
        if (buffer.size() > 32768)
            return WideString();
        buffer.resize(buffer.size() * 2);
    }
}

AnsiString ExtractFilePath(const AnsiString& path)
{
    // Scan forward: only that way does each byte's place in a character become known.
    // A lead byte is never one of the separators, so only each character's first byte is tested.
    size_t folderLength = 0;
    for (size_t i = 0; i < path.size(); i += CharLength(path, i)) {
        if (path[i] == '\\' || path[i] == ':')
            folderLength = i + 1;
    }
    return path.substr(0, folderLength);
}

WideString ExtractFilePath(const WideString& path)
{
    size_t separator = path.find_last_of(L"\\:");
    return separator == WideString::npos ? WideString() : path.substr(0, separator + 1);
}

WideString ModuleFolderW()
{
    return ExtractFilePath(ModuleFileNameW());
}

AnsiString ModuleFolder()
{
    const WideString folder = ModuleFolderW();
    AnsiString form;
    return AnsiPathForm(folder, form) ? form : WideToAnsi(folder);
}
