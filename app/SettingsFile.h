// Where the settings file lives: "tapstorm.ini" in the executable's folder.
#pragma once

#include "framework/SysUtils.h"

// The settings file for an executable at `modulePath` (a full path in the ANSI code page).
AnsiString SettingsFileName(const AnsiString& modulePath);

// The settings file of the running program, or the override when one is set.
AnsiString SettingsFileName();

// Points SettingsFileName() at another file (tests only); an empty path restores the default.
void SetSettingsFileOverride(const AnsiString& path);
