// Where the settings file lives: "tapstorm.ini" in the executable's folder.
#pragma once

#include "framework/SysUtils.h"

#include <windows.h>


// The settings file for an executable at `modulePath` (a full wide path).
WideString SettingsFileName(const WideString& modulePath);

// The settings file of the running program, or the override when one is set.
WideString SettingsFileName();

// Points SettingsFileName() at another file (tests only); an empty path restores the default.
void SetSettingsFileOverride(const AnsiString& path);

class TMForm;

// Reads the stored choices into the window as it is being built. The lists take an index
// silently (the lock key is registered by the caller), the track bar clamps the pace.
void ReadSettings(TMForm& form);
// Writes the window's place and the choices key by key; a failed write stops at that key.
void WriteSettings(TMForm& form);
