#include "app/SettingsFile.h"

#include "app/Mainform.h"
#include "framework/IniFile.h"
#include "framework/ModulePath.h"
#include "framework/Screen.h"

#include <windows.h>

#include <algorithm>

namespace {

const char* const WindowSection = "Window";
const char* const OptionSection = "Option";

AnsiString& SettingsFileOverride()
{
    static AnsiString path;
    return path;
}

// Distance from `a` to `b` along one axis: 0 where they meet or overlap.
long long Gap(long aFrom, long aTo, long bFrom, long bTo)
{
    if (aTo <= bFrom)
        return static_cast<long long>(bFrom) - aTo;
    if (bTo <= aFrom)
        return static_cast<long long>(aFrom) - bTo;
    return 0;
}

// `value` moved into from..to; from when the range is empty.
long Clamp(long value, long from, long to)
{
    return std::max(from, std::min(value, to));
}

// A stored place off every monitor's work area (a monitor since unplugged, a hand-edited file)
// would leave the window where no user can reach it.
void BringWithinReach(TForm* form)
{
    RECT bounds;
    GetWindowRect(form->GetHandle(), &bounds);
    POINT client = {0, 0};
    ClientToScreen(form->GetHandle(), &client);
    std::vector<RECT> areas;
    const int count = Screen->MonitorCount();
    for (int i = 0; i < count; ++i)
        areas.push_back(Screen->Monitors(i)->GetWorkareaRect());
    POINT place = ReachablePlace(bounds, client.y - bounds.top, areas);
    if (place.x != bounds.left || place.y != bounds.top)
        form->SetBounds(place.x, place.y, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

} // namespace

POINT ReachablePlace(const RECT& bounds, int captionHeight, const std::vector<RECT>& workAreas)
{
    POINT place = {bounds.left, bounds.top};
    const RECT* nearest = nullptr;
    long long nearestDistance = 0;
    for (const RECT& area : workAreas) {
        if (bounds.left < area.right && area.left < bounds.right && bounds.top < area.bottom &&
            area.top < bounds.bottom)
            return place;
        long long dx = Gap(bounds.left, bounds.right, area.left, area.right);
        long long dy = Gap(bounds.top, bounds.bottom, area.top, area.bottom);
        long long distance = dx * dx + dy * dy;
        if (nearest == nullptr || distance < nearestDistance) {
            nearest = &area;
            nearestDistance = distance;
        }
    }
    if (nearest != nullptr) {
        place.x = Clamp(bounds.left, nearest->left, nearest->right - (bounds.right - bounds.left));
        place.y = Clamp(bounds.top, nearest->top, nearest->bottom - captionHeight);
    }
    return place;
}

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

// Reads the stored choices into the window as it is being built. The lists take an index
// silently (the lock key is registered by the caller), the track bar clamps the pace.
void TMForm::LoadSettings()
{
    TIniFile ini(SettingsFileName());
    SetLeft(ini.ReadInteger(WindowSection, "Left", 0));
    SetTop(ini.ReadInteger(WindowSection, "Top", 0));
    BringWithinReach(this);
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
