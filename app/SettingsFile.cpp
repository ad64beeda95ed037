#include "app/SettingsFile.h"

#include <windows.h>

namespace {

// The module file name is read into a buffer of the classic path length.
const DWORD ModulePathSize = 260;

AnsiString& SettingsFileOverride()
{
    static AnsiString path;
    return path;
}

// The executable's folder: up to the last "\" or ":" that is a character of its own (never the
// second byte of a double-byte character). A "\" is dropped unless it follows ":" or another "\",
// so "D:\app.exe" keeps "D:\" and "\\server\share\app.exe" gives "\\server\share".
AnsiString FolderOf(const AnsiString& path)
{
    size_t folderLength = 0;
    bool afterRootMark = true;  // the first character has nothing before it to drop it for
    size_t i = 0;
    while (i < path.size()) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsDBCSLeadByte(c) && i + 1 < path.size()) {
            i += 2;
            afterRootMark = false;
            continue;
        }
        if (c == '\\') {
            folderLength = afterRootMark ? i + 1 : i;
        } else if (c == ':') {
            folderLength = i + 1;
        }
        afterRootMark = c == '\\' || c == ':';
        ++i;
    }
    return path.substr(0, folderLength);
}

} // namespace

AnsiString SettingsFileName(const AnsiString& modulePath)
{
    return Format("%s\\tapstorm.ini", FolderOf(modulePath).c_str());
}

AnsiString SettingsFileName()
{
    if (!SettingsFileOverride().empty()) return SettingsFileOverride();
    char buffer[ModulePathSize] = {};
    GetModuleFileNameA(nullptr, buffer, ModulePathSize);
    // A name that does not fit comes back cut short and, on old systems, unterminated.
    buffer[ModulePathSize - 1] = '\0';
    return SettingsFileName(AnsiString(buffer));
}

void SetSettingsFileOverride(const AnsiString& path)
{
    SettingsFileOverride() = path;
}
