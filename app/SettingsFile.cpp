#include "app/SettingsFile.h"

#include "app/Mainform.h"
#include "framework/IniFile.h"

#include <windows.h>

namespace {

const char* const WindowSection = "Window";
const char* const OptionSection = "Option";

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

// Reads the stored choices into the window as it is being built. The lists take an index
// silently (the lock key is registered by the caller), the track bar clamps the pace.
void TMForm::LoadSettings()
{
    TIniFile ini(SettingsFileName());
    SetLeft(ini.ReadInteger(WindowSection, "Left", 0));
    SetTop(ini.ReadInteger(WindowSection, "Top", 0));
    Renda->SetItemIndex(ini.ReadInteger(OptionSection, "MouseButton", 0));
    RendaSpeed->SetPosition(ini.ReadInteger(OptionSection, "Interval1", 500));
    LockKey->SetItemIndex(ini.ReadInteger(OptionSection, "LockKey", 0));
    CursorLock->SetChecked(ini.ReadBool(OptionSection, "CursorLock", false));
    // A negative poll interval keeps its bit pattern: far beyond the platform's longest timer,
    // so the hold poll simply never comes round, and it is written back as it was read.
    Timer2->SetInterval(static_cast<unsigned>(ini.ReadInteger(OptionSection, "Interval2", 100)));
}

// Writes the window's place and the choices key by key; a failed write stops at that key.
void TMForm::SaveSettings()
{
    TIniFile ini(SettingsFileName());
    ini.WriteInteger(WindowSection, "Left", GetLeft());
    ini.WriteInteger(WindowSection, "Top", GetTop());
    ini.WriteInteger(OptionSection, "MouseButton", Renda->GetItemIndex());
    ini.WriteInteger(OptionSection, "Interval1", RendaSpeed->GetPosition());
    ini.WriteInteger(OptionSection, "LockKey", LockKey->GetItemIndex());
    ini.WriteBool(OptionSection, "CursorLock", CursorLock->GetChecked());
    ini.WriteInteger(OptionSection, "Interval2", static_cast<int>(Timer2->GetInterval()));
}
