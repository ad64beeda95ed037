// Where the settings file lives: "tapstorm.ini" in the executable's folder.
#pragma once

#include "framework/SysUtils.h"

#include <windows.h>

#include <vector>

// The settings file for an executable at `modulePath` (a full wide path).
WideString SettingsFileName(const WideString& modulePath);

// The settings file of the running program, or the override when one is set.
WideString SettingsFileName();

// Points SettingsFileName() at another file (tests only); an empty path restores the default.
void SetSettingsFileOverride(const AnsiString& path);

// Where a window with `bounds` (screen pixels) must stand to be reachable: where it is when it
// overlaps a work area at all; otherwise the nearest place where its caption strip (the top
// `captionHeight` pixels) lies inside the nearest work area. Where it is when there is no area.
POINT ReachablePlace(const RECT& bounds, int captionHeight, const std::vector<RECT>& workAreas);
