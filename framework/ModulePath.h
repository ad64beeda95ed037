// The running executable's own path and folder, whatever their length and characters.
#pragma once

#include "framework/SysUtils.h"

// The executable's full path as the platform reports it, never cut short.
WideString ModuleFileNameW();

// The folder part of a path: everything up to and with its last "\" or ":", empty when there is
// neither. In ANSI text the second byte of a double-byte character is never a separator.
AnsiString ExtractFilePath(const AnsiString& path);
WideString ExtractFilePath(const WideString& path);

// The executable's folder with its final "\", for the wide calls.
WideString ModuleFolderW();
// The same folder for the ANSI calls. Where a name in it lies outside the ANSI code page, this is
// the folder's short form when the platform gives one that converts (else the lossy conversion).
AnsiString ModuleFolder();
