#include "app/SettingsFile.h"

#include "app/Mainform.h"
#include "framework/IniFile.h"
#include "framework/ModulePath.h"
#include "framework/Screen.h"

#include <windows.h>


namespace {

const char* const WindowSection = "Window";
const char* const OptionSection = "Option";

AnsiString& SettingsFileOverride()
{
    static AnsiString path;
    return path;
}

// A stored place off every monitor's work area (a monitor since unplugged, a hand-edited file)
// would leave the window where no user can reach it.
void BringWithinReach(TForm* form)
{
    RECT bounds;
    GetWindowRect(form->GetHandle(), &bounds);
    POINT place = Screen->ReachablePlace(bounds);
    if (place.x != bounds.left || place.y != bounds.top)
        form->SetBounds(place.x, place.y, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

} // namespace

// The executable's folder and "\tapstorm.ini". The folder's own final "\" goes unless it follows
// ":" or another "\", so "D:\app.exe" keeps "D:\" (giving "D:\\tapstorm.ini") and
// "\\server\share\app.exe" gives "\\server\share\tapstorm.ini".
WideString SettingsFileName(const WideString& modulePath)
{
    WideString folder = ExtractFilePath(modulePath);
    size_t length = folder.size();
    if (length >= 2 && folder[length - 1] == L'\\' && folder[length - 2] != L':' && folder[length - 2] != L'\\')
        folder.pop_back();
    return folder + L"\\tapstorm.ini";
}

WideString SettingsFileName()
{
    if (!SettingsFileOverride().empty())
        return AnsiToWide(SettingsFileOverride());
    return SettingsFileName(ModuleFileNameW());
}

void SetSettingsFileOverride(const AnsiString& path)
{
    SettingsFileOverride() = path;
}

void ReadSettings(TMForm& form)
{
    TIniFile ini(SettingsFileName());
    form.SetLeft(ini.ReadInteger(WindowSection, "Left", 0));
    form.SetTop(ini.ReadInteger(WindowSection, "Top", 0));
    BringWithinReach(&form);
    form.Renda->SetItemIndex(ini.ReadInteger(OptionSection, "MouseButton", 0));
    form.RendaSpeed->SetPosition(ini.ReadInteger(OptionSection, "Interval1", 500));
    form.LockKey->SetItemIndex(ini.ReadInteger(OptionSection, "LockKey", 0));
    form.CursorLock->SetChecked(ini.ReadBool(OptionSection, "CursorLock", false));
    // A negative poll interval keeps its bit pattern: a poll every 24 days and more, written
    // back as it was read.
    form.Timer2->SetInterval(static_cast<unsigned>(ini.ReadInteger(OptionSection, "Interval2", 100)));
}

void WriteSettings(TMForm& form)
{
    TIniFile ini(SettingsFileName());
    // The user's place even when closed minimised (the parking place is no place to start at).
    const RECT place = form.HandleAllocated() ? NormalWindowRect(form.GetHandle())
                                               : RECT{form.GetLeft(), form.GetTop(), 0, 0};
    ini.WriteInteger(WindowSection, "Left", place.left);
    ini.WriteInteger(WindowSection, "Top", place.top);
    ini.WriteInteger(OptionSection, "MouseButton", form.Renda->GetItemIndex());
    ini.WriteInteger(OptionSection, "Interval1", form.RendaSpeed->GetPosition());
    ini.WriteInteger(OptionSection, "LockKey", form.LockKey->GetItemIndex());
    ini.WriteBool(OptionSection, "CursorLock", form.CursorLock->GetChecked());
    ini.WriteInteger(OptionSection, "Interval2", static_cast<int>(form.Timer2->GetInterval()));
}
